#include "core/model/moderecord.h"

#include "core/model/repeatsuggestion.h"

#include <QBuffer>
#include <QCache>
#include <QDataStream>
#include <QTime>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <limits>

namespace vc {

namespace {

// A QTime travels as its milliseconds since midnight, a null time as -1.
constexpr quint32 NullTime = 0xffffffffu;
constexpr qint32 MsPerDay = 24 * 60 * 60 * 1000;

quint32 timeField(qint32 ms)
{
    return ms < 0 ? NullTime : quint32(ms);
}

// The CRC-32 that guards every PNG chunk.
quint32 crc32(const char *data, qint64 size)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xffffffffu;
    for (qint64 i = 0; i < size; ++i)
        c = table[(c ^ quint8(data[i])) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

// The byte range of a PNG file at the start of `data`, found by walking its
// chunks up to IEND without decoding anything. Returns -1 when the data is
// not a complete PNG or a chunk fails its checksum, so damaged pictures
// never reach the decoder. The header's width and height are reported.
qint64 pngExtent(const char *data, qint64 size, quint32 *width, quint32 *height,
                 bool checkCrc = true)
{
    static const char signature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    if (size < 8 + 25 || !std::equal(signature, signature + 8, data))
        return -1;
    auto be32 = [data](qint64 at) { return qFromBigEndian<quint32>(data + at); };
    // The first chunk must be the 13-byte header.
    if (be32(8) != 13 || std::string(data + 12, 4) != "IHDR")
        return -1;
    *width = be32(16);
    *height = be32(20);
    qint64 at = 8;
    while (at + 12 <= size) {
        const quint32 length = be32(at);
        if (length > 0x7fffffffu)
            return -1;
        const qint64 next = at + 12 + qint64(length);
        if (next > size)
            return -1;
        if (checkCrc && crc32(data + at + 4, 4 + qint64(length)) != be32(next - 4))
            return -1;
        if (std::string(data + at + 4, 4) == "IEND")
            return next;
        at = next;
    }
    return -1;
}

// Only the size the editor makes thumbs at is taken for one: a picture
// claiming any other may unpack to gigabytes from a few kilobytes.
bool thumbSized(quint32 width, quint32 height)
{
    return height == quint32(ThumbHeight) && width > 0 && width <= quint32(MaxThumbWidth);
}

} // namespace

QSize storedThumbSize(const QByteArray &record)
{
    if (record.size() < 4 || qFromBigEndian<qint32>(record.constData()) == 0)
        return {};
    quint32 w = 0;
    quint32 h = 0;
    if (pngExtent(record.constData() + 4, record.size() - 4, &w, &h, false) < 0 ||
        !thumbSized(w, h))
        return {};
    return QSize(int(w), int(h));
}

namespace {

// The pictures of packed thumbs unpacked lately, by their stored bytes:
// modes made from the same picture (a show reuses a few pictures many
// times) unpack it once. The cost of one is its pixels in units of 1024.
struct Unpacked
{
    QMutex mutex;
    QCache<QByteArray, QImage> images{int(UnpackedThumbPixels / 1024)};
};

Unpacked &unpacked()
{
    // Never destroyed: thumbs may outlive the end of main.
    static Unpacked *cache = new Unpacked;
    return *cache;
}

} // namespace

PackedThumb::PackedThumb(const QByteArray &source, int offset, int length, QSize size)
    : m_source(source), m_offset(offset), m_length(length), m_size(size)
{
}

QImage PackedThumb::decode() const
{
    quint32 w = 0;
    quint32 h = 0;
    const char *data = m_source.constData() + m_offset;
    QImage image;
    // The checksums first: damaged data never reaches the decoder.
    if (pngExtent(data, m_length, &w, &h) == m_length)
        image.loadFromData(reinterpret_cast<const uchar *>(data), m_length, "PNG");
    return image;
}

QImage PackedThumb::image() const
{
    Unpacked &cache = unpacked();
    // Only looked up with: the cache keeps a copy of its own.
    const QByteArray stored = QByteArray::fromRawData(m_source.constData() + m_offset, m_length);
    {
        const QMutexLocker lock(&cache.mutex);
        if (const QImage *kept = cache.images.object(stored))
            return *kept;
    }
    {
        const QMutexLocker lock(&m_mutex);
        if (m_checked && m_damaged)
            return QImage();
    }
    const QImage image = decode();
    {
        const QMutexLocker lock(&m_mutex);
        m_checked = true;
        m_damaged = image.isNull();
    }
    if (!image.isNull()) {
        const qint64 pixels = qint64(image.width()) * image.height();
        const QMutexLocker lock(&cache.mutex);
        cache.images.insert(QByteArray(stored.constData(), stored.size()), new QImage(image),
                            int(std::max<qint64>(1, pixels / 1024)));
    }
    return image;
}

bool PackedThumb::isDamaged() const
{
    const QMutexLocker lock(&m_mutex);
    if (!m_checked) {
        m_damaged = decode().isNull();
        m_checked = true;
    }
    return m_damaged;
}

QImage asPixmapWouldHoldIt(const QImage &image)
{
    if (image.isNull())
        return image;
    if (!image.hasAlphaChannel())
        return image.format() == QImage::Format_RGB32 ? image
                                                      : image.convertToFormat(QImage::Format_RGB32);
    if (image.depth() == 1)
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    bool translucent = false;
    for (int y = 0; y < argb.height() && !translucent; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255) {
                translucent = true;
                break;
            }
        }
    }
    if (!translucent) {
        QImage opaque = argb;
        opaque.reinterpretAsFormat(QImage::Format_RGB32);
        return opaque;
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QByteArray ModeRecord::encode() const
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    if (thumbLength <= 0 || thumbLength > thumbSource.size() || thumbKey != thumb.cacheKey()) {
        // Qt writes a pixmap as its image: a null marker and a PNG.
        s << asPixmapWouldHoldIt(thumb);
    } else {
        s.writeRawData(thumbSource.constData(), thumbLength);
    }
    const int length = out.size();
    s << timeField(start) << timeField(end) << colour << loops << kind << speed << params;
    thumbSource = out;
    thumbLength = length;
    thumbKey = thumb.cacheKey();
    return out;
}

ModeRecord ModeRecord::decode(const QByteArray &bytes, bool *ok, int *used, ThumbDecoding thumbs)
{
    ModeRecord r;
    bool good = true;
    if (ok)
        *ok = false;
    if (used)
        *used = 0;

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QDataStream s(&buffer);

    qint32 marker = 0;
    s >> marker;
    if (s.status() != QDataStream::Ok)
        return r;
    if (marker != 0) {
        quint32 w = 0;
        quint32 h = 0;
        const qint64 at = buffer.pos();
        const bool later = thumbs != ThumbNow;
        const qint64 length =
            pngExtent(bytes.constData() + at, bytes.size() - at, &w, &h, thumbs != ThumbLater);
        if (length < 0)
            return r; // the end of the picture is unknown, so is everything after it
        const bool sized = thumbSized(w, h);
        if (sized && later) {
            r.packedThumb = std::make_shared<const PackedThumb>(bytes, int(at), int(length),
                                                                QSize(int(w), int(h)));
            // Encoding writes the stored picture again as long as no other
            // thumb is set.
            r.thumbSource = bytes;
            r.thumbLength = int(at + length);
            r.thumbKey = r.thumb.cacheKey();
        } else if (sized) {
            QImage image;
            if (image.loadFromData(reinterpret_cast<const uchar *>(bytes.constData() + at),
                                   int(length), "PNG")) {
                r.thumb = image;
                r.thumbSource = bytes;
                r.thumbLength = int(at + length);
                r.thumbKey = r.thumb.cacheKey();
            } else {
                good = false;
            }
        } else {
            good = false; // refused before decoding: not a thumb
        }
        buffer.seek(at + length);
    } else {
        r.thumbSource = bytes;
        r.thumbLength = int(buffer.pos());
        r.thumbKey = r.thumb.cacheKey();
    }

    auto readTime = [&](qint32 *field) {
        quint32 v = 0;
        s >> v;
        if (s.status() != QDataStream::Ok)
            return false;
        const qint32 ms = qint32(v);
        if (ms == -1) {
            *field = -1;
        } else if (ms >= 0 && ms < MsPerDay) {
            *field = ms;
        } else {
            *field = 0; // not a time of day: reads as 0, as QTime reports it
            good = false;
        }
        return true;
    };
    if (!readTime(&r.start) || !readTime(&r.end))
        return r;

    // A colour's first byte is its spec; an unknown spec would leave QColor
    // in a state none of its conversions expect.
    {
        const qint64 at = buffer.pos();
        qint8 spec = 0;
        s >> spec;
        if (s.status() != QDataStream::Ok)
            return r;
        buffer.seek(at);
        if (spec >= QColor::Invalid && spec <= QColor::ExtendedRgb) {
            s >> r.colour;
        } else {
            r.colour = QColor();
            good = false;
            if (at + 11 > buffer.size())
                return r; // cut inside the colour; seeking past the end only warns
            buffer.seek(at + 11);
        }
        if (s.status() != QDataStream::Ok || buffer.pos() != at + 11) {
            r.colour = QColor();
            return r;
        }
    }

    qint32 v = 0;
    s >> v;
    if (s.status() != QDataStream::Ok)
        return r;
    r.loops = v;
    s >> v;
    if (s.status() != QDataStream::Ok)
        return r;
    r.kind = v;
    s >> v;
    if (s.status() != QDataStream::Ok)
        return r;
    r.speed = v;
    // Qt reads a string in steps of at most 1 MiB and stops at the end of
    // the data, so a corrupt length cannot make it allocate more than that.
    QString params;
    s >> params;
    if (s.status() != QDataStream::Ok)
        return r;
    r.params = params;

    if (ok)
        *ok = good;
    if (used)
        *used = int(buffer.pos());
    return r;
}

void ModeRecord::retime(int newStart, int newEnd, float frameRate, int leds)
{
    retimeWithWidth(newStart, newEnd, frameRate, scaledWidthForHeight(thumbSize(), leds));
}

void ModeRecord::retimeWithWidth(int newStart, int newEnd, float frameRate, int patternWidth)
{
    start = newStart;
    end = newEnd;
    if (speed == 0)
        return;
    const int counted = loopsForSpeed(speed, start, end, frameRate, patternWidth, loops);
    if (counted == loops)
        return;
    loops = counted;
    // The parameter text repeats the count (the panel shows it from there):
    // it says what Insert would have written at this length.
    params = paramsWithLoops(params, loops);
}

int scaledWidthForHeight(QSize size, int leds)
{
    if (size.width() <= 0 || size.height() <= 0 || leds <= 0)
        return 0;
    if (leds == size.height())
        return size.width();
    const double factor = double(leds) / size.height();
    return qRound(factor * size.width());
}

int loopsForSpeed(int speed, int startMs, int endMs, float frameRate, int patternWidth,
                  int fallback)
{
    if (speed == 0 || patternWidth <= 0)
        return fallback;
    // The editor's own suggestion, so that a mode resized to a length holds
    // the count it would have had when inserted at that length.
    const int ms = std::max(endMs, 0) - std::max(startMs, 0);
    return repeatSuggestion(ms / 1000.0, speed, frameRate, patternWidth);
}

QString formatTime(int ms)
{
    return QTime(0, 0).addMSecs(std::max(ms, 0)).toString(QStringLiteral("mm:ss.zzz"));
}

// ---------------------------------------------------------------- params

namespace {

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString num(int v)
{
    return QString::number(v);
}

const QChar Q('?');
const QChar Bar('|');

} // namespace

QString pictureParams(int loops, const QString &path, int gap, bool flipH, bool flipV)
{
    return QStringLiteral("0") + Q + num(loops) + Q + path + Q + num(gap) + Bar + flag(flipH) +
           Bar + flag(flipV);
}

QString colourParams(const QColor &colour)
{
    return QStringLiteral("1") + Q + colour.name();
}

QString textParams(int loops, const QColor &colour1, const QColor &colour2, const QString &text,
                   int fontIndex, int fontSizeIndex, int width, bool flipH, bool flipV)
{
    return QStringLiteral("2") + Q + num(loops) + Q + colour1.name() + Bar + colour2.name() + Bar +
           text + Bar + num(fontIndex) + Bar + num(fontSizeIndex) + Q + num(width) + Bar +
           flag(flipH) + Bar + flag(flipV);
}

QString effectParams(int loops, const QColor &colour1, const QColor &colour2, int effectIndex,
                     int threeColourState, int effectWidth, bool flipH, bool flipV)
{
    // The first value of the last field is a constant 0.
    return QStringLiteral("3") + Q + num(loops) + Q + colour1.name() + Bar + colour2.name() + Bar +
           num(effectIndex) + Bar + num(threeColourState) + Bar + num(effectWidth) + Q +
           QStringLiteral("0") + Bar + flag(flipH) + Bar + flag(flipV);
}

QString paramsWithLoops(const QString &params, int loops)
{
    // "<kind>?<count>?..." for a picture, a text or an effect; a colour's
    // text has no count.
    const int first = params.indexOf(Q);
    const int second = first < 0 ? -1 : params.indexOf(Q, first + 1);
    if (second < 0)
        return params;
    const QStringRef kind = params.leftRef(first);
    if (kind != QLatin1String("0") && kind != QLatin1String("2") && kind != QLatin1String("3"))
        return params;
    bool isNumber = false;
    params.midRef(first + 1, second - first - 1).toInt(&isNumber);
    if (!isNumber)
        return params;
    return params.left(first + 1) + num(loops) + params.mid(second);
}

bool isOldFormat(const QString &params)
{
    return !params.contains(Bar) && !params.contains(QLatin1Char('#'));
}

ModeParams parseParams(const QString &params)
{
    ModeParams p;
    if (isOldFormat(params)) {
        p.oldFormat = true;
        return p;
    }
    const QStringList parts = params.split(Q, Qt::KeepEmptyParts);
    p.kind = parts.value(0).toInt();
    QStringList a;
    QStringList b;
    if (parts.size() >= 3) {
        a = parts.at(2).split(Bar, Qt::KeepEmptyParts);
        b = parts.value(3).split(Bar, Qt::KeepEmptyParts);
    }
    // Every kind but the plain colour ends in the two flips; text and effect
    // begin with their two colours.
    const auto readFlips = [&] {
        p.flipH = b.value(1).toInt() != 0;
        p.flipV = b.value(2).toInt() != 0;
    };
    const auto readColours = [&] {
        p.colour1 = QColor(a.value(0));
        p.colour2 = QColor(a.value(1));
    };
    switch (p.kind) {
    case Picture:
        p.picturePath = parts.value(2);
        p.gap = b.value(0).toInt();
        readFlips();
        break;
    case Colour:
        p.colour1 = QColor(parts.value(1));
        break;
    case Text:
        readColours();
        p.text = a.value(2);
        p.fontIndex = a.value(3).toInt();
        p.fontSizeIndex = a.value(4).toInt();
        p.width = b.value(0).toInt();
        readFlips();
        break;
    case Effect:
        readColours();
        p.effectIndex = a.value(2).toInt();
        p.threeColourState = a.value(3).toInt();
        p.effectWidth = a.value(4).toInt();
        readFlips();
        break;
    default:
        break;
    }
    return p;
}

} // namespace vc
