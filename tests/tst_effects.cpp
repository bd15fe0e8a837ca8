#include "core/render/effectgenerator.h"
#include "testsupport/testenv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTextStream>

using vc::EffectSettings;
namespace EG = vc::EffectGenerator;

namespace {

// Set VC_REGENERATE_GOLDENS=1 to rewrite the golden files from the current
// generator (only after the probes below pass).
bool regenerate()
{
    return qEnvironmentVariableIntValue("VC_REGENERATE_GOLDENS") == 1;
}

QString goldenDir()
{
    return QStringLiteral(VC_TESTDATA_DIR "/effects");
}

QByteArray checksum(const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = line[x];
            const char rgb[3] = {char(qRed(p)), char(qGreen(p)), char(qBlue(p))};
            hash.addData(rgb, 3);
        }
    }
    return hash.result().toHex();
}

EffectSettings settings(int effect, int width = 5, int scheme = 0, QColor f = QColor(255, 255, 255),
                        QColor b = QColor(0, 0, 0))
{
    EffectSettings s;
    s.effect = effect;
    s.width = width;
    s.scheme = scheme;
    s.front = f;
    s.back = b;
    return s;
}

QString key(const EffectSettings &s)
{
    return QStringLiteral("e%1 w%2 s%3 h%4 v%5 %6 %7")
        .arg(s.effect)
        .arg(s.width)
        .arg(s.scheme)
        .arg(int(s.revH))
        .arg(int(s.revV))
        .arg(s.front.name(), s.back.name());
}

// The parameter sets of the checksum file: every effect at the widths
// 1, 5 and 10 in all three schemes with two colour pairs, and the mirrors.
QList<EffectSettings> checksumSets()
{
    QList<EffectSettings> sets;
    const QColor pairs[2][2] = {{QColor(255, 255, 255), QColor(0, 0, 0)},
                                {QColor(255, 200, 40), QColor(30, 20, 90)}};
    for (int e = 0; e < EG::Count; ++e)
        for (const auto &pair : pairs)
            for (int w : {1, 5, 10})
                for (int s = 0; s < 3; ++s)
                    sets << settings(e, w, s, pair[0], pair[1]);
    for (int e = 0; e < EG::Count; ++e) {
        for (int m = 1; m < 4; ++m) {
            EffectSettings s = settings(e, 3, 1, QColor(45, 0, 200), QColor(10, 120, 10));
            s.revH = m & 1;
            s.revV = m & 2;
            sets << s;
        }
    }
    return sets;
}

bool sameColour(QRgb a, const QColor &b)
{
    return qRed(a) == b.red() && qGreen(a) == b.green() && qBlue(a) == b.blue();
}

} // namespace

class TestEffects : public QObject
{
    Q_OBJECT

private slots:
    void canvas();
    void hues_data();
    void hues();
    void fadeAlpha_data();
    void fadeAlpha();
    void flashTails_data();
    void flashTails();
    void flashSchemes();
    void boxRows_data();
    void boxRows();
    void jumpAndFadeBlocks();
    void fadeSeams();
    void rainbowIgnoresColours();
    void backgroundOnly_data();
    void backgroundOnly();
    void staticsMultiply();
    void staticLineWidth();
    void mirroring_data();
    void mirroring();
    void outOfRangeControls();
    void goldenImages_data();
    void goldenImages();
    void goldenChecksums();
    void icons();
};

void TestEffects::canvas()
{
    for (int e = -1; e <= EG::Count; ++e) {
        const QImage img = EG::generate(settings(e));
        QCOMPARE(img.size(), QSize(300, 150));
        QVERIFY(!img.hasAlphaChannel());
    }
}

void TestEffects::hues_data()
{
    QTest::addColumn<QColor>("front");
    QTest::addColumn<int>("h1");
    QTest::addColumn<int>("h2");
    QTest::addColumn<int>("h3");
    // Green and blue are shifted by 85 and 170 before scaling.
    QTest::newRow("white") << QColor(255, 255, 255) << 357 << 117 << 236;
    QTest::newRow("black") << QColor(0, 0, 0) << 0 << 119 << 238;
    // 45 x 1.4 and 85 x 1.4 fall just below an integer in double precision;
    // narrowing to single precision lifts them onto it.
    QTest::newRow("narrowing") << QColor(45, 0, 0) << 63 << 119 << 238;
    QTest::newRow("wrap") << QColor(90, 171, 86) << 126 << 0 << 0;
    QTest::newRow("mixed") << QColor(100, 10, 5) << 140 << 133 << 245;
}

