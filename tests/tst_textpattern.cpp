#include "core/model/patternparams.h"
#include "core/render/textpattern.h"
#include "core/render/textrender.h"
#include "testsupport/pixels.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"

#include <QCryptographicHash>
#include <QImage>

Q_DECLARE_METATYPE(vc::TextLayout)

using namespace vc;

using vc::test::countColour;

namespace {

// Rows that hold any pixel other than the background.
QVector<int> inkRows(const QImage &img, const QColor &back)
{
    QVector<int> rows;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (QColor(img.pixel(x, y)) != back) {
                rows << y;
                break;
            }
        }
    }
    return rows;
}

// Width, height and a checksum of the pixels' colours.
QString fingerprint(const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int y = 0; y < img.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const char rgb[3] = {char(qRed(line[x])), char(qGreen(line[x])), char(qBlue(line[x]))};
            hash.addData(rgb, 3);
        }
    }
    return QStringLiteral("%1x%2 ").arg(img.width()).arg(img.height()) +
           QString::fromLatin1(hash.result().toHex());
}

TextLayout layout(const QString &text, int sizeIndex = 9, int width = 5)
{
    TextLayout l;
    l.text = text;
    l.family = QStringLiteral("DejaVu Sans");
    l.fontSizeIndex = sizeIndex;
    l.widthFactor = width;
    return l;
}

} // namespace

class TestTextPattern : public QObject
{
    Q_OBJECT

private slots:
    void reserved_data();
    void reserved();
    void layoutSize_data();
    void layoutSize();
    void fontAndMeasure();
    void renderDefaults();
    void renderSwapsColours();
    void renderWrapsShortLines();
    void renderWide();
    void renderMirrors();
    void renderEmpty();
    void renderPlainText();
    void renderGolden_data();
    void renderGolden();
    void effectParams_data();
    void effectParams();
    void effectParamsDamaged();
    void textParams();
};

void TestTextPattern::reserved_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<bool>("has");
    QTest::addColumn<QString>("out");
    QTest::newRow("both") << "a|b?" << true << QString::fromUtf8("a│b？");
    QTest::newRow("none") << QString::fromUtf8("文字...") << false << QString::fromUtf8("文字...");
    QTest::newRow("many") << "||??" << true << QString::fromUtf8("││？？");
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("lookalikes stay")
        << QString::fromUtf8("│？") << false << QString::fromUtf8("│？");
}

void TestTextPattern::reserved()
{
    QFETCH(QString, in);
    QFETCH(bool, has);
    QFETCH(QString, out);
    QCOMPARE(TextPattern::hasReserved(in), has);
    QCOMPARE(TextPattern::cleaned(in), out);
    QVERIFY(!TextPattern::hasReserved(TextPattern::cleaned(in)));
}

void TestTextPattern::layoutSize_data()
{
    QTest::addColumn<int>("bw");
    QTest::addColumn<int>("bh");
    QTest::addColumn<int>("i");
    QTest::addColumn<int>("k");
    QTest::addColumn<QSize>("size");
    // Defaults: 1.1 bw wide, one line high.
    QTest::newRow("defaults") << 1000 << 400 << 9 << 5 << QSize(1100, 400);
    // Font size "1": a fifth of the width, ten lines high.
    QTest::newRow("size 1") << 1000 << 400 << 0 << 5 << QSize(200, 4000);
    QTest::newRow("wide") << 1000 << 400 << 9 << 20 << QSize(4400, 400);
    // Integer division truncates.
    QTest::newRow("truncates") << 1234 << 467 << 3 << 7 << QSize(863, 1167);
    QTest::newRow("tiny") << 7 << 3 << 0 << 1 << QSize(0, 30);
    QTest::newRow("empty text") << 0 << 0 << 9 << 5 << QSize(0, 0);
    // Products above the 32-bit range of the intermediate still work.
    QTest::newRow("long text") << 2000000 << 400 << 9 << 20 << QSize(8800000, 400);
}

