#include "core/device/showfile.h"
#include "core/device/showimage.h"
#include "core/device/streamfiles.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

using namespace vc::device;

using vc::test::readData;

namespace {

ShowItem colourItem(int start, int end, const QColor &c)
{
    ShowItem it;
    it.start = start;
    it.end = end;
    it.kind = ColourMode;
    it.colour = c;
    return it;
}

ShowItem pictureItem(int start, int end, int loops, const QImage &thumb = QImage())
{
    ShowItem it;
    it.start = start;
    it.end = end;
    it.kind = 0;
    it.loops = loops;
    it.thumb = thumb.isNull() ? QImage(40, 85, QImage::Format_RGB32) : thumb;
    if (thumb.isNull())
        it.thumb.fill(QColor(200, 100, 50));
    return it;
}

ShowSettings settingsFor(int leds, float rate)
{
    ShowSettings s;
    s.leds = qint16(leds);
    s.frameRate = rate;
    s.fpsText = int(rate);
    s.slot = 1;
    s.autoRepeat = false;
    return s;
}

// The show image read back: what a prop would see.
struct Parsed
{
    int slot = 0;
    int leds = 0;
    int blockCount = 0;
    QByteArray fps;
    QList<int> repeats;
    QList<QList<QByteArray>> blocks; // columns of each block
    bool loopMarker = false;
};

Parsed parse(const QByteArray &header, const QByteArray &frames)
{
    Parsed p;
    p.slot = quint8(header.at(0));
    p.leds = quint8(header.at(3));
    p.blockCount = quint8(header.at(4));
    const int n = int(quint8(header.at(8)));
    p.fps = header.mid(9, n);
    int pos = 9 + n + 1;
    const int listEnd = header.size() - 10;
    while (pos < listEnd) {
        const int ff = header.indexOf(char(0xFF), pos);
        p.repeats << header.mid(pos, ff - pos).toInt();
        pos = ff + 1;
    }

    int i = 1; // after the lead byte
    QList<QByteArray> columns;
    QByteArray column;
    while (i < frames.size()) {
        const char c = frames.at(i);
        if (c == char(0xFF)) {
            if (!column.isEmpty() || !columns.isEmpty())
                columns << column;
            p.blocks << columns;
            columns.clear();
            column.clear();
            ++i;
            if (i < frames.size() && frames.at(i) == char(0xFE) && frames.size() - i == 11) {
                p.loopMarker = frames.mid(i + 1) == QByteArray("\0\0\0\x06"
                                                               "00000\0",
                                                               10);
                break;
            }
            continue;
        }
        if (c == char(0xFE)) {
            columns << column;
            column.clear();
        } else {
            column.append(c);
        }
        ++i;
    }
    return p;
}

} // namespace

class TestShowImage : public QObject
{
    Q_OBJECT

private slots:
    void goldenImage();
    void exportCurve_data();
    void exportCurve();
    void colourBlockAndDriftCarry();
    void pictureBlock();
    void repeatSplitting_data();
    void repeatSplitting();
    void correctionToZeroColumns();
    void darkBlocks_data();
    void darkBlocks();
    void structureMatchesHeader();
    void pictureColumnOrder();
    void pictureSamplingMatchesScaledPicture_data();
    void pictureSamplingMatchesScaledPicture();
    void shortColourBlock();
    void refusals_data();
    void refusals();
    void wireHeader();
    void showFile_data();
    void showFile();
    void showFileName_data();
    void showFileName();
    void streamFilesReplacedWhole();
    void streamFileWriteFailure();
};

void TestShowImage::goldenImage()
{
    ShowSettings s = settingsFor(2, 10.0f);
    s.autoRepeat = true;
    const ShowImage img = buildShowImage({colourItem(0, 480, QColor(255, 0, 0))}, s);
    QVERIFY(img.result.ok());
    QCOMPARE(img.header.toHex(' '), readData("showimage_red480.header").toHex(' '));
    QCOMPARE(img.frames.toHex(' '), readData("showimage_red480.frames").toHex(' '));
    QCOMPARE(img.result.blocks, 1);
    QCOMPARE(img.result.frameBytes, qint64(26));
}

void TestShowImage::exportCurve_data()
{
    QTest::addColumn<int>("in");
    QTest::addColumn<int>("out");
    QTest::newRow("full") << 255 << 86;
    QTest::newRow("100") << 100 << 13;
    QTest::newRow("27 is dark") << 27 << 0;
    QTest::newRow("28") << 28 << 1;
    QTest::newRow("zero") << 0 << 0;
}