void TestEffects::hues()
{
    QFETCH(QColor, front);
    QFETCH(int, h1);
    QFETCH(int, h2);
    QFETCH(int, h3);
    int a, b, c;
    EG::hues(front, a, b, c);
    QCOMPARE(a, h1);
    QCOMPARE(b, h2);
    QCOMPARE(c, h3);

    // The three blocks of the jump effect show exactly these hues.
    const QImage img = EG::draw(settings(EG::Jump, 5, 1, front));
    QCOMPARE(img.pixel(50, 75), QColor::fromHsv(h1, 255, 255).rgb());
    QCOMPARE(img.pixel(150, 75), QColor::fromHsv(h2, 255, 255).rgb());
    QCOMPARE(img.pixel(250, 75), QColor::fromHsv(h3, 255, 255).rgb());
}

void TestEffects::fadeAlpha_data()
{
    QTest::addColumn<int>("i");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("alpha");
    QTest::newRow("first") << 0 << 2 << 255;
    QTest::newRow("n2 last") << 1 << 2 << 128;
    QTest::newRow("n10 step3") << 3 << 10 << 179;
    QTest::newRow("n20 last") << 19 << 20 << 13;
}

void TestEffects::fadeAlpha()
{
    QFETCH(int, i);
    QFETCH(int, n);
    QFETCH(int, alpha);
    QCOMPARE(EG::fadeAlpha(i, n), alpha);
}

void TestEffects::flashTails_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("tailEnd"); // last tail column after the bar at x = 0
    QTest::newRow("w1") << 1 << 13;
    QTest::newRow("w5") << 5 << 29;
    QTest::newRow("w10") << 10 << 49;
}

void TestEffects::flashTails()
{
    QFETCH(int, width);
    QFETCH(int, tailEnd);
    const QColor f(200, 100, 50), b(0, 0, 0);
    const QImage img = EG::draw(settings(EG::Flash, width, 0, f, b));
    const int n = 2 * width;
    for (int bar = 0; bar < 300; bar += 50) {
        for (int y : {0, 75, 149}) {
            // The bar itself, then the first tail step, both in full F.
            for (int x = bar; x < bar + 12; ++x)
                QVERIFY2(sameColour(img.pixel(x, y), f), qPrintable(QString::number(x)));
            // The tail fades step by step and ends before the next bar.
            int previous = 256;
            for (int i = 0; i < n; ++i) {
                const QRgb p = img.pixel(bar + 10 + 2 * i, y);
                QCOMPARE(img.pixel(bar + 11 + 2 * i, y), p);
                QVERIFY(qRed(p) > 0);
                QVERIFY(qRed(p) <= previous);
                previous = qRed(p);
            }
            const int afterTail = bar + tailEnd + 1;
            if (afterTail < bar + 50)
                QVERIFY(sameColour(img.pixel(afterTail, y), b));
            else
                QCOMPARE(afterTail, bar + 50); // width 10: tail touches the next bar
        }
    }
    // The last step of the tail carries alpha a(n - 1).
    const int a = EG::fadeAlpha(n - 1, n);
    QVERIFY(qAbs(qRed(img.pixel(tailEnd, 10)) - 200 * a / 255) <= 1);
}

void TestEffects::flashSchemes()
{
    int h1, h2, h3;
    EG::hues(QColor(255, 255, 255), h1, h2, h3);
    const int hue[3] = {h1, h2, h3};

    // Scheme 1: the bars take the hues in turn.
    const QImage one = EG::draw(settings(EG::Flash, 5, 1));
    for (int k = 0; k < 6; ++k)
        QCOMPARE(one.pixel(50 * k + 5, 20), QColor::fromHsv(hue[k % 3], 255, 255).rgb());
    QVERIFY(sameColour(one.pixel(45, 20), Qt::black));

    // Scheme 2: hue blocks with the bars cut out in B, and a tail that
    // darkens the hue next to each bar.
    const QImage two = EG::draw(settings(EG::Flash, 5, 2));
    for (int k = 0; k < 6; ++k)
        QVERIFY(sameColour(two.pixel(50 * k + 5, 20), Qt::black));
    QCOMPARE(two.pixel(45, 20), QColor::fromHsv(h1, 255, 255).rgb());
    QCOMPARE(two.pixel(145, 20), QColor::fromHsv(h2, 255, 255).rgb());
    QCOMPARE(two.pixel(245, 20), QColor::fromHsv(h3, 255, 255).rgb());
    const QColor hue1 = QColor::fromHsv(h1, 255, 255);
    QVERIFY(qRed(two.pixel(14, 20)) < hue1.red());
    QVERIFY(qRed(two.pixel(14, 20)) > 0);
}

