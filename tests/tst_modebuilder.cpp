#include "core/model/modebuilder.h"
#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "core/render/picturepattern.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"

#include <QDir>

using namespace vc;

Q_DECLARE_METATYPE(vc::ModeProp)
Q_DECLARE_METATYPE(vc::ModeSettings)

namespace {

ModeProp prop36()
{
    return {36, 1333.0f};
}

ModeProp prop80()
{
    return {80, 2100.0f};
}

// The file name of a row's golden record.
QString goldenName(const char *tag)
{
    QString name = QString::fromUtf8(tag).toLower();
    for (QChar &c : name)
        if (!c.isLetterOrNumber())
            c = QLatin1Char('-');
    while (name.contains(QLatin1String("--")))
        name.replace(QLatin1String("--"), QLatin1String("-"));
    return QStringLiteral("modebuilder/") + name + QStringLiteral(".rec");
}

ModeSettings timed(int kind, int start, int end, int loops, int speed)
{
    ModeSettings s;
    s.kind = kind;
    s.startMs = start;
    s.endMs = end;
    s.loops = loops;
    s.speed = speed;
    return s;
}

} // namespace

class TestModeBuilder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void matchesEditor_data();
    void matchesEditor();
    void noMode_data();
    void noMode();
    void textIsCleaned();
};

// Pictures are named relative to the test data folder, as the records
// stored there name them.
void TestModeBuilder::initTestCase()
{
    QVERIFY(QDir::setCurrent(QStringLiteral(VC_TESTDATA_DIR)));
}