void TestShowImage::exportCurve()
{
    QFETCH(int, in);
    QTEST(int(vc::device::exportCurve(in)), "out");
}

void TestShowImage::colourBlockAndDriftCarry()
{
    // 10 s of colour at 1333 Hz: H 41, 325 columns, 5 ticks of drift, which
    // the following picture block (952 columns on its own) takes up.
    const ShowSettings s = settingsFor(36, 1333.0f);
    const ShowImage img = buildShowImage(
        {colourItem(0, 10000, QColor(255, 255, 255)), pictureItem(10000, 15000, 7)}, s);
    QVERIFY(img.result.ok());
    const Parsed p = parse(img.header, img.frames);
    QCOMPARE(p.repeats, (QList<int>{41, 7}));
    QCOMPARE(p.blocks.size(), 2);
    QCOMPARE(p.blocks.at(0).size(), 325);
    QCOMPARE(p.blocks.at(0).first(), QByteArray(36 * 3, char(86)));
    QCOMPARE(p.blocks.at(1).size(), 953);
}

void TestShowImage::pictureBlock()
{
    const ShowImage img = buildShowImage({pictureItem(0, 5000, 7)}, settingsFor(36, 1333.0f));
    const Parsed p = parse(img.header, img.frames);
    QCOMPARE(p.repeats, (QList<int>{7}));
    QCOMPARE(p.blocks.at(0).size(), 952);
    for (const QByteArray &col : p.blocks.at(0))
        QCOMPARE(col.size(), 36 * 3);
    QVERIFY(!p.loopMarker);
    QCOMPARE(img.frames.right(1), QByteArray(1, char(0xFF)));
}

void TestShowImage::repeatSplitting_data()
{
    // LED count 120, rate 1000, durations chosen so that V = 100.
    QTest::addColumn<int>("loops");
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("columns");
    QTest::newRow("6: one division by 2") << 6 << 3 << 200;
    QTest::newRow("13: divided by 13") << 13 << 1 << 1300;
    QTest::newRow("17: halved, then by 3") << 17 << 3 << 600;
    QTest::newRow("1: stays") << 1 << 1 << 100;
    QTest::newRow("11: prime up to 13") << 11 << 1 << 1100;
}

void TestShowImage::repeatSplitting()
{
    QFETCH(int, loops);
    QFETCH(int, entry);
    const ShowImage img =
        buildShowImage({pictureItem(0, 100 * loops, loops)}, settingsFor(120, 1000.0f));
    const Parsed p = parse(img.header, img.frames);
    QCOMPARE(p.repeats, (QList<int>{entry}));
    QTEST(int(p.blocks.at(0).size()), "columns");
}

void TestShowImage::correctionToZeroColumns()
{
    // 100 ticks with a hold of 1000: one column at least, 900 ticks too
    // long, so the correction takes the column away again.
    const ShowImage img = buildShowImage({pictureItem(0, 100, 1000)}, settingsFor(10, 1000.0f));
    QVERIFY(img.result.ok());
    const Parsed p = parse(img.header, img.frames);
    QCOMPARE(p.repeats, (QList<int>{500}));
    QCOMPARE(img.frames, QByteArray("\xff\xff", 2));
}

void TestShowImage::darkBlocks_data()
{
    QTest::addColumn<int>("startMark");
    QTest::addColumn<int>("firstStart");
    QTest::addColumn<int>("gap");
    QTest::addColumn<QList<int>>("repeats");
    QTest::newRow("gap 240 adds nothing") << 0 << 0 << 240 << QList<int>{2, 2};
    QTest::newRow("gap 241 is a dark block") << 0 << 0 << 241 << QList<int>{2, 1, 2};
    QTest::newRow("lead-in 240") << 1000 << 1240 << 0 << QList<int>{2, 2};
    QTest::newRow("lead-in 241") << 1000 << 1241 << 0 << QList<int>{1, 2, 2};
    QTest::newRow("start before the mark") << 5000 << 1000 << 0 << QList<int>{2, 2};
    QTest::newRow("no mark, 10 s lead-in") << 0 << 10000 << 0 << QList<int>{41, 2, 2};
}