void TestEffects::boxRows_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("scheme");
    QTest::addColumn<int>("lastRow"); // last row with any F
    QTest::newRow("w10 s0") << 10 << 0 << 146;
    QTest::newRow("w1 s0") << 1 << 0 << 149;
    QTest::newRow("w5 s0") << 5 << 0 << 149;
}

void TestEffects::boxRows()
{
    QFETCH(int, width);
    QFETCH(int, scheme);
    QFETCH(int, lastRow);
    const QColor f(255, 255, 0), b(0, 0, 80);
    const QImage img = EG::draw(settings(EG::Box, width, scheme, f, b));
    auto rowHasF = [&](int y) {
        for (int x = 0; x < 300; ++x)
            if (sameColour(img.pixel(x, y), f))
                return true;
        return false;
    };
    QVERIFY(rowHasF(lastRow));
    for (int y = lastRow + 1; y < 150; ++y)
        QVERIFY2(!rowHasF(y), qPrintable(QString::number(y)));

    // A checkerboard: neighbouring cells differ.
    const int n = 2 * width, cw = 300 / n, ch = 150 / n;
    for (int c = 0; c + 1 < n; ++c) {
        const bool here = sameColour(img.pixel(c * cw, 0), f);
        QCOMPARE(sameColour(img.pixel((c + 1) * cw, 0), f), !here);
        QCOMPARE(sameColour(img.pixel(c * cw, ch), f), !here);
    }
}

void TestEffects::jumpAndFadeBlocks()
{
    const QColor f(255, 100, 1), b(0, 51, 200);
    // Each component of the mid colour: trunc((F + B) x 0.5).
    const QColor mid(127, 75, 100);
    for (int effect : {int(EG::Jump), int(EG::Fade)}) {
        const QImage img = EG::draw(settings(effect, 1, 0, f, b));
        QVERIFY(sameColour(img.pixel(50, 30), f));
        QVERIFY(sameColour(img.pixel(150, 30), mid));
        QVERIFY(sameColour(img.pixel(250, 30), b));
    }
}

void TestEffects::fadeSeams()
{
    const QColor f(255, 255, 255), b(0, 0, 0);
    for (int scheme = 0; scheme < 3; ++scheme) {
        const QImage img = EG::draw(settings(EG::Fade, 5, scheme, f, b));
        // Full B on both sides of every border; fading out over 3n pixels.
        for (int x : {0, 1, 2, 100, 101, 102, 200, 202})
            QVERIFY2(sameColour(img.pixel(x, 75), b), qPrintable(QString::number(x)));
        const int luma3 = qGreen(img.pixel(103, 75)) + qRed(img.pixel(103, 75));
        const int luma20 = qGreen(img.pixel(120, 75)) + qRed(img.pixel(120, 75));
        QVERIFY(luma3 < luma20);
        // 3n = 30 pixels from the border the seam has ended.
        const QImage jump = EG::draw(settings(EG::Jump, 5, scheme, f, b));
        QCOMPARE(img.pixel(131, 75), jump.pixel(131, 75));
        QVERIFY(img.pixel(129, 75) != jump.pixel(129, 75));
    }
}

void TestEffects::rainbowIgnoresColours()
{
    const QImage ref = EG::generate(settings(EG::Rainbow));
    QCOMPARE(EG::generate(settings(EG::Rainbow, 1, 2, Qt::red, Qt::blue)), ref);
    QCOMPARE(EG::generate(settings(EG::Rainbow, 10, 1, QColor(3, 4, 5), Qt::white)), ref);

    // A diagonal rainbow: hue (x + y) / 300 of a full turn.
    const QImage drawn = EG::draw(settings(EG::Rainbow));
    QCOMPARE(drawn.pixel(0, 0), QColor::fromHsvF(0.0, 1.0, 1.0).rgb());
    QCOMPARE(drawn.pixel(100, 50), QColor::fromHsvF(0.5, 1.0, 1.0).rgb());
    QCOMPARE(drawn.pixel(10, 40), drawn.pixel(40, 10));
    QCOMPARE(drawn.pixel(299, 1), QColor::fromHsvF(1.0, 1.0, 1.0).rgb());
    QCOMPARE(drawn.pixel(299, 149), QColor::fromHsvF(148.0 / 300.0, 1.0, 1.0).rgb());

    // Only the mirror switches change it.
    EffectSettings s = settings(EG::Rainbow);
    s.revV = true;
    QVERIFY(EG::generate(s) != ref);
}

