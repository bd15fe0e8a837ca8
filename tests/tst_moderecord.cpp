#include "core/model/moderecord.h"
#include "core/model/repeatsuggestion.h"
#include "testsupport/testenv.h"

#include <QBuffer>
#include <QDataStream>
#include <QImageWriter>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <QTime>

#include <cstdio>

using vc::ModeRecord;

namespace {

QImage makeThumb(int w, int h, QImage::Format format)
{
    QImage img(w, h, format);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    for (int x = 0; x < w; x += 7) {
        p.setBrush(QColor::fromHsv((x * 3) % 360, 200, 255));
        p.drawRect(x, (x * 5) % qMax(1, h), 5, h / 2 + 1);
    }
    return img;
}

ModeRecord sampleRecord()
{
    ModeRecord r;
    r.thumb = makeThumb(170, 85, QImage::Format_RGB32);
    r.start = 1000;
    r.end = 3000;
    r.loops = 4;
    r.kind = vc::Picture;
    r.speed = 10;
    r.params = vc::pictureParams(4, QStringLiteral("/p/a.png"), 20, true, false);
    return r;
}

// What Qt itself writes for the same values, the thumb going in as a pixmap.
QByteArray qtStream(const ModeRecord &r)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    auto time = [](int ms) { return ms < 0 ? QTime() : QTime::fromMSecsSinceStartOfDay(ms); };
    s << QPixmap::fromImage(r.thumb) << time(r.start) << time(r.end) << r.colour << r.loops
      << r.kind << r.speed << r.params;
    return out;
}

int decodeWithoutGui(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 2;
    bool ok = false;
    const ModeRecord r = ModeRecord::decode(f.readAll(), &ok);
    std::printf("%d %dx%d %d %d %s\n", ok ? 1 : 0, r.thumb.width(), r.thumb.height(), r.start,
                r.end, qPrintable(r.params));
    return 0;
}

} // namespace

class TestModeRecord : public QObject
{
    Q_OBJECT

private slots:
    void encodingIsQtsPixmapStream_data();
    void encodingIsQtsPixmapStream();
    void roundTripIgnoresTrailingBytes_data();
    void roundTripIgnoresTrailingBytes();
    void retimeReusesThumbBytes();
    void truncatedRecordsGiveWhatCouldBeRead();
    void corruptRecordsNeverCrash();
    void timeFields_data();
    void timeFields();
    void unknownColourSpecIsRefused();
    void hugeThumbRefusedBeforeDecoding();
    void decodesWithoutGuiApplication();

    void paramsBuilders_data();
    void paramsBuilders();
    void parseParams_data();
    void parseParams();
    void oldFormat_data();
    void oldFormat();

    void loopsForSpeed_data();
    void loopsForSpeed();
    void scaledWidthMatchesQt_data();
    void scaledWidthMatchesQt();
};

void TestModeRecord::encodingIsQtsPixmapStream_data()
{
    QTest::addColumn<QImage>("thumb");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("params");

    QTest::newRow("picture rgb32")
        << makeThumb(170, 85, QImage::Format_RGB32) << 0 << 5000 << QColor() << 0
        << vc::pictureParams(3, "/p/a.png", 20, true, false);
    QTest::newRow("colour") << makeThumb(85, 85, QImage::Format_RGB32) << 1000 << 2500
                            << QColor(255, 0, 128) << 1 << vc::colourParams(QColor(255, 0, 128));
    QTest::newRow("text argb32") << makeThumb(300, 85, QImage::Format_ARGB32) << 42000 << 47000
                                 << QColor() << 2
                                 << vc::textParams(7, Qt::white, Qt::black, "Hi", 3, 9, 40, false,
                                                   true);
    QTest::newRow("effect null times")
        << makeThumb(90, 85, QImage::Format_RGB32) << -1 << -1 << QColor() << 3
        << vc::effectParams(2, Qt::red, Qt::blue, 5, 2, 10, true, true);
    QImage translucent = makeThumb(120, 85, QImage::Format_ARGB32);
    for (int x = 0; x < 120; ++x)
        translucent.setPixel(x, 3, qRgba(200, 100, 50, x * 2));
    QTest::newRow("translucent") << translucent << 0 << 100 << QColor() << 0
                                 << QString("0?1?a?0|0|0");
    QTest::newRow("mono")
        << makeThumb(64, 85, QImage::Format_RGB32).convertToFormat(QImage::Format_Mono) << 0 << 100
        << QColor() << 0 << QString("0?1?a?0|0|0");
    QTest::newRow("null thumb") << QImage() << 10 << 20 << QColor() << 1 << QString("1?#000000");
}