void TestShowImage::darkBlocks()
{
    QFETCH(int, startMark);
    QFETCH(int, firstStart);
    QFETCH(int, gap);
    ShowSettings s = settingsFor(4, 100.0f);
    s.startMarkMs = startMark;
    const int secondStart = firstStart + 480 + gap;
    const ShowImage img = buildShowImage({colourItem(firstStart, firstStart + 480, Qt::blue),
                                          colourItem(secondStart, secondStart + 480, Qt::green)},
                                         s);
    const Parsed p = parse(img.header, img.frames);
    QTEST(p.repeats, "repeats");
    QCOMPARE(p.blockCount, p.repeats.size());
    QCOMPARE(p.blocks.size(), p.repeats.size());
    if (p.repeats.size() == 3) {
        const QList<QByteArray> dark = p.repeats.first() == 2 ? p.blocks.at(1) : p.blocks.at(0);
        QVERIFY(!dark.isEmpty());
        for (const QByteArray &col : dark)
            QCOMPARE(col, QByteArray(4 * 3, '\0'));
    }
}

void TestShowImage::structureMatchesHeader()
{
    // A mixed show: every block count agrees between header and frames.
    ShowSettings s = settingsFor(48, 1333.0f);
    s.autoRepeat = true;
    s.slot = 7;
    s.fpsText = 1333;
    QVector<ShowItem> items{pictureItem(300, 2000, 3), colourItem(2000, 2100, Qt::red),
                            pictureItem(2500, 9000, 40), colourItem(9100, 12000, Qt::white),
                            pictureItem(20000, 20100, 1)};
    const ShowImage img = buildShowImage(items, s);
    QVERIFY(img.result.ok());
    const Parsed p = parse(img.header, img.frames);
    QCOMPARE(p.slot, 7);
    QCOMPARE(p.leds, 48);
    QCOMPARE(p.fps, QByteArray("1333"));
    QCOMPARE(p.blockCount, 8);
    QCOMPARE(p.repeats.size(), 8);
    QCOMPARE(p.blocks.size(), 8);
    QVERIFY(p.loopMarker);
    QCOMPARE(img.result.frameBytes, qint64(img.frames.size()));
    for (const auto &block : p.blocks)
        for (const QByteArray &col : block)
            QCOMPARE(col.size(), 48 * 3);
    for (char c : img.frames.mid(1, img.frames.size() - 12))
        QVERIFY(quint8(c) <= 86 || quint8(c) >= 0xFE);
}

void TestShowImage::pictureColumnOrder()
{
    // Two columns, two LEDs: each column starts with the bottom row.
    QImage thumb(2, 2, QImage::Format_ARGB32);
    thumb.setPixel(0, 0, qRgba(255, 0, 0, 10)); // top left, alpha ignored
    thumb.setPixel(0, 1, qRgb(0, 255, 0));      // bottom left
    thumb.setPixel(1, 0, qRgb(0, 0, 255));      // top right
    thumb.setPixel(1, 1, qRgb(100, 100, 100));  // bottom right
    // 2 columns of hold 1 at 10 Hz: 200 ms. Four columns needed (2 x LEDs),
    // hold 1 cannot be split: one pass.
    const ShowImage img = buildShowImage({pictureItem(0, 200, 1, thumb)}, settingsFor(2, 10.0f));
    QCOMPARE(img.frames.toHex(' '), QByteArray("ff 00 56 00 56 00 00 fe 0d 0d 0d 00 00 56 ff"));
}

void TestShowImage::pictureSamplingMatchesScaledPicture_data()
{
    QTest::addColumn<int>("thumbWidth");
    QTest::addColumn<int>("leds");
    QTest::addColumn<int>("durationMs"); // at 1000 Hz and repeat count 1: the column count
    QTest::newRow("7 -> 459 at 36") << 7 << 36 << 459;
    QTest::newRow("170 -> 952 at 80") << 170 << 80 << 952;
    QTest::newRow("333 -> 2999 at 120") << 333 << 120 << 2999;
    QTest::newRow("85 -> 610 at 255") << 85 << 255 << 610;
}

