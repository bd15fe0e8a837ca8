#include "core/render/capturepicture.h"
#include "core/render/picturepattern.h"
#include "testsupport/pixels.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"

#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QTranslator>

using vc::PicturePattern;

namespace {
// A picture whose left half is red and right half is blue.
QImage halves(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::red);
    QPainter p(&img);
    p.fillRect(w / 2, 0, w - w / 2, h, Qt::blue);
    return img;
}
} // namespace

class TestPicturePattern : public QObject
{
    Q_OBJECT

private slots:
    void sizes_data();
    void sizes();
    void gapIsBlack();
    void mirroring_data();
    void mirroring();
    void regap_data();
    void regap();
    void unreadableFileIsEmpty();
    void hugePicturesReadSafely();
    void capturedPicture_data();
    void capturedPicture();
    void savedCapture_data();
    void savedCapture();
};

void TestPicturePattern::sizes_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("leds");
    QTest::addColumn<int>("gap");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QSize>("pattern");

    QTest::newRow("square, no gap") << QSize(100, 100) << 80 << 0 << 80 << QSize(200, 200);
    QTest::newRow("square, gap 100") << QSize(100, 100) << 80 << 100 << 80 << QSize(400, 200);
    QTest::newRow("wide, gap 20") << QSize(400, 100) << 36 << 20 << 144 << QSize(960, 200);
    QTest::newRow("no LEDs") << QSize(100, 100) << 0 << 0 << 0 << QSize(0, 0);
}

void TestPicturePattern::sizes()
{
    QFETCH(QSize, picture);
    QFETCH(int, leds);
    QFETCH(int, gap);
    const PicturePattern p =
        vc::buildPicturePattern(halves(picture.width(), picture.height()), false, false, leds, gap);
    QTEST(p.pictureColumns, "columns");
    QTEST(p.width, "columns"); // W counts the picture without its gap
    QTEST(p.pattern.size(), "pattern");
}

void TestPicturePattern::gapIsBlack()
{
    const PicturePattern p = vc::buildPicturePattern(halves(100, 100), false, false, 80, 100);
    // Left: the picture; right half of the pattern: the black gap.
    QCOMPARE(p.pattern.pixelColor(5, 100), QColor(Qt::red));
    QCOMPARE(p.pattern.pixelColor(195, 100), QColor(Qt::blue));
    QCOMPARE(p.pattern.pixelColor(205, 100), QColor(Qt::black));
    QCOMPARE(p.pattern.pixelColor(399, 199), QColor(Qt::black));
}

void TestPicturePattern::mirroring_data()
{
    QTest::addColumn<bool>("flipH");
    QTest::addColumn<QColor>("left");
    QTest::newRow("as is") << false << QColor(Qt::red);
    QTest::newRow("mirrored") << true << QColor(Qt::blue);
}

void TestPicturePattern::mirroring()
{
    QFETCH(bool, flipH);
    const PicturePattern p = vc::buildPicturePattern(halves(100, 100), flipH, false, 50, 0);
    QTEST(p.pattern.pixelColor(2, 2), "left");
    // Top-bottom mirroring of a top/bottom split.
    QImage tb(10, 10, QImage::Format_RGB32);
    tb.fill(Qt::green);
    QPainter(&tb).fillRect(0, 5, 10, 5, Qt::white);
    const PicturePattern v = vc::buildPicturePattern(tb, false, true, 10, 0);
    QCOMPARE(v.pattern.pixelColor(0, 0), QColor(Qt::white));
}

void TestPicturePattern::regap_data()
{
    QTest::addColumn<int>("firstGap");
    QTest::addColumn<int>("newGap");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("patternWidth");
    QTest::newRow("0 -> 100") << 0 << 100 << 160 << 400;
    QTest::newRow("100 -> 0 crops") << 100 << 0 << 80 << 200;
    QTest::newRow("0 -> 52") << 0 << 52 << 121 << 303; // Qt rounds 302.5 up
}

