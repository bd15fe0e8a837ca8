#include "core/model/show.h"
#include "core/project/legacyimport.h"
#include "core/project/legacyproject.h"
#include "testsupport/testenv.h"

using namespace vc;

Q_DECLARE_METATYPE(vc::LegacyPanelState)

namespace {

// A record as "start-end kind xloops speed params".
QString describe(const ModeRecord &r)
{
    return QStringLiteral("%1-%2 %3 x%4 s%5 %6")
        .arg(r.start)
        .arg(r.end)
        .arg(r.kind)
        .arg(r.loops)
        .arg(r.speed)
        .arg(r.params);
}

// A show for the prop of an old project.
void showFor(const LegacyProject &project, Show &show)
{
    const ModeProp prop = legacyProp(project);
    show.setLeds(prop.leds);
    show.setFrameRate(prop.frameRate);
}

// Two made-up families: indexes 0 and 1 stand for fonts, others for none.
const QStringList Families{QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif")};

} // namespace

class TestLegacyImport : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void report_data();
    void report();
    void prop_data();
    void prop();
};

void TestLegacyImport::lines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<LegacyPanelState>("start");
    QTest::addColumn<QStringList>("track");

    const LegacyPanelState fresh;
    LegacyPanelState byHand;
    byHand.automatic = false;
    byHand.loops = 9;
    QTest::newRow("colour line keeps the panel's repeat count")
        << QByteArray("36><1333\n00:02.000><00:05.000><1?#102030\n") << byHand
        << QStringList{"2000-5000 1 x9 s0 1?#102030"};
    // With no pattern drawn yet the suggestion is the lowest count.
    QTest::newRow("repeat count follows the speed until a line sets one")
        << QByteArray("36><1333\n"
                      "00:00.000><00:01.000><1?#ff0000\n"
                      "00:01.000><00:02.000><3?4?#ffffff|#000000|0|0|5?0|0|0\n"
                      "00:02.000><00:03.000><1?#00ff00\n")
        << fresh
        << QStringList{"0-1000 1 x1 s10 1?#ff0000",
                       "1000-2000 3 x4 s0 3?4?#ffffff|#000000|0|0|5?0|0|0",
                       "2000-3000 1 x4 s0 1?#00ff00"};
    // An effect 300 columns wide is 72 at 36 LEDs: 2 s at speed 10 gives
    // 28 repeats, and the colour after it keeps that width.
    QTest::newRow("suggestion from the pattern drawn last")
        << QByteArray("36><1333\n"
                      "00:00.000><00:02.000><3?1\n"
                      "00:02.000><00:04.000><1?#0000ff\n")
        << fresh
        << QStringList{"0-2000 3 x28 s10 3?28?#ffffff|#000000|0|0|1?0|0|0",
                       "2000-4000 1 x28 s10 1?#0000ff"};
    QTest::newRow("times that are none keep where the last mode ended")
        << QByteArray("36><1333\n"
                      "00:01.000><00:03.000><1?#ff0000\n"
                      "><00:05.000><1?#00ff00\n"
                      "00:06.000><><1?#0000ff\n"
                      "><><1?#ffffff\n")
        << byHand
        << QStringList{"1000-3000 1 x9 s0 1?#ff0000", "3000-5000 1 x9 s0 1?#00ff00",
                       "6000-8000 1 x9 s0 1?#0000ff", "8000-10000 1 x9 s0 1?#ffffff"};
    // The duration field holds 0.1 s at least: an end before the start
    // lands 0.1 s after it, but not when the field holds 0.1 s already.
    QTest::newRow("short and backward times")
        << QByteArray("36><1333\n"
                      "00:07.000><00:06.500><1?#ff0000\n"
                      "00:08.000><00:08.050><1?#00ff00\n")
        << byHand << QStringList{"7000-7100 1 x9 s0 1?#ff0000", "8000-8050 1 x9 s0 1?#00ff00"};
    QTest::newRow("colours not named properly stay, without alpha")
        << QByteArray("36><1333\n"
                      "00:00.000><00:01.000><1?#80ff00ff\n"
                      "00:01.000><00:02.000><2?3?nocolour|#0000ff|Hi|1|12?25|1|0\n"
                      "00:02.000><00:03.000><3?2?#ffffff|bad|99|7|0?0|0|1\n")
        << byHand
        << QStringList{"0-1000 1 x9 s0 1?#ff00ff",
                       "1000-2000 2 x3 s0 2?3?#ff00ff|#0000ff|Hi|1|9?20|1|0",
                       "2000-3000 3 x2 s0 3?2?#ffffff|#0000ff|0|0|1?0|0|1"};
    QTest::newRow("ranges of the panel")
        << QByteArray("36><1333\n"
                      "00:00.000><00:01.000><3?0?#ffffff|#000000|13|2|11?0|0|0\n"
                      "00:01.000><00:02.000><3?99999?#ffffff|#000000|-1|3|-4?0|0|0\n"
                      "00:02.000><00:03.000><2?1?#ffffff|#000000|x|7|-1?0|0|0\n")
        << fresh
        << QStringList{"0-1000 3 x1 s0 3?1?#ffffff|#000000|13|2|10?0|0|0",
                       "1000-2000 3 x9999 s0 3?9999?#ffffff|#000000|13|2|1?0|0|0",
                       "2000-3000 2 x1 s0 2?1?#ffffff|#000000|x|-1|9?1|0|0"};
    // Each mode is placed as Insert places it: the one placed last wins.
    QTest::newRow("the mode placed last wins")
        << QByteArray("36><1333\n"
                      "00:00.000><00:05.000><1?#ff0000\n"
                      "00:01.000><00:02.000><1?#00ff00\n"
                      "00:00.000><00:01.500><1?#0000ff\n"
                      "00:04.000><00:06.000><1?#ffffff\n")
        << byHand
        << QStringList{"0-1500 1 x9 s0 1?#0000ff", "1500-2000 1 x9 s0 1?#00ff00",
                       "2000-4000 1 x9 s0 1?#ff0000", "4000-6000 1 x9 s0 1?#ffffff"};
    QTest::newRow("lines that make no mode still set the times")
        << QByteArray("36><1333\n"
                      "00:00.000><00:01.000><1?#ff0000\n"
                      "00:04.000><00:07.000><0?2?/nowhere/gone.png?0|0|0\n"
                      "><><1?#00ff00\n"
                      "00:09.000><00:10.000><7?1\n"
                      "00:11.000><00:12.000><1?nocolour\n"
                      "><><1?#0000ff\n")
        << byHand
        << QStringList{"0-1000 1 x9 s0 1?#ff0000", "4000-7000 1 x9 s0 1?#00ff00",
                       "11000-12000 1 x9 s0 1?#0000ff"};
}