// The frame bytes of a picture block are the picture scaled by nearest
// pixel exactly as the toolkit scales it, column by column from the bottom.
void TestShowImage::pictureSamplingMatchesScaledPicture()
{
    QFETCH(int, thumbWidth);
    QFETCH(int, leds);
    QFETCH(int, durationMs);
    QImage thumb(thumbWidth, 85, QImage::Format_ARGB32);
    for (int y = 0; y < 85; ++y)
        for (int x = 0; x < thumbWidth; ++x)
            thumb.setPixel(x, y, qRgb((x * 7) % 256, (y * 3) % 256, (x + y) % 256));
    const ShowImage img =
        buildShowImage({pictureItem(0, durationMs, 1, thumb)}, settingsFor(leds, 1000.0f));
    const Parsed p = parse(img.header, img.frames);
    QCOMPARE(p.blocks.size(), 1);
    const int columns = p.blocks.first().size();
    const QImage scaled =
        thumb.scaled(columns, leds, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    for (int x = 0; x < columns; ++x) {
        const QByteArray column = p.blocks.first().at(x);
        QCOMPARE(column.size(), leds * 3);
        for (int i = 0; i < leds; ++i) {
            const QRgb px = scaled.pixel(x, leds - 1 - i);
            QByteArray want;
            want.append(char(vc::device::exportCurve(qRed(px))));
            want.append(char(vc::device::exportCurve(qGreen(px))));
            want.append(char(vc::device::exportCurve(qBlue(px))));
            if (column.mid(i * 3, 3) != want)
                QFAIL(qPrintable(QStringLiteral("column %1 LED %2 differs").arg(x).arg(i)));
        }
    }
}

void TestShowImage::shortColourBlock()
{
    const ShowImage img = buildShowImage({colourItem(0, 200, Qt::white), pictureItem(200, 700, 1)},
                                         settingsFor(4, 100.0f));
    const Parsed p = parse(img.header, img.frames);
    QCOMPARE(p.repeats.first(), 0);
    QCOMPARE(p.blocks.first().size(), 0);
    // The 20 ticks of the short colour mode are made up by the picture.
    QCOMPARE(p.blocks.at(1).size(), 50 + 20);
}

void TestShowImage::refusals_data()
{
    QTest::addColumn<int>("leds");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("gap");
    QTest::addColumn<float>("rate");
    QTest::addColumn<int>("refusal");
    QTest::addColumn<int>("blocks");
    const int none = int(BuildRefusal::None);
    QTest::newRow("empty track") << 36 << 0 << 0 << 100.f << int(BuildRefusal::EmptyTrack) << 0;
    QTest::newRow("256 LEDs") << 256 << 1 << 0 << 100.f << int(BuildRefusal::LedCount) << 1;
    QTest::newRow("no LEDs") << 0 << 1 << 0 << 100.f << int(BuildRefusal::LedCount) << 1;
    QTest::newRow("255 LEDs") << 255 << 1 << 0 << 100.f << none << 1;
    QTest::newRow("no frame rate") << 8 << 1 << 0 << 0.f << int(BuildRefusal::FrameRate) << 1;
    QTest::newRow("255 blocks") << 8 << 128 << 300 << 100.f << none << 255;
    QTest::newRow("256 blocks") << 8 << 256 << 0 << 100.f << int(BuildRefusal::TooManyBlocks)
                                << 256;
    QTest::newRow("256 with gaps")
        << 8 << 129 << 300 << 100.f << int(BuildRefusal::TooManyBlocks) << 257;
}

void TestShowImage::refusals()
{
    QFETCH(int, leds);
    QFETCH(int, items);
    QFETCH(int, gap);
    QFETCH(float, rate);
    QVector<ShowItem> list;
    int t = 0;
    for (int i = 0; i < items; ++i) {
        list << colourItem(t, t + 480, Qt::red);
        t += 480 + gap;
    }
    QByteArray header("old");
    QByteArray frames;
    QBuffer buffer(&frames);
    buffer.open(QIODevice::WriteOnly);
    const BuildResult r = buildShowImage(list, settingsFor(leds, rate), &header, &buffer);
    QTEST(int(r.refusal), "refusal");
    QTEST(r.blocks, "blocks");
    if (!r.ok()) {
        QCOMPARE(header, QByteArray("old"));
        QVERIFY(frames.isEmpty());
    } else {
        QCOMPARE(int(quint8(header.at(4))), r.blocks);
    }
}

void TestShowImage::wireHeader()
{
    QCOMPARE(headerWireBytes(readData("showimage_red480.header")).toHex(' '),
             QByteArray("ff fe 02 01 00 00 00 02 31 30 ff 32 ff 00 00 00 06 30 30 30 30"));
}

void TestShowImage::showFile_data()
{
    QTest::addColumn<int>("frameBytes");
    QTest::addColumn<int>("records");
    QTest::newRow("1000 bytes: four records") << 1000 << 4;
    QTest::newRow("exactly 256") << 256 << 1;
    QTest::newRow("257") << 257 << 2;
}

void TestShowImage::showFile()
{
    QFETCH(int, frameBytes);
    QFETCH(int, records);
    const QByteArray header = readData("showimage_red480.header");
    QByteArray frames(frameBytes, Qt::Uninitialized);
    for (int i = 0; i < frameBytes; ++i)
        frames[i] = char(i % 251);
    QBuffer in(&frames);
    in.open(QIODevice::ReadOnly);
    QByteArray out;
    QBuffer file(&out);
    file.open(QIODevice::WriteOnly);
    QList<int> progress;
    QVERIFY(writeShowFile(file, header, in, [&](int p) { progress << p; }));

    QCOMPARE(out.left(6), QByteArray("\0\0\0\x02\x01\0", 6));
    QCOMPARE(out.mid(6, 4), QByteArray("\0\0\0\x18", 4));
    QCOMPARE(out.mid(10, 23), header.mid(1));
    const int first = 6 + 4 + header.size();
    QCOMPARE(out.size(), first + records * 260);
    for (int r = 0; r < records; ++r) {
        QCOMPARE(out.mid(first + r * 260, 4), QByteArray("\0\0\x01\0", 4));
        QCOMPARE(out.mid(first + r * 260 + 4, 256),
                 frames.mid(r * 256, 256).leftJustified(256, '\0'));
    }
    QCOMPARE(progress.first(), 0);
    QVERIFY(progress.last() < 100);
}

void TestShowImage::showFileName_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("saved");
    QTest::newRow("plain") << "/d/show"
                           << "/d/show.bin";
    QTest::newRow("has .bin") << "/d/show.bin"
                              << "/d/show.bin";
    QTest::newRow(".bin inside") << "/d/a.bin.x"
                                 << "/d/a.bin.x";
    QTest::newRow("upper case") << "/d/show.BIN"
                                << "/d/show.BIN.bin";
}