void TestModeRecord::encodingIsQtsPixmapStream()
{
    ModeRecord r;
    QFETCH(QImage, thumb);
    r.thumb = thumb;
    QFETCH(int, start);
    r.start = start;
    QFETCH(int, end);
    r.end = end;
    QFETCH(QColor, colour);
    r.colour = colour;
    r.loops = 3;
    QFETCH(int, kind);
    r.kind = kind;
    r.speed = 12;
    QFETCH(QString, params);
    r.params = params;
    QCOMPARE(r.encode(), qtStream(r));
    // Once more, now from the kept thumb bytes.
    QCOMPARE(r.encode(), qtStream(r));

    // Left packed, the thumb is the same when first needed, and the record
    // encodes to the same bytes without unpacking it.
    const QByteArray bytes = r.encode();
    bool ok = false;
    const ModeRecord later = ModeRecord::decode(bytes, &ok, nullptr, ModeRecord::ThumbLater);
    QVERIFY(ok);
    QCOMPARE(later.encode(), bytes);
    const ModeRecord now = ModeRecord::decode(bytes);
    QCOMPARE(later.thumbSize(), now.thumb.size());
    QCOMPARE(later.thumbImage(), now.thumb);
}

void TestModeRecord::roundTripIgnoresTrailingBytes_data()
{
    QTest::addColumn<QByteArray>("tail");
    QTest::newRow("none") << QByteArray();
    QTest::newRow("old bytes") << QByteArray("\x00\x00\x00\x10"
                                             "garbage after params",
                                             24);
    QTest::newRow("a whole record") << sampleRecord().encode();
}