// The modes an old project's lines make, read against the panel they
// start from.
void TestLegacyImport::lines()
{
    QFETCH(QByteArray, text);
    QFETCH(LegacyPanelState, start);
    QFETCH(QStringList, track);
    const LegacyProject project = parseLegacyProject(text);
    Show show;
    showFor(project, show);
    LegacyImporter importer(show, show.currentTrack(), Families, start);
    importer.importModes(project);
    QStringList made;
    for (const Show::Mode &m : show.track(show.currentTrack())->modes)
        made << describe(m.record);
    QCOMPARE(made, track);
}

void TestLegacyImport::report_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("imported");
    QTest::addColumn<int>("missingModes");
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<int>("unreadable");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<bool>("complete");

    QTest::newRow("every line a mode") << QByteArray("36><1333\n00:00.000><00:01.000><1?#ff0000\n")
                                       << 1 << 0 << QStringList() << 0 << 0 << true;
    QTest::newRow("missing pictures, each path once")
        << QByteArray("36><1333\n"
                      "00:00.000><00:01.000><0?2?/a.png?0|0|0\n"
                      "00:01.000><00:02.000><0?2?/b.png?0|0|0\n"
                      "00:02.000><00:03.000><0?2?/a.png?0|0|0\n")
        << 0 << 3 << QStringList{"/a.png", "/b.png"} << 0 << 0 << false;
    QTest::newRow("no tab for the kind, no colour")
        << QByteArray("36><1333\n00:00.000><00:01.000><7?1\n00:01.000><00:02.000><1?nocolour\n")
        << 0 << 0 << QStringList() << 2 << 0 << false;
    QTest::newRow("short lines") << QByteArray("36><1333\nbroken line\n00:00.000><00:01.000\n") << 0
                                 << 0 << QStringList() << 0 << 2 << false;
    // An empty line holds no mode: nothing is left out.
    QTest::newRow("empty lines") << QByteArray("36><1333\n\n00:00.000><00:01.000><1?#ff0000\n \t\n")
                                 << 1 << 0 << QStringList() << 0 << 0 << true;
}

void TestLegacyImport::report()
{
    QFETCH(QByteArray, text);
    const LegacyProject project = parseLegacyProject(text);
    Show show;
    showFor(project, show);
    LegacyImporter importer(show, show.currentTrack(), Families);
    int calls = 0;
    const LegacyImportReport r = importer.importModes(project, [&](int done, int total) {
        ++calls;
        QCOMPARE(done, calls);
        QCOMPARE(total, project.modes.size());
    });
    QCOMPARE(calls, project.modes.size());
    QTEST(r.imported, "imported");
    QTEST(r.missingPictureModes, "missingModes");
    QTEST(r.missingPictures, "missing");
    QTEST(r.unreadableLines, "unreadable");
    QTEST(r.skippedLines, "skipped");
    QTEST(r.complete(), "complete");
    QCOMPARE(show.modeCount(), r.imported);
}

void TestLegacyImport::prop_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("leds");
    QTest::addColumn<float>("rate");
    QTest::newRow("as written") << QByteArray("80><2100\n") << 80 << 2100.0f;
    QTest::newRow("held to the fields' ranges") << QByteArray("1200><-5\n") << 999 << 0.0f;
    QTest::newRow("missing") << QByteArray("\n") << 0 << 0.0f;
}

void TestLegacyImport::prop()
{
    QFETCH(QByteArray, text);
    const ModeProp p = legacyProp(parseLegacyProject(text));
    QTEST(p.leds, "leds");
    QTEST(p.frameRate, "rate");
}

VC_TEST_MAIN(TestLegacyImport)
#include "tst_legacyimport.moc"