void TestEffects::backgroundOnly_data()
{
    QTest::addColumn<int>("effect");
    QTest::newRow("14") << 14;
    QTest::newRow("99") << 99;
    QTest::newRow("-1") << -1;
}

void TestEffects::backgroundOnly()
{
    QFETCH(int, effect);
    const QColor b(12, 34, 56);
    QImage expected(300, 150, QImage::Format_RGB32);
    expected.fill(b);
    QCOMPARE(EG::generate(settings(effect, 5, 1, Qt::white, b)), expected);
}

void TestEffects::staticsMultiply()
{
    int h1, h2, h3;
    EG::hues(QColor(255, 255, 255), h1, h2, h3);
    const QColor hue1 = QColor::fromHsv(h1, 255, 255);
    const QColor hue3 = QColor::fromHsv(h3, 255, 255);

    // Scheme 0: the triangle in F on B.
    const QImage plain = EG::draw(settings(EG::Static1, 5, 0, Qt::white, Qt::black));
    QVERIFY(sameColour(plain.pixel(5, 5), Qt::white));
    QVERIFY(sameColour(plain.pixel(295, 145), Qt::black));

    // Schemes 1 and 2: the white triangle takes the band's hue; B is tinted
    // by multiplication.
    for (int scheme : {1, 2}) {
        const QImage black = EG::draw(settings(EG::Static1, 5, scheme, Qt::white, Qt::black));
        QCOMPARE(black.pixel(5, 5), hue1.rgb());
        QVERIFY(sameColour(black.pixel(295, 145), Qt::black));
        const QImage white = EG::draw(settings(EG::Static1, 5, scheme, Qt::white, Qt::white));
        QCOMPARE(white.pixel(295, 145), hue3.rgb());
        const QImage grey =
            EG::draw(settings(EG::Static1, 5, scheme, Qt::white, QColor(128, 128, 128)));
        const QRgb p = grey.pixel(295, 145);
        QVERIFY(qAbs(qRed(p) - hue3.red() * 128 / 255) <= 1);
        QVERIFY(qAbs(qBlue(p) - hue3.blue() * 128 / 255) <= 1);
    }
}

void TestEffects::staticLineWidth()
{
    // Static 2 is one line from the top left to the bottom right, 4 x width
    // pixels thick.
    for (int width : {1, 5, 10}) {
        const QImage img = EG::draw(settings(EG::Static2, width, 0, Qt::white, Qt::black));
        int run = 0;
        for (int y = 0; y < 150; ++y)
            if (sameColour(img.pixel(150, y), Qt::white))
                ++run;
        // Vertical cut through a line of slope 1/2: thickness x sqrt(1.25).
        const double expected = 4 * width * 1.118;
        QVERIFY2(qAbs(run - expected) <= 2, qPrintable(QString::number(run)));
        QVERIFY(sameColour(img.pixel(150, 75), Qt::white));
    }
    const QImage cross = EG::draw(settings(EG::Static4, 2, 0, Qt::white, Qt::black));
    QVERIFY(sameColour(cross.pixel(20, 10), Qt::white));
    QVERIFY(sameColour(cross.pixel(20, 139), Qt::white));
    QVERIFY(sameColour(cross.pixel(150, 10), Qt::black));
    const QImage vee = EG::draw(settings(EG::Static3, 2, 0, Qt::white, Qt::black));
    QVERIFY(sameColour(vee.pixel(150, 148), Qt::white));
    QVERIFY(sameColour(vee.pixel(280, 20), Qt::white));
    QVERIFY(sameColour(vee.pixel(150, 20), Qt::black));
}

void TestEffects::mirroring_data()
{
    QTest::addColumn<bool>("revH");
    QTest::addColumn<bool>("revV");
    QTest::addColumn<bool>("flipX"); // the finished pattern is mirrored left-right
    QTest::addColumn<bool>("flipY");
    QTest::newRow("off") << false << false << true << false;
    QTest::newRow("H") << true << false << false << false;
    QTest::newRow("V") << false << true << true << true;
    QTest::newRow("HV") << true << true << false << true;
}