void TestModeRecord::roundTripIgnoresTrailingBytes()
{
    QFETCH(QByteArray, tail);
    const ModeRecord r = sampleRecord();
    bool ok = false;
    const ModeRecord d = ModeRecord::decode(r.encode() + tail, &ok);
    QVERIFY(ok);
    QCOMPARE(d.thumb.size(), r.thumb.size());
    QCOMPARE(d.thumb.convertToFormat(QImage::Format_RGB32),
             r.thumb.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(d.start, r.start);
    QCOMPARE(d.end, r.end);
    QCOMPARE(d.colour, r.colour);
    QCOMPARE(d.loops, r.loops);
    QCOMPARE(d.kind, r.kind);
    QCOMPARE(d.speed, r.speed);
    QCOMPARE(d.params, r.params);
    // Re-encoding drops the trailing bytes.
    QCOMPARE(d.encode(), r.encode());
}

void TestModeRecord::retimeReusesThumbBytes()
{
    const QByteArray original = sampleRecord().encode();
    ModeRecord d = ModeRecord::decode(original);
    const int thumbLength = d.thumbLength;
    QVERIFY(thumbLength > 100);
    d.retime(5000, 9000, 1333.0f, 80);
    const QByteArray again = d.encode();
    QCOMPARE(again.left(thumbLength), original.left(thumbLength));
    QCOMPARE(again, qtStream(d)); // still exactly Qt's encoding
    // The kept thumb bytes share the record's buffer instead of copying it.
    QCOMPARE(d.thumbSource.constData(), again.constData());

    // A changed thumb is written afresh.
    d.thumb = makeThumb(40, 85, QImage::Format_RGB32);
    QCOMPARE(d.encode(), qtStream(d));
}

void TestModeRecord::truncatedRecordsGiveWhatCouldBeRead()
{
    ModeRecord r = sampleRecord();
    r.colour = QColor(1, 2, 3);
    const QByteArray full = r.encode();
    const int thumbEnd = r.thumbLength;
    for (int cut = 0; cut < full.size(); ++cut) {
        bool ok = true;
        const ModeRecord d = ModeRecord::decode(full.left(cut), &ok);
        QVERIFY2(!ok, qPrintable(QString::number(cut)));
        QCOMPARE(d.thumb.isNull(), cut < thumbEnd);
        QCOMPARE(d.start, cut >= thumbEnd + 4 ? r.start : -1);
        QCOMPARE(d.end, cut >= thumbEnd + 8 ? r.end : -1);
        QCOMPARE(d.colour.isValid(), cut >= thumbEnd + 19);
        QCOMPARE(d.loops, cut >= thumbEnd + 23 ? r.loops : 1);
        QVERIFY(d.params.isEmpty());
    }
    bool ok = false;
    ModeRecord::decode(full, &ok);
    QVERIFY(ok);
}

void TestModeRecord::corruptRecordsNeverCrash()
{
    const QByteArray full = sampleRecord().encode();
    QRandomGenerator rng(7);
    for (int round = 0; round < 400; ++round) {
        QByteArray bad = full;
        const int flips = 1 + int(rng.bounded(8));
        for (int i = 0; i < flips; ++i)
            bad[int(rng.bounded(bad.size()))] = char(rng.bounded(256));
        bool ok = true;
        const ModeRecord d = ModeRecord::decode(bad, &ok);
        QVERIFY(d.thumb.isNull() ||
                qint64(d.thumb.width()) * d.thumb.height() <= vc::MaxThumbPixels);
        // Whatever came out can be written again.
        QVERIFY(!d.encode().isEmpty());
    }
    // A string length claiming gigabytes reads nothing and allocates little.
    ModeRecord probe = sampleRecord();
    const QByteArray head = probe.encode();
    const int paramsAt = head.size() - 4 - probe.params.size() * 2;
    QByteArray lying = head.left(paramsAt);
    lying.append("\x7f\xff\xff\xfe", 4);
    lying.append("\x00\x41", 2);
    bool ok = true;
    const ModeRecord d = ModeRecord::decode(lying, &ok);
    QVERIFY(!ok);
    QVERIFY(d.params.isEmpty());
    QCOMPARE(d.speed, probe.speed);
}

void TestModeRecord::timeFields_data()
{
    QTest::addColumn<quint32>("stored");
    QTest::addColumn<int>("ms");
    QTest::addColumn<bool>("ok");
    QTest::newRow("null") << 0xffffffffu << -1 << true;
    QTest::newRow("zero") << 0u << 0 << true;
    QTest::newRow("last ms of the day") << 86399999u << 86399999 << true;
    QTest::newRow("past the day") << 86400000u << 0 << false;
    QTest::newRow("negative") << 0x80000000u << 0 << false;
}

void TestModeRecord::timeFields()
{
    QFETCH(quint32, stored);
    ModeRecord r = sampleRecord();
    QByteArray bytes = r.encode();
    QDataStream patch(&bytes, QIODevice::ReadWrite);
    patch.device()->seek(r.thumbLength);
    patch << stored;
    bool ok = false;
    const ModeRecord d = ModeRecord::decode(bytes, &ok);
    QTEST(d.start, "ms");
    QTEST(ok, "ok");
    QCOMPARE(d.params, r.params);
    if (stored == 0xffffffffu) {
        // Qt agrees: that is a null time.
        QDataStream s(bytes);
        s.device()->seek(r.thumbLength);
        QTime t;
        s >> t;
        QVERIFY(t.isNull());
    }
}

void TestModeRecord::unknownColourSpecIsRefused()
{
    ModeRecord r = sampleRecord();
    r.colour = QColor(10, 20, 30);
    QByteArray bytes = r.encode();
    bytes[r.thumbLength + 8] = char(99);
    bool ok = true;
    const ModeRecord d = ModeRecord::decode(bytes, &ok);
    QVERIFY(!ok);
    QVERIFY(!d.colour.isValid());
    QCOMPARE(d.params, r.params);

    // Cut inside that colour: refused quietly, without seeking past the end.
    static int warnings;
    warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &) { ++warnings; });
    ok = true;
    const ModeRecord cut = ModeRecord::decode(bytes.left(r.thumbLength + 8 + 5), &ok);
    qInstallMessageHandler(previous);
    QVERIFY(!ok);
    QVERIFY(!cut.colour.isValid());
    QCOMPARE(warnings, 0);
}

void TestModeRecord::hugeThumbRefusedBeforeDecoding()
{
    // A real, valid picture of 12000 x 12000: half a gigabyte once decoded.
    QByteArray png;
    {
        QImage big(12000, 12000, QImage::Format_Mono);
        big.fill(0);
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        QVERIFY(writer.write(big));
    }
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    s << qint32(1);
    s.writeRawData(png.constData(), png.size());
    s << quint32(1000) << quint32(2000) << QColor() << qint32(3) << qint32(0) << qint32(0)
      << QStringLiteral("0?3?/p/x.png?0|0|0");

    bool ok = true;
    const ModeRecord d = ModeRecord::decode(bytes, &ok);
    QVERIFY(!ok);
    QVERIFY(d.thumb.isNull());
    // The fields after the picture are still read.
    QCOMPARE(d.start, 1000);
    QCOMPARE(d.end, 2000);
    QCOMPARE(d.loops, 3);
    QCOMPARE(d.params, QStringLiteral("0?3?/p/x.png?0|0|0"));

    // A long but real thumb is fine.
    ModeRecord wide = sampleRecord();
    wide.thumb = makeThumb(20000, 85, QImage::Format_RGB32);
    const ModeRecord w = ModeRecord::decode(wide.encode(), &ok);
    QVERIFY(ok);
    QCOMPARE(w.thumb.size(), QSize(20000, 85));

    // One of any other height is none the editor made: not unpacked.
    ModeRecord tall = sampleRecord();
    tall.thumb = makeThumb(170, 86, QImage::Format_RGB32);
    const ModeRecord t = ModeRecord::decode(tall.encode(), &ok);
    QVERIFY(!ok);
    QVERIFY(t.thumb.isNull());
    QCOMPARE(t.params, tall.params);
}

