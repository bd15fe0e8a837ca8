#include "core/device/showimage.h"

#include <QBuffer>
#include <QDataStream>
#include <QLoggingCategory>

#include <algorithm>
#include <array>

Q_LOGGING_CATEGORY(lcExport, "vc.export")

namespace vc::device {

namespace {

constexpr char ColumnEnd = char(0xFE);
constexpr char BlockEnd = char(0xFF);

// The string record of "00000" as the data stream writes a C string: its
// length with the terminating zero, the characters, the zero.
QByteArray closingRecord()
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s << "00000";
    return out;
}

// The source index that the toolkit's fast (nearest-pixel) scaling takes for
// each of `target` pixels from `source` pixels along one axis. Nearest
// scaling is separable, so scaling a strip of index values along one axis
// gives the same choice as scaling the whole picture would.
QVector<int> nearestSourceIndexes(int source, int target)
{
    QImage strip(source, 1, QImage::Format_ARGB32);
    auto *line = reinterpret_cast<QRgb *>(strip.scanLine(0));
    for (int i = 0; i < source; ++i)
        line[i] = 0xff000000u | quint32(i);
    const QImage scaled = strip.scaled(target, 1, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QVector<int> out(target);
    const auto *scaledLine = reinterpret_cast<const QRgb *>(scaled.constScanLine(0));
    for (int i = 0; i < target; ++i)
        out[i] = qBound(0, int(scaledLine[i] & 0x00ffffffu), source - 1);
    return out;
}

const std::array<quint8, 256> &curveTable()
{
    static const std::array<quint8, 256> table = [] {
        std::array<quint8, 256> t{};
        for (int v = 0; v < 256; ++v)
            t[size_t(v)] = quint8(v * v / 750);
        return t;
    }();
    return table;
}

int msOf(int t)
{
    return t < 0 ? 0 : t;
}

// Collects the frame stream and hands it to the device in large pieces:
// one write call per few megabytes instead of one per byte.
class FrameSink
{
public:
    explicit FrameSink(QIODevice *device) : m_device(device) { m_buffer.reserve(Flush + 4096); }

    void put(char c)
    {
        m_buffer.append(c);
        if (m_buffer.size() >= Flush)
            flush();
    }
    void put(const QByteArray &bytes)
    {
        if (m_buffer.size() + bytes.size() > Flush)
            flush();
        if (bytes.size() >= Flush)
            write(bytes);
        else
            m_buffer.append(bytes);
    }
    // Writes bytes `count` times with a column end between two copies.
    void repeat(const QByteArray &bytes, qint64 count)
    {
        for (qint64 i = 0; i < count; ++i) {
            if (i > 0)
                put(ColumnEnd);
            put(bytes);
        }
    }
    void flush()
    {
        if (!m_buffer.isEmpty())
            write(m_buffer);
        m_buffer.clear();
    }
    bool failed() const { return m_failed; }
    qint64 written() const { return m_written + m_buffer.size(); }

private:
    static constexpr int Flush = 4 << 20;

    void write(const QByteArray &bytes)
    {
        if (m_failed)
            return;
        if (m_device->write(bytes) != bytes.size())
            m_failed = true;
        else
            m_written += bytes.size();
    }

    QIODevice *m_device;
    QByteArray m_buffer;
    qint64 m_written = 0;
    bool m_failed = false;
};

struct BuildState
{
    const ShowSettings &settings;
    FrameSink &frames;
    QByteArray repeats; // the header's repeat-count list
    float drift = 0.0f; // ticks the written blocks are ahead (-) or behind (+)

    void addRepeat(int count)
    {
        repeats.append(QByteArray::number(count));
        repeats.append(BlockEnd);
    }

    // A dark or colour block: the hold H is a whole number of 240 ms steps,
    // the column count follows from it. The rounding left over goes into
    // the drift that the next picture block corrects.
    void timedBlock(int durationMs, const QColor &colour)
    {
        const float rate = settings.frameRate;
        const int hold = int(durationMs / 240.0);
        int columns = 0;
        if (hold > 0) {
            const float exact = float(durationMs) * rate / float(hold * 1000);
            columns = int(double(exact) + 0.5);
        }
        drift = drift + (float(durationMs) * rate / 1000.0f - float(hold * columns));
        addRepeat(hold);

        const auto &curve = curveTable();
        QByteArray column;
        column.reserve(settings.leds * 3);
        const char r = char(curve[size_t(qBound(0, colour.red(), 255))]);
        const char g = char(curve[size_t(qBound(0, colour.green(), 255))]);
        const char b = char(curve[size_t(qBound(0, colour.blue(), 255))]);
        for (int i = 0; i < settings.leds; ++i) {
            column.append(r);
            column.append(g);
            column.append(b);
        }
        frames.repeat(column, columns);
        frames.put(BlockEnd);
    }

    void darkBlock(int durationMs) { timedBlock(durationMs, QColor(0, 0, 0)); }

    void pictureBlock(int index, int durationMs, int itemLoops, const QImage &thumb)
    {
        const float rate = settings.frameRate;
        const int leds = settings.leds;
        const int loops = qMax(1, itemLoops);

        const float exact = float(durationMs) * rate / float(loops * 1000);
        int width = int(double(exact) + 0.5);
        if (width < 1)
            width = 1;
        const float left = float(durationMs) * rate / 1000.0f - float(width * loops);
        float total = drift + left;
        qCDebug(lcExport) << index << "left" << left << "total" << total;

        // Take or give whole columns while the drift is more than 0.6 of a
        // column's hold, so the show stays in time with the music.
        while (double(total) >= 0.6 * loops) {
            ++width;
            total = total - float(loops);
        }
        if (double(total) <= -0.6 * loops) {
            do {
                --width;
                total = total + float(loops);
            } while (double(total) <= -0.6 * loops);
        }
        qCDebug(lcExport) << "after correct"
                          << "total" << total;
        drift = total;

        // Short pictures are drawn several times at a finer hold, so that a
        // turn of the prop shows more than a sliver of them.
        int passes = 1;
        int hold = loops;
        while (qint64(passes) * width < 2 * leds) {
            bool divided = false;
            for (int p : {2, 3, 5, 7, 11, 13}) {
                if (hold % p == 0) {
                    hold /= p;
                    passes *= p;
                    divided = true;
                    break;
                }
            }
            if (divided || hold <= 13)
                break;
            hold = hold / 2 + 1;
            passes *= 2;
        }
        addRepeat(hold);

        if (width > 0)
            writePasses(thumb, width, passes);
        frames.put(BlockEnd);
    }

    // Writes the picture `passes` times, scaled to width x LED count by
    // nearest pixel: columns left to right, each from the bottom row to the
    // top, a column end between two columns. The scaled picture is never
    // held whole: a long mode with a low repeat count can be millions of
    // columns wide.
    void writePasses(const QImage &thumb, int width, int passes)
    {
        const int leds = settings.leds;
        const QImage src = thumb.convertToFormat(QImage::Format_ARGB32);
        const int srcWidth = src.width();
        const int srcHeight = src.height();
        const bool blank = src.isNull() || srcWidth < 1 || srcHeight < 1;

        // Source row of each LED, bottom first, and the source column of
        // each output column, exactly as the toolkit's fast scaling picks
        // them (the prop must get the same bytes as a scaled picture would
        // give), without holding the scaled picture itself.
        QVector<const QRgb *> rows(leds);
        QVector<int> columns;
        if (!blank) {
            const QVector<int> rowMap = nearestSourceIndexes(srcHeight, leds);
            for (int i = 0; i < leds; ++i)
                rows[i] = reinterpret_cast<const QRgb *>(src.constScanLine(rowMap[leds - 1 - i]));
            columns = nearestSourceIndexes(srcWidth, width);
        }
        auto sourceColumn = [&](int x) { return columns[x]; };

        const auto &curve = curveTable();
        const qint64 columnBytes = qint64(leds) * 3;
        auto writeColumn = [&](int x, char *p) {
            if (blank) {
                std::fill(p, p + columnBytes, char(0));
                return;
            }
            const int sx = sourceColumn(x);
            for (int i = 0; i < leds; ++i) {
                const QRgb px = rows[i][sx];
                *p++ = char(curve[size_t(qRed(px))]);
                *p++ = char(curve[size_t(qGreen(px))]);
                *p++ = char(curve[size_t(qBlue(px))]);
            }
        };

        const qint64 passBytes = width * (columnBytes + 1) - 1;
        if (passBytes <= PassCacheBytes) {
            QByteArray pass(int(passBytes), Qt::Uninitialized);
            char *p = pass.data();
            for (int x = 0; x < width; ++x) {
                if (x > 0)
                    *p++ = ColumnEnd;
                writeColumn(x, p);
                p += columnBytes;
            }
            frames.repeat(pass, passes);
            return;
        }
        QByteArray column(int(columnBytes), Qt::Uninitialized);
        for (int n = 0; n < passes; ++n) {
            for (int x = 0; x < width; ++x) {
                if (n > 0 || x > 0)
                    frames.put(ColumnEnd);
                writeColumn(x, column.data());
                frames.put(column);
            }
        }
    }

    static constexpr qint64 PassCacheBytes = 32 << 20;
};

} // namespace

quint8 exportCurve(int value)
{
    return curveTable()[size_t(qBound(0, value, 255))];
}

int countBlocks(const QVector<ShowItem> &items, int startMarkMs)
{
    if (items.isEmpty())
        return 0;
    int blocks = items.size();
    if (msOf(items.first().start) - startMarkMs > DarkGapMs)
        ++blocks;
    for (int i = 0; i + 1 < items.size(); ++i)
        if (msOf(items.at(i + 1).start) - msOf(items.at(i).end) > DarkGapMs)
            ++blocks;
    return blocks;
}

BuildResult buildShowImage(const QVector<ShowItem> &items, const ShowSettings &settings,
                           QByteArray *header, QIODevice *frames,
                           const std::function<void(int)> &progress)
{
    BuildResult result;
    result.blocks = countBlocks(items, settings.startMarkMs);
    if (items.isEmpty()) {
        result.refusal = BuildRefusal::EmptyTrack;
        return result;
    }
    if (settings.leds < 1 || settings.leds > MaxLeds) {
        result.refusal = BuildRefusal::LedCount;
        return result;
    }
    if (!(settings.frameRate >= 1.0f)) {
        result.refusal = BuildRefusal::FrameRate;
        return result;
    }
    if (result.blocks > MaxBlocks) {
        result.refusal = BuildRefusal::TooManyBlocks;
        return result;
    }

    FrameSink sink(frames);
    BuildState state{settings, sink, {}, 0.0f};
    sink.put(BlockEnd);

    const int lead = msOf(items.first().start) - settings.startMarkMs;
    if (lead > DarkGapMs)
        state.darkBlock(lead);

    const int count = items.size();
    for (int i = 0; i < count; ++i) {
        if (progress)
            progress(i * 99 / count);
        qCDebug(lcExport) << "export" << i;
        const ShowItem &item = items.at(i);
        const int start = msOf(item.start);
        const int end = msOf(item.end);
        // A mode cannot play backwards; an inverted span is an empty one.
        const int duration = qMax(0, end - start);
        if (item.kind == ColourMode)
            state.timedBlock(duration, item.colour);
        else
            state.pictureBlock(i, duration, item.loops, item.thumb);

        if (i + 1 < count) {
            const int gap = msOf(items.at(i + 1).start) - end;
            if (gap > DarkGapMs)
                state.darkBlock(gap);
        }
    }

    const QByteArray closing = closingRecord();
    if (settings.autoRepeat) {
        sink.put(ColumnEnd);
        sink.put(closing);
    }
    sink.flush();
    if (sink.failed()) {
        result.refusal = BuildRefusal::WriteFailed;
        return result;
    }
    result.frameBytes = sink.written();

    QByteArray h;
    h.append(char(settings.slot));
    h.append(BlockEnd);
    h.append(ColumnEnd);
    h.append(char(settings.leds & 0xFF));
    h.append(char(result.blocks & 0xFF));
    {
        QDataStream s(&h, QIODevice::WriteOnly | QIODevice::Append);
        s << QByteArray::number(settings.fpsText);
    }
    h.append(BlockEnd);
    h.append(state.repeats);
    h.append(closing);
    if (header)
        *header = h;
    return result;
}

ShowImage buildShowImage(const QVector<ShowItem> &items, const ShowSettings &settings)
{
    ShowImage image;
    QBuffer buffer(&image.frames);
    buffer.open(QIODevice::WriteOnly);
    image.result = buildShowImage(items, settings, &image.header, &buffer);
    buffer.close();
    if (!image.result.ok()) {
        image.header.clear();
        image.frames.clear();
    }
    return image;
}

QByteArray headerWireBytes(const QByteArray &header)
{
    if (header.size() < 3)
        return {};
    return header.mid(1, header.size() - 3);
}

} // namespace vc::device