void TestTextPattern::layoutSize()
{
    QFETCH(int, bw);
    QFETCH(int, bh);
    QFETCH(int, i);
    QFETCH(int, k);
    QFETCH(QSize, size);
    QCOMPARE(TextPattern::layoutSize(bw, bh, i, k), size);
}

void TestTextPattern::fontAndMeasure()
{
    const QFont f = TextPattern::font(QStringLiteral("DejaVu Sans"));
    QCOMPARE(f.pointSize(), 300);
    QCOMPARE(f.weight(), int(QFont::Normal));
    QVERIFY(!f.italic());
    QCOMPARE(f.family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(TextPattern::font(QString()).pointSize(), 300);

    const QSize one = TextPattern::measure(f, QStringLiteral("Text"));
    const QSize two = TextPattern::measure(f, QStringLiteral("TextText"));
    QVERIFY(one.height() > 300); // 300 points at 96 dpi
    QVERIFY(two.width() > one.width() * 3 / 2);
    QCOMPARE(TextPattern::measure(f, QString()).width(), 0);
}

void TestTextPattern::renderDefaults()
{
    const TextLayout l = layout(QStringLiteral("Hi"));
    const QImage img = renderText(l);
    const QSize bounds = TextPattern::measure(TextPattern::font(l.family), l.text);
    QCOMPARE(img.size(), TextPattern::layoutSize(bounds.width(), bounds.height(), 9, 5));
    // White text on black: the corners are background, some pixels are text.
    QCOMPARE(QColor(img.pixel(0, img.height() - 1)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(img.width() - 1, 0)), QColor(Qt::black));
    QVERIFY(countColour(img, Qt::white) > 1000);
}

void TestTextPattern::renderSwapsColours()
{
    TextLayout l = layout(QStringLiteral("Hi"));
    const QImage whiteOnBlack = renderText(l);
    std::swap(l.front, l.back);
    const QImage blackOnWhite = renderText(l);
    QCOMPARE(blackOnWhite.size(), whiteOnBlack.size());
    QCOMPARE(countColour(blackOnWhite, Qt::black), countColour(whiteOnBlack, Qt::white));
    QCOMPARE(countColour(blackOnWhite, Qt::white), countColour(whiteOnBlack, Qt::black));
    QVERIFY(countColour(blackOnWhite, Qt::white) > countColour(blackOnWhite, Qt::black));
}

void TestTextPattern::renderWrapsShortLines()
{
    // Font size "1": a layout a fifth of the line wide and ten lines high;
    // the text wraps into short lines at the top, the rest stays colour 2.
    const TextLayout l = layout(QStringLiteral("Hello wide world"), 0, 5);
    const QImage img = renderText(l);
    const QSize bounds = TextPattern::measure(TextPattern::font(l.family), l.text);
    QCOMPARE(img.height(), 10 * bounds.height());
    QCOMPARE(img.width(), bounds.width() / 5);
    const QVector<int> rows = inkRows(img, Qt::black);
    QVERIFY(!rows.isEmpty());
    // More than one line of text...
    QVERIFY(rows.last() - rows.first() > bounds.height());
    // ...all of it in the upper part.
    QVERIFY(rows.last() < img.height() * 3 / 4);
}

void TestTextPattern::renderWide()
{
    // Width factor 20 at font size "10": 4.4 line widths, the text followed
    // by a long run of colour 2.
    const TextLayout l = layout(QStringLiteral("Go"), 9, 20);
    const QImage img = renderText(l);
    const QSize bounds = TextPattern::measure(TextPattern::font(l.family), l.text);
    QCOMPARE(img.width(), 44 * bounds.width() / 10);
    for (int x = 2 * bounds.width(); x < img.width(); x += 7)
        for (int y = 0; y < img.height(); y += 5)
            QCOMPARE(QColor(img.pixel(x, y)), QColor(Qt::black));
}

void TestTextPattern::renderMirrors()
{
    TextLayout l = layout(QStringLiteral("Fj"));
    const QImage plain = renderText(l);
    l.revH = true;
    QCOMPARE(renderText(l), plain.mirrored(true, false));
    l.revV = true;
    QCOMPARE(renderText(l), plain.mirrored(true, true));
    l.revH = false;
    QCOMPARE(renderText(l), plain.mirrored(false, true));
}

void TestTextPattern::renderEmpty()
{
    QVERIFY(renderText(layout(QString())).isNull());
    // A layout that would not fit in memory is refused, not attempted.
    QVERIFY(renderText(layout(QString(4000, QLatin1Char('W')), 0, 20)).isNull());
}

void TestTextPattern::renderPlainText()
{
    // Markup is drawn as typed: "<b>" is three more glyphs, not bold.
    const QImage markup = renderText(layout(QStringLiteral("<b>x</b>")));
    const QImage plain = renderText(layout(QStringLiteral("x")));
    QVERIFY(countColour(markup, Qt::white) > 3 * countColour(plain, Qt::white));
}

void TestTextPattern::renderGolden_data()
{
    QTest::addColumn<TextLayout>("l");
    const auto row = [](const char *name, const QString &text, int sizeIndex, int width,
                        const QString &family = QStringLiteral("DejaVu Sans")) {
        TextLayout l = layout(text, sizeIndex, width);
        l.family = family;
        QTest::newRow(name) << l;
        return l;
    };
    // The view of a layout shows the end of the text: a layout too small
    // for the text shows its last line, and its last column when a word is
    // wider than the layout.
    row("two letters, two lines", QStringLiteral("Hi"), 9, 5);
    row("words wrap", QStringLiteral("Hello wide world"), 0, 5);
    row("narrowest", QStringLiteral("Hello wide world"), 0, 1);
    row("one glyph wider than the layout", QStringLiteral("W"), 0, 1);
    row("long word, scrolled both ways", QStringLiteral("Hello"), 4, 1);
    row("wide", QStringLiteral("Go"), 9, 20);
    row("sentence", QStringLiteral("The quick brown fox jumps over the lazy dog"), 3, 10);
    row("spaces kept", QStringLiteral(" a  b "), 6, 12);
    row("accents, default font", QString::fromUtf8("Ünïcödé ñ"), 5, 7, QString());
    row("serif", QStringLiteral("Serif 42"), 8, 9, QStringLiteral("DejaVu Serif"));
    row("font not installed", QStringLiteral("Fallback"), 9, 5, QStringLiteral("No Such Font"));
    row("markup as typed", QStringLiteral("<b>x</b> &amp;"), 9, 5);
    TextLayout l = layout(QStringLiteral("Fj"), 7, 6);
    l.front = QColor(255, 200, 40);
    l.back = QColor(30, 20, 90);
    QTest::newRow("colours") << l;
    l.revH = true;
    QTest::newRow("colours, mirrored") << l;
    l.revV = true;
    QTest::newRow("colours, both mirrors") << l;
}

// Text patterns as the editor has always drawn them on a standard desktop
// screen (96 dots per inch), whatever the test display says.
void TestTextPattern::renderGolden()
{
    QFETCH(TextLayout, l);
    const QString key = QString::fromUtf8(QTest::currentDataTag());
    const QString actual = fingerprint(renderText(l));
    const QString file = QStringLiteral("text/checksums.txt");
    QMap<QString, QString> sums;
    for (const QString &line : QString::fromUtf8(vc::test::readData(file)).split('\n')) {
        const int tab = line.indexOf('\t');
        if (tab > 0)
            sums.insert(line.left(tab), line.mid(tab + 1));
    }
    if (vc::test::regenerateGoldens()) {
        sums.insert(key, actual);
        QByteArray out;
        for (auto it = sums.cbegin(); it != sums.cend(); ++it)
            out += (it.key() + '\t' + it.value() + '\n').toUtf8();
        vc::test::writeData(file, out);
    }
    QCOMPARE(actual, sums.value(key));
}

void TestTextPattern::effectParams_data()
{
    QTest::addColumn<EffectSettings>("s");
    QTest::addColumn<int>("loops");
    QTest::addColumn<QString>("params");
    EffectSettings s;
    QTest::newRow("defaults") << s << 12 << "3?12?#ffffff|#000000|0|0|5?0|0|0";
    s.effect = 13;
    s.front = QColor(255, 0, 128);
    s.back = QColor(1, 2, 3);
    s.scheme = 2;
    s.width = 10;
    s.revH = true;
    QTest::newRow("all set") << s << 1 << "3?1?#ff0080|#010203|13|2|10?0|1|0";
    s.revV = true;
    s.revH = false;
    s.scheme = 1;
    QTest::newRow("flip V") << s << 9999 << "3?9999?#ff0080|#010203|13|1|10?0|0|1";
}

void TestTextPattern::effectParams()
{
    QFETCH(EffectSettings, s);
    QFETCH(int, loops);
    QFETCH(QString, params);
    QCOMPARE(PatternParams::effectText(s, loops), params);
    EffectSettings read;
    read.effect = 4;
    read.width = 1;
    read.revH = true;
    QVERIFY(PatternParams::readEffect(params, read));
    QCOMPARE(read, s);
}

void TestTextPattern::effectParamsDamaged()
{
    EffectSettings base;
    base.effect = 2;
    base.scheme = 1;
    EffectSettings s = base;
    // Another kind is refused and changes nothing.
    QVERIFY(!PatternParams::readEffect(QStringLiteral("2?1?#ffffff|#000000|x|0|9?5|0|0"), s));
    QCOMPARE(s, base);
    // A three-colour state other than 0..2 is not applied; out-of-range
    // numbers are held to the controls' ranges; missing fields keep theirs.
    QVERIFY(PatternParams::readEffect(QStringLiteral("3?1?#102030|nocolour|99|7|0"), s));
    QCOMPARE(s.front, QColor(16, 32, 48));
    QCOMPARE(s.back, base.back);
    QCOMPARE(s.effect, 13);
    QCOMPARE(s.scheme, 1);
    QCOMPARE(s.width, 1);
    QCOMPARE(s.revH, false);
    s = base;
    QVERIFY(PatternParams::readEffect(QStringLiteral("3"), s));
    QCOMPARE(s, base);
}

void TestTextPattern::textParams()
{
    TextSettings s;
    s.front = QColor(10, 20, 30);
    s.back = QColor(255, 255, 0);
    s.text = QString::fromUtf8("a│b？");
    s.fontIndex = 4;
    s.fontSizeIndex = 0;
    s.width = 17;
    s.revV = true;
    const QString params = PatternParams::textText(s, 7);
    QCOMPARE(params, QString::fromUtf8("2?7?#0a141e|#ffff00|a│b？|4|0?17|0|1"));

    TextSettings read;
    QVERIFY(PatternParams::readText(params, read));
    QCOMPARE(read.front, s.front);
    QCOMPARE(read.back, s.back);
    QCOMPARE(read.text, s.text);
    QCOMPARE(read.fontIndex, 4);
    QCOMPARE(read.fontSizeIndex, 0);
    QCOMPARE(read.width, 17);
    QCOMPARE(read.revH, false);
    QCOMPARE(read.revV, true);

    // An empty text is a text too; "%1"-like content is kept literally.
    s.text = QStringLiteral("%1 %2");
    QVERIFY(PatternParams::readText(PatternParams::textText(s, 1), read));
    QCOMPARE(read.text, s.text);
    QVERIFY(!PatternParams::readText(QStringLiteral("3?1?#ffffff|#000000|0|0|5?0|0|0"), read));
}

VC_TEST_MAIN(TestTextPattern)
#include "tst_textpattern.moc"