void TestModeRecord::decodesWithoutGuiApplication()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(sampleRecord().encode());
    file.close();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--decode-core"), file.fileName()});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
             QStringLiteral("1 170x85 1000 3000 0?4?/p/a.png?20|1|0"));
}

void TestModeRecord::paramsBuilders_data()
{
    QTest::addColumn<QString>("params");
    QTest::addColumn<QString>("expected");
    QTest::newRow("colour") << vc::colourParams(QColor(255, 0, 128)) << "1?#ff0080";
    QTest::newRow("picture") << vc::pictureParams(3, "/p/a.png", 20, true, false)
                             << "0?3?/p/a.png?20|1|0";
    QTest::newRow("text") << vc::textParams(5, QColor(255, 255, 255), QColor(0, 0, 0), "Hello", 2,
                                            9, 30, false, true)
                          << "2?5?#ffffff|#000000|Hello|2|9?30|0|1";
    QTest::newRow("effect") << vc::effectParams(8, QColor(0, 255, 0), QColor(0, 0, 255), 13, 1, 6,
                                                true, true)
                            << "3?8?#00ff00|#0000ff|13|1|6?0|1|1";
}

void TestModeRecord::paramsBuilders()
{
    QFETCH(QString, params);
    QTEST(params, "expected");
}

void TestModeRecord::parseParams_data()
{
    QTest::addColumn<QString>("params");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("gap");
    QTest::addColumn<QColor>("colour1");
    QTest::addColumn<QColor>("colour2");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");  // font index or effect index
    QTest::addColumn<int>("second"); // font-size index or three-colour state
    QTest::addColumn<int>("width");  // text width or effect width
    QTest::addColumn<bool>("flipH");
    QTest::addColumn<bool>("flipV");

    QTest::newRow("picture") << "0?3?/p/a.png?20|1|0" << 0 << "/p/a.png" << 20 << QColor()
                             << QColor() << "" << 0 << 0 << 0 << true << false;
    QTest::newRow("picture short") << "0?3?/p/a|b.png" << 0 << "/p/a|b.png" << 0 << QColor()
                                   << QColor() << "" << 0 << 0 << 0 << false << false;
    QTest::newRow("colour") << "1?#ff0080" << 1 << "" << 0 << QColor(255, 0, 128) << QColor() << ""
                            << 0 << 0 << 0 << false << false;
    QTest::newRow("text") << "2?5?#ffffff|#000000|Hello|2|9?30|0|1" << 2 << "" << 0
                          << QColor(Qt::white) << QColor(Qt::black) << "Hello" << 2 << 9 << 30
                          << false << true;
    QTest::newRow("effect") << "3?8?#00ff00|#0000ff|13|1|6?0|1|1" << 3 << "" << 0
                            << QColor(0, 255, 0) << QColor(0, 0, 255) << "" << 13 << 1 << 6 << true
                            << true;
    QTest::newRow("effect missing fields") << "3?8?#00ff00" << 3 << "" << 0 << QColor(0, 255, 0)
                                           << QColor() << "" << 0 << 0 << 0 << false << false;
}