void TestPicturePattern::regap()
{
    QFETCH(int, firstGap);
    QFETCH(int, newGap);
    const PicturePattern first =
        vc::buildPicturePattern(halves(100, 100), false, false, 80, firstGap);
    const PicturePattern p = vc::regapPicturePattern(first, 80, newGap);
    QTEST(p.width, "width"); // after the slider moves, W counts the gap
    QTEST(p.pattern.width(), "patternWidth");
    QCOMPARE(p.pattern.height(), 200);
    QCOMPARE(p.pattern.pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(p.pattern.pixelColor(p.pattern.width() - 1, 5),
             newGap > 0 ? QColor(Qt::black) : QColor(Qt::blue));
}

void TestPicturePattern::unreadableFileIsEmpty()
{
    QTemporaryDir dir;
    const QString path = vc::test::writeFile(dir.filePath(QStringLiteral("not-a-picture.png")),
                                             "this is text, not a picture");
    const vc::PictureRead read = vc::readPictureForLeds(path, 80);
    QVERIFY(read.image.isNull());
    QVERIFY(read.error.isEmpty());
    const PicturePattern p = vc::buildPicturePattern(read.image, false, false, 80, 0);
    QCOMPARE(p.width, 0);
    QVERIFY(p.pattern.isNull());
}

void TestPicturePattern::hugePicturesReadSafely()
{
    QTemporaryDir dir;
    // A JPEG of 6000 x 4000 decodes at a reduced size.
    QImage big(6000, 4000, QImage::Format_RGB32);
    big.fill(Qt::darkCyan);
    const QString jpg = dir.filePath(QStringLiteral("big.jpg"));
    QVERIFY(big.save(jpg, "JPG", 80));
    big = QImage();
    const vc::PictureRead r = vc::readPictureForLeds(jpg, 80);
    QVERIFY(!r.image.isNull());
    QVERIFY(r.image.height() <= 640);
    const PicturePattern p = vc::buildPicturePattern(r.image, false, false, 80, 0);
    QCOMPARE(p.pictureColumns, 120);

    // A strip a million times wider than high is refused, not allocated.
    QImage strip(60000, 1, QImage::Format_RGB32);
    strip.fill(Qt::white);
    const QString stripPath = dir.filePath(QStringLiteral("strip.png"));
    QVERIFY(strip.save(stripPath));
    const vc::PictureRead s = vc::readPictureForLeds(stripPath, 200);
    QVERIFY(s.image.isNull());
    QVERIFY(!s.error.isEmpty());
    QVERIFY(vc::buildPicturePattern(strip, false, false, 200, 0).pattern.isNull());

    // The refusal is translated in its own context.
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/language/language/english.qm")));
    QCoreApplication::installTranslator(&english);
    const QString translated = vc::readPictureForLeds(stripPath, 200).error;
    QCoreApplication::removeTranslator(&english);
    QCOMPARE(translated, QStringLiteral("The picture is too wide to load (60000 x 1)"));
}

// A capture is the drawing over the screenshot, cut to the selection given
// in the screenshot's logical pixels.
void TestPicturePattern::capturedPicture_data()
{
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<QRect>("selection");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("stroke"); // where the drawn pixel lands, or (-1,-1)

    // The screenshot: 200 x 100 logical pixels, one drawn pixel at (50, 40).
    QTest::newRow("no selection: whole screen")
        << 1.0 << QRect() << QSize(200, 100) << QPoint(50, 40);
    QTest::newRow("selection") << 1.0 << QRect(40, 30, 30, 20) << QSize(30, 20) << QPoint(10, 10);
    QTest::newRow("selection at ratio 2")
        << 2.0 << QRect(40, 30, 30, 20) << QSize(60, 40) << QPoint(20, 20);
    QTest::newRow("whole screen at ratio 2")
        << 2.0 << QRect() << QSize(400, 200) << QPoint(100, 80);
    QTest::newRow("selection past the edge")
        << 1.0 << QRect(150, 80, 100, 100) << QSize(50, 20) << QPoint(-1, -1);
    QTest::newRow("selection off the screen")
        << 1.0 << QRect(300, 300, 10, 10) << QSize(200, 100) << QPoint(50, 40);
}

void TestPicturePattern::capturedPicture()
{
    QFETCH(qreal, dpr);
    QFETCH(QRect, selection);
    QFETCH(QPoint, stroke);
    QImage clean(QSize(200, 100) * dpr, QImage::Format_RGB32);
    clean.fill(Qt::red);
    clean.setDevicePixelRatio(dpr);
    QImage layer(clean.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    layer.setDevicePixelRatio(dpr);
    {
        QPainter p(&layer);
        p.fillRect(QRectF(50, 40, 1.0 / dpr, 1.0 / dpr), Qt::blue);
    }
    const QImage veiled = vc::veiledScreenshot(clean);
    QCOMPARE(veiled.size(), clean.size());
    QCOMPARE(veiled.pixelColor(0, 0), QColor(255, 150, 150));

    const QImage picture = vc::capturedPicture(clean, layer, selection);
    QTEST(picture.size(), "size");
    QCOMPARE(vc::test::countColour(picture, Qt::blue), stroke.x() < 0 ? 0 : 1);
    if (stroke.x() >= 0)
        QCOMPARE(picture.pixelColor(stroke), QColor(Qt::blue));
    // The screenshot itself stays as it was grabbed.
    QCOMPARE(clean.pixelColor(50 * dpr, 40 * dpr), QColor(Qt::red));
}

// Saving a capture makes the folder; the suffix names the format, PNG
// without one; what cannot be written is said to have failed.
void TestPicturePattern::savedCapture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QByteArray>("format");

    QTest::newRow("png") << QStringLiteral("shot.png") << true << QByteArray("png");
    QTest::newRow("missing folders made")
        << QStringLiteral("new/deeper/shot.png") << true << QByteArray("png");
    QTest::newRow("jpg by suffix") << QStringLiteral("shot.jpg") << true << QByteArray("jpeg");
    QTest::newRow("no suffix: png") << QStringLiteral("shot") << true << QByteArray("png");
    QTest::newRow("folder is a file")
        << QStringLiteral("file.txt/shot.png") << false << QByteArray();
    QTest::newRow("unknown format") << QStringLiteral("shot.xyz") << false << QByteArray();
}

void TestPicturePattern::savedCapture()
{
    QFETCH(QString, name);
    QFETCH(bool, saved);
    QFETCH(QByteArray, format);
    QTemporaryDir dir;
    vc::test::writeFile(dir.filePath(QStringLiteral("file.txt")), "not a folder");
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::green);
    const QString path = dir.filePath(name);
    QCOMPARE(vc::saveCapturedPicture(picture, path), saved);
    QCOMPARE(QFileInfo(path).isFile(), saved);
    if (saved) {
        QImageReader reader(path);
        QCOMPARE(reader.format(), format);
        QCOMPARE(reader.read().size(), QSize(30, 20));
    }
}

VC_TEST_MAIN(TestPicturePattern)
#include "tst_picturepattern.moc"