void TestEffects::mirroring()
{
    QFETCH(bool, revH);
    QFETCH(bool, revV);
    QFETCH(bool, flipX);
    QFETCH(bool, flipY);
    for (int e = 0; e < EG::Count; ++e) {
        EffectSettings s = settings(e, 3, 1, QColor(10, 200, 30), QColor(40, 40, 40));
        s.revH = revH;
        s.revV = revV;
        const QImage drawn = EG::draw(s);
        const QImage out = EG::generate(s);
        for (int y = 0; y < 150; y += 7)
            for (int x = 0; x < 300; x += 13)
                QCOMPARE(out.pixel(flipX ? 299 - x : x, flipY ? 149 - y : y), drawn.pixel(x, y));
    }
}

void TestEffects::outOfRangeControls()
{
    // Widths and schemes outside the controls' ranges are held to them
    // rather than dividing by zero.
    QCOMPARE(EG::generate(settings(EG::Box, 0)), EG::generate(settings(EG::Box, 1)));
    QCOMPARE(EG::generate(settings(EG::Box, 50)), EG::generate(settings(EG::Box, 10)));
    QCOMPARE(EG::generate(settings(EG::Flash, 5, 7)), EG::generate(settings(EG::Flash, 5, 2)));
    // A colour's own alpha does not leak into the pattern.
    QColor translucent(255, 255, 255, 10);
    QCOMPARE(EG::generate(settings(EG::Jump, 5, 0, translucent)),
             EG::generate(settings(EG::Jump, 5, 0, Qt::white)));
}

void TestEffects::goldenImages_data()
{
    QTest::addColumn<EffectSettings>("s");
    QTest::addColumn<QString>("file");
    // One stored picture per effect: something to look at when a checksum
    // changes.
    for (int e = 0; e < EG::Count; ++e) {
        const EffectSettings s = settings(e,
                                          e % 3 == 0   ? 1
                                          : e % 3 == 1 ? 5
                                                       : 10,
                                          e % 3, QColor(255, 200, 40), QColor(30, 20, 90));
        QTest::newRow(qPrintable(key(s)))
            << s << QStringLiteral("effect%1.png").arg(e, 2, 10, QLatin1Char('0'));
    }
}

void TestEffects::goldenImages()
{
    QFETCH(EffectSettings, s);
    QFETCH(QString, file);
    const QImage img = EG::generate(s);
    const QString path = goldenDir() + QLatin1Char('/') + file;
    if (regenerate()) {
        QDir().mkpath(goldenDir());
        QVERIFY(img.convertToFormat(QImage::Format_RGB888).save(path, "PNG"));
        return;
    }
    const QImage golden(path);
    QVERIFY2(!golden.isNull(), qPrintable(path));
    QCOMPARE(img, golden.convertToFormat(QImage::Format_RGB32));
}

void TestEffects::goldenChecksums()
{
    const QString path = goldenDir() + QStringLiteral("/checksums.txt");
    const QList<EffectSettings> sets = checksumSets();
    if (regenerate()) {
        QDir().mkpath(goldenDir());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Text));
        QTextStream out(&f);
        for (const EffectSettings &s : sets)
            out << key(s) << '\t' << checksum(EG::generate(s)) << '\n';
        return;
    }
    QFile f(path);
    QVERIFY2(f.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(path));
    QHash<QString, QByteArray> stored;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(QLatin1Char('\t'));
        if (fields.size() == 2)
            stored.insert(fields.at(0), fields.at(1).toLatin1());
    }
    QCOMPARE(stored.size(), sets.size());
    QStringList failures;
    for (const EffectSettings &s : sets) {
        if (checksum(EG::generate(s)) != stored.value(key(s)))
            failures << key(s);
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1String("; "))));
}

void TestEffects::icons()
{
    // Every drop-down entry has its picture in the resources, and the
    // picture shows the effect (here: its colour layout roughly matches).
    for (int e = 0; e < EG::Count; ++e) {
        const QImage icon(EG::iconName(e));
        QVERIFY2(!icon.isNull(), qPrintable(EG::iconName(e)));
        QCOMPARE(icon.size(), QSize(96, 48));
        EffectSettings s = settings(e, 5, 1);
        const QImage small =
            EG::generate(s).scaled(96, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        long diff = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 96; ++x)
                diff += qAbs(qGray(icon.pixel(x, y)) - qGray(small.pixel(x, y)));
        QVERIFY2(diff / (96 * 48) < 8, qPrintable(EG::iconName(e)));
    }
    QVERIFY(EG::iconName(EG::Count).isEmpty());
}

VC_TEST_MAIN(TestEffects)
#include "tst_effects.moc"