void TestModeRecord::parseParams()
{
    QFETCH(QString, params);
    const vc::ModeParams p = vc::parseParams(params);
    QVERIFY(!p.isOldFormat());
    QTEST(p.kind, "kind");
    QFETCH(int, index);
    QFETCH(int, second);
    QFETCH(int, width);
    switch (p.kind) {
    case vc::Picture:
        QTEST(p.picturePath, "path");
        QTEST(p.gap, "gap");
        break;
    case vc::Colour:
        QTEST(p.colour1, "colour1");
        break;
    case vc::Text:
        QTEST(p.colour1, "colour1");
        QTEST(p.colour2, "colour2");
        QTEST(p.text, "text");
        QCOMPARE(p.fontIndex, index);
        QCOMPARE(p.fontSizeIndex, second);
        QCOMPARE(p.width, width);
        break;
    case vc::Effect:
        QTEST(p.colour1, "colour1");
        QTEST(p.colour2, "colour2");
        QCOMPARE(p.effectIndex, index);
        QCOMPARE(p.threeColourState, second);
        QCOMPARE(p.effectWidth, width);
        break;
    }
    if (p.kind != vc::Colour) {
        QTEST(p.flipH, "flipH");
        QTEST(p.flipV, "flipV");
    }
}

void TestModeRecord::oldFormat_data()
{
    QTest::addColumn<QString>("params");
    QTest::addColumn<bool>("old");
    QTest::newRow("old picture") << "0?1?x" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("colour") << "1?#ff0080" << false;
    QTest::newRow("bar only") << "0?1?x?0|0|0" << false;
}

void TestModeRecord::oldFormat()
{
    QFETCH(QString, params);
    QTEST(vc::isOldFormat(params), "old");
    QTEST(vc::parseParams(params).isOldFormat(), "old");
}

void TestModeRecord::loopsForSpeed_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<QSize>("thumb");
    QTest::addColumn<int>("leds");
    QTest::addColumn<float>("fps");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("loops");

    // As the editor suggests it: half again as many above 1500 frames per
    // second (not twice as many, which made a resized mode differ from one
    // inserted at the same length).
    QTest::newRow("fast prop") << 10 << QSize(170, 85) << 80 << 2100.0f << 0 << 4000 << 38;
    QTest::newRow("slow prop") << 10 << QSize(170, 85) << 80 << 1333.0f << 0 << 4000 << 25;
    QTest::newRow("null start counts as 0")
        << 10 << QSize(170, 85) << 80 << 1333.0f << -1 << 4000 << 25;
    QTest::newRow("at least one") << 2 << QSize(1700, 85) << 80 << 1000.0f << 0 << 100 << 1;
    QTest::newRow("no speed keeps") << 0 << QSize(170, 85) << 80 << 2100.0f << 0 << 4000 << 7;
    QTest::newRow("no thumb keeps") << 10 << QSize() << 80 << 2100.0f << 0 << 4000 << 7;
    QTest::newRow("no leds keeps") << 10 << QSize(170, 85) << 0 << 2100.0f << 0 << 4000 << 7;
    QTest::newRow("huge stays in the spin box's range")
        << 18 << QSize(85, 85) << 1 << 2100.0f << 0 << 2000000000 << vc::MaxLoops;
}

void TestModeRecord::loopsForSpeed()
{
    QFETCH(int, speed);
    QFETCH(QSize, thumb);
    QFETCH(int, leds);
    QFETCH(float, fps);
    QFETCH(int, start);
    QFETCH(int, end);
    QTEST(vc::loopsForSpeed(speed, start, end, fps, vc::scaledWidthForHeight(thumb, leds), 7),
          "loops");

    ModeRecord r;
    r.thumb = thumb.isEmpty() ? QImage() : QImage(thumb, QImage::Format_RGB32);
    r.speed = speed;
    r.loops = 7;
    r.retime(start, end, fps, leds);
    QCOMPARE(r.start, start);
    QCOMPARE(r.end, end);
    QTEST(r.loops, "loops");
}

void TestModeRecord::scaledWidthMatchesQt_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("leds");
    QTest::newRow("170x85 to 80") << QSize(170, 85) << 80;
    QTest::newRow("same height") << QSize(33, 85) << 85;
    QTest::newRow("odd") << QSize(101, 85) << 72;
    QTest::newRow("round half") << QSize(17, 34) << 1;
    QTest::newRow("up") << QSize(999, 85) << 144;
    QTest::newRow("to nothing") << QSize(1, 85) << 20;
}

void TestModeRecord::scaledWidthMatchesQt()
{
    QFETCH(QSize, size);
    QFETCH(int, leds);
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::red);
    QCOMPARE(vc::scaledWidthForHeight(size, leds),
             img.scaledToHeight(leds, Qt::FastTransformation).width());
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--decode-core") == 0) {
        QCoreApplication app(argc, argv);
        return decodeWithoutGui(QString::fromLocal8Bit(argv[2]));
    }
    vc::test::isolateEnvironment();
    VC_TEST_APPLICATION app(argc, argv);
    TestModeRecord tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_moderecord.moc"