void TestShowImage::showFileName()
{
    QFETCH(QString, chosen);
    QTEST(vc::device::showFileName(chosen), "saved");
}

void TestShowImage::streamFilesReplacedWhole()
{
    QTemporaryDir dir;
    const StreamFiles files{dir.filePath("h.tmp"), dir.filePath("f.tmp")};
    ShowSettings s = settingsFor(2, 10.0f);
    s.autoRepeat = true;
    QVERIFY(writeStreamFiles({colourItem(0, 480, Qt::red)}, s, files).ok());
    QString out = dir.filePath("show.bin");
    QString error;
    QVERIFY(exportShowFile(out, files.headerPath, files.framePath, &error));
    QFile bin(out);
    QVERIFY(bin.open(QIODevice::ReadOnly));
    QCOMPARE(bin.readAll().toHex(' '), readData("showimage_red480.bin").toHex(' '));

    // A refused build leaves the last image in place.
    const StreamWriteResult refused = writeStreamFiles({}, s, files);
    QCOMPARE(refused.build.refusal, BuildRefusal::EmptyTrack);
    QFile h(files.headerPath);
    QVERIFY(h.open(QIODevice::ReadOnly));
    QCOMPARE(h.readAll(), readData("showimage_red480.header"));

    // Default location: the user's data directory, not the working directory.
    const StreamFiles def = defaultStreamFiles();
    QVERIFY(def.headerPath.startsWith(vc::test::testHome()));
    QVERIFY(def.headerPath.endsWith("/extemp2.tmp"));
    QVERIFY(def.framePath.endsWith("/extemp.tmp"));
}

void TestShowImage::streamFileWriteFailure()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // A directory below a plain file cannot exist.
    const StreamFiles files{dir.filePath("file/h.tmp"), dir.filePath("file/f.tmp")};
    const StreamWriteResult r =
        writeStreamFiles({colourItem(0, 480, Qt::red)}, settingsFor(2, 10.0f), files);
    QVERIFY(!r.ok());
    QCOMPARE(r.failedPath, files.framePath);
    QVERIFY(!r.error.isEmpty());

    QString error;
    QVERIFY(!exportShowFile(dir.filePath("out.bin"), files.headerPath, files.framePath, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(dir.filePath("out.bin")));
}

VC_TEST_MAIN(TestShowImage)
#include "tst_showimage.moc"