void TestModeBuilder::matchesEditor_data()
{
    QTest::addColumn<ModeProp>("prop");
    QTest::addColumn<ModeSettings>("s");
    // The picture tab widened the canvas of a pattern loaded without gap.
    QTest::addColumn<bool>("regap");

    // A repeat count of 0 stands for the suggestion at the row's speed.
    const auto picture = [](const char *name, const ModeProp &prop, const char *path, int gap,
                            bool flipH, bool flipV, int loops, int speed, bool regap = false) {
        ModeSettings s = timed(Picture, 1000, 4000, loops, speed);
        s.picturePath = QString::fromLatin1(path);
        s.gap = gap;
        s.pictureFlipH = flipH;
        s.pictureFlipV = flipV;
        QTest::newRow(name) << prop << s << regap;
    };
    picture("picture", prop36(), "pictures/stripes.png", 0, false, false, 3, 0);
    picture("picture, mirrored left-right, gap 20", prop36(), "pictures/stripes.png", 20, true,
            false, 2, 0);
    picture("picture, both mirrors, gap 100", prop80(), "pictures/band.png", 100, true, true, 1, 0);
    picture("picture, jpeg, upside down, gap 35", prop80(), "pictures/photo.jpg", 35, false, true,
            4, 0);
    picture("picture, translucent pixels", prop36(), "pictures/alpha.png", 0, false, false, 2, 0);
    picture("picture, gap set after loading", prop36(), "pictures/stripes.png", 20, false, false, 2,
            0, true);
    picture("picture, speed 10", prop36(), "pictures/stripes.png", 0, false, false, 0, 10);

    const auto colour = [](const char *name, const QColor &c, int loops, int speed) {
        ModeSettings s = timed(Colour, 0, 1500, loops, speed);
        s.colour = c;
        QTest::newRow(name) << prop36() << s << false;
    };
    colour("colour", QColor(255, 0, 128), 1, 0);
    colour("colour, speed 7", QColor(0, 255, 128), 0, 7);
    colour("colour, translucent", QColor(255, 0, 0, 128), 2, 0);

    // The font indexes are those of the machine the records were made on;
    // they are stored as they are given.
    const auto text = [](const char *name, const ModeProp &prop, const char *line,
                         const char *family, int fontIndex, int size, int width,
                         const QColor &front, const QColor &back, bool flipH, bool flipV, int loops,
                         int speed) {
        ModeSettings s = timed(Text, 2000, 5000, loops, speed);
        s.text.text = QString::fromUtf8(line);
        s.text.fontIndex = fontIndex;
        s.text.fontSizeIndex = size;
        s.text.width = width;
        s.text.front = front;
        s.text.back = back;
        s.text.revH = flipH;
        s.text.revV = flipV;
        s.fontFamily = QString::fromLatin1(family);
        QTest::newRow(name) << prop << s << false;
    };
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    text("text", prop36(), "Hello", "DejaVu Sans", 1, 9, 5, white, black, false, false, 3, 0);
    text("text, default font", prop36(), "Default font", "", -1, 9, 5, white, black, false, false,
         1, 0);
    text("text, small, narrow, both mirrors", prop36(), "Ab Cd", "DejaVu Sans", 1, 0, 1,
         QColor(0, 255, 0), QColor(10, 0, 40), true, true, 6, 0);
    text("text, wide, size 5, mirrored", prop80(), "Wide glow", "DejaVu Serif", 4, 4, 20,
         QColor(255, 200, 40), QColor(30, 20, 90), true, false, 2, 0);
    text("text, empty", prop36(), "", "DejaVu Sans", 1, 9, 5, white, black, false, false, 1, 0);
    text("text, speed 12", prop36(), "Go", "DejaVu Sans", 1, 9, 5, white, black, false, false, 0,
         12);

    const auto effect = [](const char *name, const ModeProp &prop, int index, int scheme, int width,
                           const QColor &front, const QColor &back, bool flipH, bool flipV,
                           int loops, int speed) {
        ModeSettings s = timed(Effect, 3000, 6000, loops, speed);
        s.effect.effect = index;
        s.effect.scheme = scheme;
        s.effect.width = width;
        s.effect.front = front;
        s.effect.back = back;
        s.effect.revH = flipH;
        s.effect.revV = flipV;
        QTest::newRow(name) << prop << s << false;
    };
    effect("effect", prop36(), 0, 0, 5, white, black, false, false, 5, 0);
    effect("effect, three hues, mirrored", prop36(), 4, 1, 10, QColor(255, 0, 0), QColor(0, 0, 255),
           true, false, 4, 0);
    effect("effect, hues behind colour 2, both mirrors", prop80(), 9, 2, 1, QColor(16, 32, 48),
           QColor(240, 224, 208), true, true, 7, 0);
    effect("effect, colours", prop36(), 7, 0, 7, QColor(255, 0, 255), QColor(0, 255, 255), false,
           true, 3, 0);
    effect("effect, speed 18", prop80(), 13, 1, 3, QColor(200, 100, 50), black, false, false, 0,
           18);
}

// The records are those the editor's Insert made for the same settings
// before the builder existed (tests/data/modebuilder), byte for byte.
void TestModeBuilder::matchesEditor()
{
    QFETCH(ModeProp, prop);
    QFETCH(ModeSettings, s);
    QFETCH(bool, regap);
    const ModeBuilder builder(prop);

    ModePattern pattern = builder.drawPattern(s);
    if (regap) {
        const PictureRead read = readPictureForLeds(s.picturePath, prop.leds);
        const PicturePattern p = regapPicturePattern(
            buildPicturePattern(read.image, s.pictureFlipH, s.pictureFlipV, prop.leds, 0),
            prop.leds, s.gap);
        pattern.image = p.pattern;
        pattern.width = p.width;
    }
    // The repeat count the editor suggested at the speed, from the width
    // of the pattern drawn here (without one, that editor stored 9999).
    if (s.loops == 0)
        s.loops =
            pattern.width == 0 && s.speed != 0
                ? 9999
                : builder.suggestedLoops((s.endMs - s.startMs) / 1000.0, s.speed, pattern.width);

    const BuiltMode built = builder.build(s, pattern);
    QVERIFY(built.ok);
    const QByteArray bytes = built.record.encode();
    // Made by the editor, not by this code: never regenerated.
    const QByteArray expected = vc::test::readData(goldenName(QTest::currentDataTag()));

    const ModeRecord editor = ModeRecord::decode(expected);
    const ModeRecord &mine = built.record;
    QCOMPARE(mine.params, editor.params);
    QCOMPARE(mine.start, editor.start);
    QCOMPARE(mine.end, editor.end);
    QCOMPARE(mine.loops, editor.loops);
    QCOMPARE(mine.kind, editor.kind);
    QCOMPARE(mine.speed, editor.speed);
    QCOMPARE(mine.colour, editor.colour);
    QCOMPARE(mine.thumb.size(), editor.thumb.size());
    // As the stored picture holds the thumb (a translucent one unpremultiplied).
    QCOMPARE(asPixmapWouldHoldIt(mine.thumb).convertToFormat(editor.thumb.format()), editor.thumb);
    QVERIFY(bytes == expected);

    // Resized to another length, a mode with a speed holds what Insert
    // makes at that length. (A colour's count divides by the width of the
    // pattern the panel drew before it, which the record does not hold.)
    if (s.speed != 0 && s.kind != Colour) {
        Show show;
        show.setLeds(prop.leds);
        show.setFrameRate(prop.frameRate);
        const Show::Id id = show.insertMode(show.currentTrack(), bytes);
        show.setModePatternWidth(id, pattern.width);
        ModeSettings resized = s;
        resized.endMs = s.startMs + 7777;
        resized.loops = builder.suggestedLoops(7.777, s.speed, pattern.width);
        QVERIFY(show.retimeMode(id, resized.startMs, resized.endMs));
        QCOMPARE(show.mode(id)->record.loops, resized.loops);
        QVERIFY(show.mode(id)->bytes == builder.build(resized, pattern).record.encode());
    }
}

void TestModeBuilder::noMode_data()
{
    QTest::addColumn<ModeSettings>("s");
    QTest::addColumn<QString>("error");
    ModeSettings s = timed(Picture, 0, 1000, 1, 0);
    s.picturePath = QStringLiteral("pictures/not-there.png");
    QTest::newRow("missing picture") << s << QString();
    s.picturePath = QStringLiteral("pictures/notapicture.png");
    QTest::newRow("no picture in the file") << s << QString();
    s.picturePath = QStringLiteral("pictures/toowide.png");
    QTest::newRow("picture too wide") << s << QStringLiteral("(70000 x 1)");
    QTest::newRow("kind without a tab") << timed(4, 0, 1000, 1, 0) << QString();
    QTest::newRow("negative kind") << timed(-1, 0, 1000, 1, 0) << QString();
}

// Nothing is made of what Insert refuses; a refused picture says why.
void TestModeBuilder::noMode()
{
    QFETCH(ModeSettings, s);
    QFETCH(QString, error);
    const BuiltMode built = ModeBuilder(prop36()).build(s);
    QVERIFY(!built.ok);
    QVERIFY(built.pattern.image.isNull());
    if (error.isEmpty())
        QVERIFY(built.pattern.error.isEmpty());
    else
        QVERIFY2(built.pattern.error.endsWith(error), qPrintable(built.pattern.error));
}

// "|" and "?" separate the fields of the parameter text: a text holding
// them is drawn and stored with their stand-ins.
void TestModeBuilder::textIsCleaned()
{
    ModeSettings s = timed(Text, 0, 1000, 2, 0);
    s.text.text = QStringLiteral("a|b?");
    s.fontFamily = QStringLiteral("DejaVu Sans");
    const ModeBuilder builder(prop36());
    const BuiltMode built = builder.build(s);
    QVERIFY(built.ok);
    QCOMPARE(parseParams(built.record.params).text, QString::fromUtf8("a│b？"));
    s.text.text = QString::fromUtf8("a│b？");
    QCOMPARE(builder.build(s).record.thumb, built.record.thumb);
}

VC_TEST_MAIN(TestModeBuilder)
#include "tst_modebuilder.moc"
