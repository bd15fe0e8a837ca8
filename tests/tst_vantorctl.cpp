#include "core/about/versionfile.h"
#include "core/app/appsettings.h"
#include "core/audio/beatgrid.h"
#include "core/device/showimage.h"
#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "core/model/trackorder.h"
#include "core/project/projectextras.h"
#include "core/project/projectformat.h"
#include "gui/app/mainwindow.h"
#include "gui/device/exportupload.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/projectfiles.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "testsupport/audiofiles.h"
#include "testsupport/propsimulator.h"
#include "testsupport/records.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"
#include "testsupport/updatekeys.h"
#include "ui_mainwindow.h"

#include <QCryptographicHash>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

using vc::ModeRecord;
using vc::ProjectData;
using vc::test::PropSimulator;

using vc::test::colourMode;
using vc::test::fileBytes;
using vc::test::readData;
using vc::test::regenerateGoldens;
using vc::test::writeData;
using vc::test::writeFile;

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
    bool ended = false;
};

Run runCtl(const QStringList &args, const QProcessEnvironment &env = {}, int ms = 30000,
           const QString &workDir = {})
{
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(VANTORCTL_PROGRAM), args);
    Run r;
    r.ended = p.waitForStarted(5000) && p.waitForFinished(ms);
    if (!r.ended) {
        p.kill();
        p.waitForFinished(2000);
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// A pattern that shows every resampling slip: stripes and noise.
QImage pattern(int width, quint32 seed)
{
    QImage img(width, vc::ThumbHeight, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb((x * 7 + y) % 256, int(rng.bounded(256)), (y * 3) % 256));
    return img;
}

ModeRecord patternMode(int kind, int start, int end, int loops, int speed, int width, quint32 seed)
{
    ModeRecord r;
    r.thumb = pattern(width, seed);
    r.start = start;
    r.end = end;
    r.loops = loops;
    r.kind = kind;
    r.speed = speed;
    switch (kind) {
    case vc::Picture:
        r.params = vc::pictureParams(loops, QStringLiteral("/p/a.png"), 20, true, false);
        break;
    case vc::Text:
        r.params = vc::textParams(loops, Qt::white, Qt::black, QStringLiteral("Hi"), 0, 2, 10,
                                  false, false);
        break;
    default:
        r.params = vc::effectParams(loops, Qt::red, Qt::blue, 4, 1, 6, false, true);
        break;
    }
    return r;
}

QVector<QByteArray> encoded(const QVector<ModeRecord> &records)
{
    QVector<QByteArray> out;
    for (const ModeRecord &r : records)
        out << r.encode();
    return out;
}

// A show for 36 LEDs at 1333 columns per second, five tracks.
// Track 1 is stored out of play order: the second record starts with the
// first and ends sooner, so the sort pushes the first one (which has a
// speed, so its repeat count follows) behind it.
QVector<QVector<ModeRecord>> showTracks()
{
    return {
        {patternMode(vc::Picture, 2000, 6000, 3, 8, 170, 1),
         patternMode(vc::Effect, 2000, 3000, 2, 0, 60, 2), colourMode(0, 1500, QColor(0, 0, 255)),
         colourMode(6500, 6700, QColor(255, 255, 255)),
         patternMode(vc::Text, 7000, 9000, 1, 0, 300, 3)},
        {patternMode(vc::Effect, 500, 4500, 5, 0, 40, 4)},
        {},
        {colourMode(100, 400, QColor(200, 100, 27))},
        // Loading orders a track by start before the export's sort runs:
        // the pushed effect then meets the picture at 2000 last, not first.
        {patternMode(vc::Picture, 2000, 2600, 2, 0, 50, 5),
         patternMode(vc::Effect, 1000, 3000, 3, 12, 80, 6), colourMode(1000, 2000, Qt::red)},
    };
}

ProjectData makeProject(qint16 leds, float rate, const QVector<QVector<ModeRecord>> &tracks)
{
    ProjectData p;
    p.leds = leds;
    p.frameRate = rate;
    for (const QVector<ModeRecord> &t : tracks)
        p.tracks << encoded(t);
    return p;
}

} // namespace

class TestVantorctl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void help_data();
    void help();
    void info();
    void exampleStreams();
    void startMark_data();
    void startMark();
    void sortAgreesWithTrack_data();
    void sortAgreesWithTrack();
    void exportMatchesEditor_data();
    void exportMatchesEditor();
    void badInput_data();
    void badInput();

    void beats();

    void convertMatchesEditor_data();
    void convertMatchesEditor();
    void convertKeepsSettings();
    void convertFindsPictures();
    void convertGivesStoredRecords_data();
    void convertGivesStoredRecords();

    void uploadToTwoProps_data();
    void uploadToTwoProps();
    void uploadSearchesCandidates();
    void uploadStoppedByTerminate();

    void publishUpdate();
    void publishRefuses_data();
    void publishRefuses();

private:
    QString save(const QString &name, const ProjectData &project);
    QString exampleProject(int startMs = 0);

    QTemporaryDir m_dir;
};

void TestVantorctl::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFile::exists(QStringLiteral(VANTORCTL_PROGRAM)));
}

QString TestVantorctl::save(const QString &name, const ProjectData &project)
{
    const QString path = m_dir.filePath(name);
    if (!vc::saveProjectFile(path, project))
        qFatal("cannot save %s", qPrintable(path));
    return path;
}

// The byte example of the show image: 2 LEDs at 10 columns per second, one
// pure red colour mode of 480 ms.
QString TestVantorctl::exampleProject(int startMs)
{
    return save(QStringLiteral("red%1.vtc3").arg(startMs),
                makeProject(2, 10.0f, {{colourMode(startMs, startMs + 480, Qt::red)}}));
}

// ---------------------------------------------------------------- help, info

void TestVantorctl::help_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("usage");
    QTest::newRow("program") << QStringList{"--help"} << "Usage: vantorctl COMMAND";
    QTest::newRow("convert") << QStringList{"convert", "--help"}
                             << "Usage: vantorctl convert [options] OLD";
    for (const char *command : {"publish-update", "update-keygen"})
        QTest::newRow(command)
            << QStringList{command, "--help"}
            << QStringLiteral("Usage: vantorctl %1 [options]\n").arg(QLatin1String(command));
    QTest::newRow("beats") << QStringList{"beats", "--help"}
                           << "Usage: vantorctl beats [options] SONG";
    for (const char *command : {"info", "export", "streams", "upload"})
        QTest::newRow(command)
            << QStringList{command, "--help"}
            << QStringLiteral("Usage: vantorctl %1 [options] PROJECT").arg(QLatin1String(command));
}

void TestVantorctl::help()
{
    QFETCH(QStringList, args);
    QFETCH(QString, usage);
    const Run r = runCtl(args);
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.startsWith(usage.toUtf8()), r.out.constData());
}

void TestVantorctl::info()
{
    ProjectData p = makeProject(36, 1333.0f, showTracks());
    p.songPath = QStringLiteral("/music/song one.mp3");
    const QString path = save(QStringLiteral("info.vtc3"), p);

    Run r = runCtl({"info", path});
    QCOMPARE(r.status, 0);
    QCOMPARE(QString::fromUtf8(r.out),
             QStringLiteral("LED count: 36\n"
                            "Frame rate: 1333\n"
                            "Song: /music/song one.mp3\n"
                            "Track 1: 5 modes, 00:00.000 to 00:09.000\n"
                            "Track 2: 1 mode, 00:00.500 to 00:04.500\n"
                            "Track 3: 0 modes\n"
                            "Track 4: 1 mode, 00:00.100 to 00:00.400\n"
                            "Track 5: 3 modes, 00:01.000 to 00:03.000\n"));

    r = runCtl({"info", "--modes", path});
    QCOMPARE(r.status, 0);
    const QStringList lines = QString::fromUtf8(r.out).split('\n');
    QCOMPARE(lines.at(3), QStringLiteral("Track 1: 5 modes, 00:00.000 to 00:09.000"));
    // The modes after their track's line, in start order as the editor
    // loads them (equal starts as stored).
    QCOMPARE(lines.at(4), QStringLiteral("00:00.000\t00:01.500\tcolour\t1\t0\t1?#0000ff"));
    QCOMPARE(lines.at(5), QStringLiteral("00:02.000\t00:06.000\tpicture\t3\t8\t") +
                              vc::pictureParams(3, "/p/a.png", 20, true, false));
    QVERIFY(lines.at(6).startsWith(QStringLiteral("00:02.000\t00:03.000\teffect\t2\t0\t3?2?")));
    QCOMPARE(lines.at(9), QStringLiteral("Track 2: 1 mode, 00:00.500 to 00:04.500"));
    QVERIFY(lines.at(10).startsWith(QStringLiteral("00:00.500\t00:04.500\teffect\t5\t0\t3?5?")));
    QCOMPARE(lines.at(11), QStringLiteral("Track 3: 0 modes"));
    QCOMPARE(lines.at(13), QStringLiteral("00:00.100\t00:00.400\tcolour\t1\t0\t1?#c8641b"));
    QCOMPARE(lines.size(), 19); // the last line ends with a newline

    p.songPath.clear();
    r = runCtl({"info", save(QStringLiteral("nosong.vtc3"), p)});
    QVERIFY(r.out.contains("Song: none\n"));
}

// ---------------------------------------------------------------- export

void TestVantorctl::exampleStreams()
{
    const QString project = exampleProject();
    const QString h = m_dir.filePath("ex.header"), f = m_dir.filePath("ex.frames");
    Run r = runCtl({"streams", project, "--header", h, "--frames", f});
    QCOMPARE(r.status, 0);
    QCOMPARE(fileBytes(h), readData("showimage_red480.header"));
    QCOMPARE(fileBytes(f), readData("showimage_red480.frames"));

    const QString bin = m_dir.filePath("ex.bin");
    r = runCtl({"export", project, "-o", bin});
    QCOMPARE(r.status, 0);
    QCOMPARE(fileBytes(bin), readData("showimage_red480.bin"));

    // Without the loop marker the frame stream ends with the block's end.
    r = runCtl({"streams", project, "--header", h, "--frames", f, "--no-repeat"});
    QCOMPARE(r.status, 0);
    QCOMPARE(fileBytes(f), readData("showimage_red480.frames").left(15));
}

void TestVantorctl::startMark_data()
{
    QTest::addColumn<int>("modeStart");
    QTest::addColumn<int>("mark");
    QTest::addColumn<bool>("leadIn");
    QTest::newRow("mode at the mark") << 1000 << 1000 << false;
    QTest::newRow("240 ms after the mark") << 1000 << 760 << false;
    QTest::newRow("241 ms after the mark") << 1000 << 759 << true;
    QTest::newRow("mode before the mark") << 1000 << 5000 << false;
    QTest::newRow("no mark, mode at 1 s") << 1000 << 0 << true;
}

void TestVantorctl::startMark()
{
    QFETCH(int, modeStart);
    QFETCH(int, mark);
    QFETCH(bool, leadIn);
    const QString h = m_dir.filePath("mark.header"), f = m_dir.filePath("mark.frames");
    const Run r = runCtl({"streams", exampleProject(modeStart), "--header", h, "--frames", f,
                          "--start-ms", QString::number(mark)});
    QCOMPARE(r.status, 0);
    if (leadIn) {
        QCOMPARE(quint8(fileBytes(h).at(4)), quint8(2)); // dark block and colour block
    } else {
        QCOMPARE(fileBytes(h), readData("showimage_red480.header"));
        QCOMPARE(fileBytes(f), readData("showimage_red480.frames"));
    }
}

using Spans = QVector<QPair<int, int>>;

void TestVantorctl::sortAgreesWithTrack_data()
{
    QTest::addColumn<Spans>("spans");
    QTest::newRow("out of order") << Spans{{3000, 4000}, {0, 1000}, {1500, 2000}};
    QTest::newRow("later and shorter pushes") << Spans{{1000, 3000}, {1000, 2000}};
    QTest::newRow("same end removes") << Spans{{1000, 3000}, {1000, 3000}};
    QTest::newRow("pushed onto a taken start") << Spans{{2000, 2600}, {1000, 3000}, {1000, 2000}};
    QTest::newRow("null start") << Spans{{-1, 900}, {0, 500}, {700, 1200}};
    QTest::newRow("empty mode") << Spans{{500, 500}, {500, 900}};
    QTest::newRow("inside another") << Spans{{1000, 5000}, {2000, 3000}, {1000, 2500}};
}

// The records of a track sorted without widgets come out as the track's own
// sort leaves its items, repeat counts of modes with a speed included.
void TestVantorctl::sortAgreesWithTrack()
{
    QFETCH(Spans, spans);
    vc::Show show;
    show.setLeds(36);
    show.setFrameRate(1333.0f);
    QVector<ModeRecord> records;
    for (int i = 0; i < spans.size(); ++i)
        records << patternMode(vc::Picture, spans.at(i).first, spans.at(i).second, 4, 6,
                               100 + 10 * i, quint32(i));

    Timeline track(nullptr, nullptr, nullptr, &show);
    for (const ModeRecord &r : records)
        track.addTimelineItem(new TimelineItem(r.encode(), &track));
    track.sortItems();
    QStringList expected;
    for (const TimelineItem *item : track.items())
        expected << QStringLiteral("%1-%2 x%3 w%4")
                        .arg(item->start())
                        .arg(item->end())
                        .arg(item->loops())
                        .arg(item->thumb().width());

    QStringList sorted;
    for (const ModeRecord &r : vc::sortTrack(records, 1333.0f, 36))
        sorted << QStringLiteral("%1-%2 x%3 w%4")
                      .arg(r.start)
                      .arg(r.end)
                      .arg(r.loops)
                      .arg(r.thumb.width());
    QCOMPARE(sorted, expected);
}

void TestVantorctl::exportMatchesEditor_data()
{
    QTest::addColumn<int>("track");
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<float>("rate");
    QTest::newRow("track 1 sorted on export") << 1 << 1 << true << 1333.0f;
    QTest::newRow("track 1, slot 8, once") << 1 << 8 << false << 1333.0f;
    QTest::newRow("track 2, slot 3") << 2 << 3 << true << 1333.0f;
    QTest::newRow("track 4, slot 2, once") << 4 << 2 << false << 1333.0f;
    // The editor's frame-rate field holds whole numbers: it builds at 2100.
    QTest::newRow("track 5 ordered on load") << 5 << 1 << true << 1333.0f;
    QTest::newRow("fractional rate") << 2 << 1 << true << 2100.75f;
}

// The same project loaded into the editor and exported there with the
// export button, and exported by the tool.
void TestVantorctl::exportMatchesEditor()
{
    QFETCH(int, track);
    QFETCH(int, slot);
    QFETCH(bool, repeat);
    QFETCH(float, rate);
    const QVector<QVector<ModeRecord>> tracks = showTracks();
    const QString project = save(QStringLiteral("show.vtc3"), makeProject(36, rate, tracks));

    const QString editorBin = m_dir.filePath(QStringLiteral("editor-%1.bin").arg(track));
    {
        vc::test::ScriptedPrompter prompter;
        MainWindow w;
        Ui::MainWindow *ui = w.form();
        w.exportUpload()->setStreamFiles(
            {m_dir.filePath("w-extemp2.tmp"), m_dir.filePath("w-extemp.tmp")});
        w.LoadFile(project);
        QCOMPARE(w.tracks()->tracksByNumber().size(), tracks.size());
        w.tracks()->makeCurrent(w.tracks()->tracksByNumber().at(track - 1), true);
        ui->prop_track->setCurrentIndex(slot - 1);
        ui->AutoRepeat->setChecked(repeat);
        prompter.fileNames << editorBin;
        w.exportUpload()->exportClicked();
        QVERIFY(prompter.calls.last().text.startsWith(QStringLiteral("道具秀檔案已寫入")));
    }
    const QByteArray expected = fileBytes(editorBin);
    QVERIFY(expected.size() > 256);

    const QString ctlBin = m_dir.filePath(QStringLiteral("ctl-%1.bin").arg(track));
    QStringList args{"export",  project,
                     "-o",      ctlBin,
                     "--track", QString::number(track),
                     "--slot",  QString::number(slot)};
    if (!repeat)
        args << "--no-repeat";
    const Run r = runCtl(args);
    QCOMPARE(r.status, 0);
    QVERIFY(r.err.contains(ctlBin.toUtf8()));
    QVERIFY(fileBytes(ctlBin) == expected);
}

void TestVantorctl::badInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    QDir(m_dir.path()).mkpath("folder.vtc3");
    QFile cut(m_dir.filePath("cut.vtc3"));
    cut.open(QIODevice::WriteOnly);
    cut.write(QByteArray::fromHex("0024 4094d4"));
    cut.close();
    QFile old(m_dir.filePath("old.vtc"));
    old.open(QIODevice::WriteOnly);
    old.write("36><1333\n00:00.000><00:01.000><1?#ff0000\n");
    old.close();

    const QString show = save("bad.vtc3", makeProject(36, 1333.0f, showTracks()));
    const QString wide =
        save("wide.vtc3", makeProject(300, 1333.0f, {{colourMode(0, 500, Qt::red)}}));
    QVector<ModeRecord> many;
    for (int i = 0; i < 128; ++i) // 128 modes and 128 pauses of 500 ms: 256 blocks
        many << colourMode(i * 1000 + 500, i * 1000 + 1000, Qt::green);
    const QString crowded = save("crowded.vtc3", makeProject(36, 1333.0f, {many}));
    const QString still =
        save("still.vtc3", makeProject(36, 0.0f, {{colourMode(0, 500, Qt::red)}}));
    const QString missing = m_dir.filePath("missing.vtc3");
    const QString out = m_dir.filePath("never.bin");

    auto row = [&](const char *name, QStringList args, int status, const QString &message) {
        if (!args.isEmpty() && args.first() == "export")
            args << "-o" << out;
        QTest::newRow(name) << args << status << message;
    };
    row("missing project", {"export", missing}, 1, missing + ": no such file");
    row("folder", {"info", m_dir.filePath("folder.vtc3")}, 1, "is a folder");
    row("cut short", {"export", m_dir.filePath("cut.vtc3")}, 1, "damaged project file");
    row("old format", {"export", m_dir.filePath("old.vtc")}, 1, "vantorctl convert");
    row("track 6 of 5", {"export", show, "--track", "6"}, 1,
        show + ": track 6 does not exist (the project has 5 tracks)");
    row("track 0", {"streams", show, "--track", "0", "--header", out, "--frames", out + "2"}, 1,
        "track 0 does not exist");
    row("empty track", {"export", show, "--track", "3"}, 1, show + ": track 3 is empty");
    row("256 blocks", {"export", crowded}, 1, crowded + ": track 1 needs 256 blocks");
    row("300 LEDs", {"export", wide}, 1, wide + ": the LED count is 300");
    row("no frame rate", {"export", still}, 1, "the frame rate is 0");
    row("slot 9", {"export", show, "--slot", "9"}, 1, show + ": slot 9 is outside 1 to 8");
    row("slot 0", {"upload", show, "--slot", "0", "--port", "/dev/null"}, 1,
        "slot 0 is outside 1 to 8");
    row("upload of an empty track", {"upload", show, "--track", "3", "--port", "/dev/null"}, 1,
        "track 3 is empty");

    row("convert a current project", {"convert", show, "-o", out}, 1,
        show + ": already a project in the current format");
    row("convert a missing file", {"convert", m_dir.filePath("gone.vtc"), "-o", out}, 1,
        "gone.vtc: no such file");
    row("convert without output", {"convert", m_dir.filePath("old.vtc")}, 2, "missing -o");

    row("beats of a missing song", {"beats", m_dir.filePath("gone.mp3")}, 1,
        "gone.mp3: no such file");
    row("beats of a file that is no song", {"beats", m_dir.filePath("old.vtc")}, 1,
        ": cannot be decoded");
    row("beats of a project without a grid", {"beats", show}, 1, "no beat grid is stored");
    vc::ProjectExtras damaged;
    damaged.beatGrid = QJsonObject{{"meter", 5}};
    QVERIFY(vc::writeExtras(still, damaged, nullptr));
    row("beats of a damaged grid", {"beats", still}, 1, "the stored beat grid is damaged");
    row("beats without a song", {"beats"}, 2, "missing SONG");

    row("no command", {}, 2, "missing COMMAND");
    row("unknown command", {"frobnicate"}, 2, "unknown command");
    row("no project", {"info"}, 2, "missing PROJECT");
    row("two projects", {"info", show, show}, 2, "unexpected argument");
    row("unknown option", {"info", show, "--colour"}, 2, "Unknown option");
    row("track not a number", {"export", show, "--track", "two"}, 2,
        "--track needs a whole number");
    row("negative start mark", {"export", show, "--start-ms", "-5"}, 2, "cannot be negative");
    QTest::newRow("no output") << QStringList{"export", show} << 2 << "missing -o";
    QTest::newRow("no frames") << QStringList{"streams", show, "--header", out} << 2
                               << "missing --frames";
    row("bad final timeout", {"upload", show, "--final-timeout-s", "soon"}, 2,
        "--final-timeout-s needs a number");
    row("port twice", {"upload", show, "--port", "/dev/null", "--port", "/dev/null"}, 2,
        "given twice");
    row("port twice in --to", {"upload", show, "--to", "/dev/null=1", "--to", "/dev/null=2"}, 2,
        "given twice");
    row("--to and --port", {"upload", show, "--to", "/dev/null=1", "--port", "/dev/null"}, 2,
        "without --port");
    row("--to without a track", {"upload", show, "--to", "/dev/null"}, 2, "DEVICE=N");
    row("--to an empty track", {"upload", show, "--to", "/dev/null=3"}, 1, "track 3 is empty");
    row("--to a missing port", {"upload", show, "--to", m_dir.filePath("gone") + "=1"}, 1,
        "nothing was sent: gone: not found");
}

void TestVantorctl::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    const Run r = runCtl(args);
    QVERIFY(r.ended);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
    if (status == 1) // one line
        QCOMPARE(r.err.count('\n'), 1);
    QVERIFY(r.out.isEmpty());
    QVERIFY(!QFile::exists(m_dir.filePath("never.bin")));
}

// ---------------------------------------------------------------- beats

// The tempo on the first line, then the beats in ms.
void TestVantorctl::beats()
{
    const QString song = m_dir.filePath(QStringLiteral("clicks.wav"));
    QVERIFY(vc::test::writeWav(
        song, 20, 44100, 2,
        vc::test::playing(vc::test::beatSong(vc::test::BeatSong::Clicks, 120, 20))));
    const Run r = runCtl({"beats", song});
    QCOMPARE(r.status, 0);
    QVERIFY(r.err.isEmpty());
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    QVERIFY2(qAbs(lines.first().toDouble() - 120) < 0.5, lines.first().constData());
    const QVector<double> clicks = vc::test::beatSongBeats(120, 20);
    QCOMPARE(lines.size() - 1, clicks.size());
    for (int i = 1; i < lines.size(); ++i)
        QVERIFY2(qAbs(lines[i].toInt() - clicks[i - 1]) <= 30, lines[i].constData());

    // With bars: clicks all alike make bars of four from the first beat.
    const Run withBars = runCtl({"beats", "--bars", song});
    const QList<QByteArray> barLines = withBars.out.trimmed().split('\n');
    QCOMPARE(barLines.size(), lines.size());
    QCOMPARE(barLines[1], lines[1] + "\t1");
    QCOMPARE(barLines[2], lines[2]);
    QCOMPARE(barLines[5], lines[5] + "\t2");

    // A project prints the grid stored with it.
    const QString project = save("beats.vtc3", makeProject(36, 1333.0f, showTracks()));
    vc::ProjectExtras extras;
    extras.beatGrid = vc::BeatGrid::fromTimes({1000, 1500, 2000, 2500}, 3, 1).toJson();
    QVERIFY(vc::writeExtras(project, extras, nullptr));
    const Run stored = runCtl({"beats", project, "--bars"});
    QCOMPARE(stored.status, 0);
    QCOMPARE(stored.out, QByteArray("120.00\n1000\n1500\t1\n2000\n2500\n"));
}

// ---------------------------------------------------------------- convert

void TestVantorctl::convertMatchesEditor_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("report");

    QImage picture(120, 60, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QPainter(&picture).fillRect(10, 10, 50, 20, Qt::yellow);
    const QString png = m_dir.filePath("pic.png");
    QVERIFY(picture.save(png));

    const QByteArray modes = "00:00.000><00:02.000><1?#ff0000\n"
                             "00:02.000><00:04.000><3?5?#ff0000|#0000ff|4|1|6?0|0|1\n"
                             "00:04.000><00:06.000><2?3?#ffffff|#000000|Hello|0|2?10|0|0\n"
                             "00:06.000><00:08.000><0?2?" +
                             png.toUtf8() + "?20|1|0\n";
    QTest::newRow("every kind") << QByteArray("36><1333\n" + modes) << 0
                                << QStringLiteral("4 modes\n");
    QTest::newRow("custom prop, CRLF") << QByteArray("50><900\r\n" + modes).replace("\n", "\r\n")
                                       << 0 << QStringLiteral("4 modes\n");
    QTest::newRow("missing picture")
        << QByteArray("80><2100\n" + modes + "00:08.000><00:09.000><0?2?/nowhere/gone.png?0|0|0\n")
        << 1 << QStringLiteral("4 modes, 1 left out\n");
    QTest::newRow("unknown kind") << QByteArray("36><1333\n" + modes +
                                                "00:09.000><00:10.000><7?1\n")
                                  << 1 << QStringLiteral("4 modes, 1 left out\n");
    // An empty line holds no mode: nothing is left out.
    QTest::newRow("empty lines") << QByteArray("36><1333\n\n" + modes + "  \n\n") << 0
                                 << QStringLiteral("4 modes\n");
}

// An old project converted by the tool holds what the editor holds after
// loading the same file, record for record.
void TestVantorctl::convertMatchesEditor()
{
    QFETCH(QByteArray, lines);
    QFETCH(int, status);
    QFETCH(QString, report);
    const QString old = writeFile(m_dir.filePath("old.vtc"), lines);
    const QString converted = m_dir.filePath("converted"); // ".vtc3" is added
    QFile::remove(converted + ".vtc3");

    const Run r = runCtl({"convert", old, "-o", converted});
    QVERIFY(r.ended);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.endsWith((converted + ".vtc3: " + report).toUtf8()), r.err.constData());
    if (status != 0)
        QVERIFY(r.err.contains("gone.png") || r.err.contains("1 line not understood"));
    const vc::ProjectReadResult read = vc::loadProjectFile(converted + ".vtc3");
    QVERIFY(read.status.ok());

    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    w.LoadFile(old);
    const ProjectData editor = w.projectFiles()->projectData();
    QCOMPARE(read.project.leds, editor.leds);
    QCOMPARE(read.project.frameRate, editor.frameRate);
    QCOMPARE(read.project.songPath, editor.songPath);
    QCOMPARE(read.project.tracks.size(), 1);
    QCOMPARE(read.project.tracks.first().size(), editor.tracks.first().size());
    for (int i = 0; i < editor.tracks.first().size(); ++i) {
        const ModeRecord mine = ModeRecord::decode(read.project.tracks.first().at(i));
        const ModeRecord theirs = ModeRecord::decode(editor.tracks.first().at(i));
        QCOMPARE(mine.params, theirs.params);
        QCOMPARE(mine.thumb, theirs.thumb);
        QCOMPARE(mine.start, theirs.start);
        QCOMPARE(mine.end, theirs.end);
        QCOMPARE(mine.colour, theirs.colour);
        QCOMPARE(mine.loops, theirs.loops);
        QCOMPARE(mine.kind, theirs.kind);
        QCOMPARE(mine.speed, theirs.speed);
        QVERIFY(read.project.tracks.first().at(i) == editor.tracks.first().at(i));
    }
}

void TestVantorctl::convertKeepsSettings()
{
    {
        QSettings s = vc::settings::open();
        s.setValue(vc::settings::Gadget, 5);
        s.setValue(vc::settings::CurrentPicPath, "/where/i/was");
        s.remove(vc::settings::WindowSize);
    }
    const QString old =
        writeFile(m_dir.filePath("keep.vtc"), "36><1333\n00:00.000><00:02.000><0?2?" +
                                                  m_dir.filePath("pic.png").toUtf8() + "?0|0|0\n");
    const Run r = runCtl({"convert", old, "-o", m_dir.filePath("keep.vtc3")});
    QCOMPARE(r.status, 0);
    {
        QSettings s = vc::settings::open();
        QCOMPARE(s.value(vc::settings::Gadget).toInt(), 5);
        QCOMPARE(s.value(vc::settings::CurrentPicPath).toString(), QStringLiteral("/where/i/was"));
        QVERIFY(!s.contains(vc::settings::WindowSize));
    }

    // The conversion writes no settings at all: none are made where there
    // were none.
    const QString file = vc::settings::open().fileName();
    QVERIFY(QFile::remove(file));
    QCOMPARE(runCtl({"convert", old, "-o", m_dir.filePath("keep.vtc3")}).status, 0);
    QVERIFY(!QFile::exists(file));
}

// Pictures of a project moved from another machine are found by name.
void TestVantorctl::convertFindsPictures()
{
    QDir(m_dir.path()).mkpath("found/deeper");
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::magenta);
    QVERIFY(picture.save(m_dir.filePath("found/deeper/moved.png")));
    const QString old = writeFile(m_dir.filePath("moved.vtc"),
                                  "36><1333\n"
                                  "00:00.000><00:02.000><0?2?C:\\show\\moved.png?0|0|0\n"
                                  "00:02.000><00:04.000><0?2?/elsewhere/moved.png?0|0|0\n");
    const QString target = m_dir.filePath("moved.vtc3");
    Run r = runCtl({"convert", old, "-o", target});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.endsWith(": 0 modes, 2 left out\n"), r.err.constData());

    r = runCtl({"convert", old, "-o", target, "--pictures", m_dir.filePath("found")});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.err.contains("2 picture modes found in"), r.err.constData());
    const vc::ProjectReadResult read = vc::loadProjectFile(target);
    QCOMPARE(read.project.tracks.first().size(), 2);
    QVERIFY(ModeRecord::decode(read.project.tracks.first().first())
                .params.contains(m_dir.filePath("found/deeper/moved.png")));

    r = runCtl({"convert", old, "-o", target, "--pictures", m_dir.filePath("nowhere")});
    QCOMPARE(r.status, 1);
    QVERIFY(r.err.contains("nowhere: no such folder"));
}

namespace {

QByteArray sha1(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

// A converted project as lines of text: the tool's exit status and
// messages, the gadget, a checksum of the whole file, then one line per
// record with its fields and a checksum of its bytes.
QStringList describeConversion(const Run &run, const QString &target)
{
    QStringList lines{QStringLiteral("status %1").arg(run.status)};
    for (const QString &m : QString::fromUtf8(run.err).split('\n', Qt::SkipEmptyParts))
        lines << QStringLiteral("message ") + QString(m).replace(target, QStringLiteral("OUT"));
    const QByteArray file = fileBytes(target);
    const vc::ProjectReadResult read = vc::loadProjectFile(target);
    lines << QStringLiteral("leds %1, frame rate %2, song \"%3\"")
                 .arg(read.project.leds)
                 .arg(double(read.project.frameRate))
                 .arg(read.project.songPath);
    lines << QStringLiteral("file ") + QString::fromLatin1(sha1(file));
    for (int t = 0; t < read.project.tracks.size(); ++t) {
        lines << QStringLiteral("track %1").arg(t + 1);
        for (const QByteArray &bytes : read.project.tracks.at(t)) {
            const ModeRecord r = ModeRecord::decode(bytes);
            lines << QStringLiteral("%1 %2 kind %3 x%4 speed %5 colour %6 thumb %7x%8 %9 %10")
                         .arg(r.start)
                         .arg(r.end)
                         .arg(r.kind)
                         .arg(r.loops)
                         .arg(r.speed)
                         .arg(r.colour.isValid() ? r.colour.name(QColor::HexArgb)
                                                 : QStringLiteral("none"))
                         .arg(r.thumb.width())
                         .arg(r.thumb.height())
                         .arg(QString::fromLatin1(sha1(bytes)), r.params);
        }
    }
    return lines;
}

} // namespace

void TestVantorctl::convertGivesStoredRecords_data()
{
    QTest::addColumn<QString>("name");
    // Every kind with its options; lines that leave times, colours and
    // settings unsaid, and lines that cannot be made; a prop above 1500
    // columns per second with CRLF line ends and blank lines; no modes.
    for (const char *name : {"every-kind", "carry-over", "pro-80", "gadget-only"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Old projects convert to the records stored with them, byte for byte.
// Their pictures are named relative to the test data folder.
void TestVantorctl::convertGivesStoredRecords()
{
    QFETCH(QString, name);
    const QString target = m_dir.filePath(name + ".vtc3");
    QFile::remove(target);
    const Run r = runCtl({"convert", "convert/" + name + ".vtc", "-o", target}, {}, 30000,
                         QStringLiteral(VC_TESTDATA_DIR));
    QVERIFY(r.ended);
    const QStringList lines = describeConversion(r, target);
    const QString golden = "convert/" + name + ".txt";
    if (regenerateGoldens())
        writeData(golden, lines.join('\n').toUtf8() + '\n');
    QCOMPARE(lines, QString::fromUtf8(readData(golden)).split('\n', Qt::SkipEmptyParts));
}

// ---------------------------------------------------------------- upload

namespace {

// What a prop receives for the byte example: the slot byte, the header
// without the slot byte and its last two bytes, the frames.
QByteArray exampleWire()
{
    return QByteArray("\x01") + vc::device::headerWireBytes(readData("showimage_red480.header")) +
           readData("showimage_red480.frames");
}

void answerExample(PropSimulator &prop)
{
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("OK");
    prop.setFinalAnswer("END", 21 + 26);
}

QString label(const PropSimulator &prop)
{
    return prop.portName().mid(5); // without "/dev/"
}

} // namespace

// How the two props are named: both by --port (the same show), by --to
// (a track each) or by the props stored beside the project.
void TestVantorctl::uploadToTwoProps_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("refusing"); // the second prop refuses its slot
    for (bool refusing : {false, true})
        for (const char *how : {"port", "to", "stored"})
            QTest::newRow(qPrintable(QStringLiteral("%1%2").arg(how, refusing ? ", refused" : "")))
                << QString::fromLatin1(how) << refusing;
}

void TestVantorctl::uploadToTwoProps()
{
    QFETCH(QString, how);
    QFETCH(bool, refusing);
    // Two tracks of different lengths: each prop must get its own.
    const QString project =
        how == "port"
            ? exampleProject()
            : save(how + ".vtc3",
                   makeProject(2, 10.0f,
                               {{colourMode(0, 480, Qt::red)}, {colourMode(0, 300, Qt::blue)}}));
    QVector<QByteArray> wires;
    for (int track : {1, 2}) {
        const QString h = m_dir.filePath("h"), f = m_dir.filePath("f");
        QCOMPARE(runCtl({"streams", project, "--track", QString::number(how == "port" ? 1 : track),
                         "--header", h, "--frames", f})
                     .status,
                 0);
        wires << QByteArray("\x01") + vc::device::headerWireBytes(fileBytes(h)) + fileBytes(f);
    }
    PropSimulator a, b;
    QVERIFY(a.isValid() && b.isValid());
    PropSimulator *props[] = {&a, &b};
    for (int i : {0, 1}) {
        props[i]->setGreeting("Vantor");
        props[i]->setSlotAnswer(refusing && i == 1 ? "slot ERR" : "OK");
        props[i]->setFinalAnswer("END", wires.at(i).size() - 1);
    }
    QStringList args{"upload", project, "--final-timeout-s", "5"};
    QString error;
    if (how == "port")
        args << "--port" << a.portName() << "--port" << b.portName();
    else if (how == "to")
        args << "--to" << a.portName() + "=1"
             << "--to" << b.portName() + "=2";
    else
        QVERIFY(vc::writeExtras(
            project, {{}, {{1, "Ann", a.portName()}, {2, "Bo", b.portName()}}, {}}, &error));
    const Run r = runCtl(args);
    QVERIFY(r.ended);
    QCOMPARE(r.status, refusing ? 1 : 0);
    QCOMPARE(a.received(), wires.at(0));
    QCOMPARE(b.received(), refusing ? QByteArray("\x01") : wires.at(1));
    const QString err = QString::fromUtf8(r.err);
    const QString names[] = {how == "stored" ? " (Ann)" : "", how == "stored" ? " (Bo)" : ""};
    QVERIFY2(err.contains(label(a) + names[0] + ": Upload finished\n"), qPrintable(err));
    QVERIFY(err.contains(label(a) + names[0] + ": 100%\n"));
    QVERIFY(err.contains(label(b) + names[1] + (refusing ? ": ERROR02" : ": Upload finished\n")));
    QVERIFY(err.endsWith(refusing ? "1 of 2 props answered\n" : "2 of 2 props answered\n"));
}

void TestVantorctl::uploadSearchesCandidates()
{
    PropSimulator prop;
    answerExample(prop);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VANTOR_SERIAL_PORTS", m_dir.filePath("no-such-port") + ':' + prop.portName());
    Run r = runCtl({"upload", exampleProject(), "--final-timeout-s", "5"}, env);
    QCOMPARE(r.status, 0);
    QCOMPARE(prop.received(), exampleWire());
    QVERIFY2(r.err.endsWith((label(prop) + ": Upload finished\n").toUtf8()), r.err.constData());

    // Nothing to find: the editor's message.
    env.insert("VANTOR_SERIAL_PORTS", m_dir.filePath("no-such-port"));
    r = runCtl({"upload", exampleProject()}, env);
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains("No device detect"), r.err.constData());
}

void TestVantorctl::uploadStoppedByTerminate()
{
    PropSimulator prop;
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("OK");
    prop.setStallAfter(10);
    QProcess p;
    p.start(QStringLiteral(VANTORCTL_PROGRAM),
            {"upload", exampleProject(), "--port", prop.portName(), "--final-timeout-s", "0"});
    QVERIFY(PropSimulator::waitUntil([&] { return prop.received().size() >= 10; }, 10000));
    p.terminate();
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(p.readAllStandardError().contains("upload cancelled"));
    QVERIFY(PropSimulator::waitUntil([&] { return !prop.portOpen(); }, 5000));
}

// ---------------------------------------------------------------- updates

void TestVantorctl::publishUpdate()
{
    // A new key pair, an update signed with it, read back as the editor
    // and the updater read it.
    const QString key = m_dir.filePath(QStringLiteral("publisher.key"));
    Run r = runCtl({"update-keygen", "-o", key});
    QCOMPARE(r.status, 0);
    const QByteArray publicKey = vc::update::decodeKey(r.out, vc::update::PublicKeyBytes);
    QCOMPARE(publicKey.size(), vc::update::PublicKeyBytes);
    QCOMPARE(vc::update::decodeKey(fileBytes(key + ".pub"), vc::update::PublicKeyBytes), publicKey);
    QCOMPARE(QFileInfo(key).permissions() & 0x7077,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // A key is never overwritten.
    r = runCtl({"update-keygen", "-o", key});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains("already exists"), r.err.constData());

    const QByteArray firmware = QByteArray(5000, '\x5a') + "fw";
    const QByteArray installer = QByteArray(7000, '\x7f') + "setup";
    writeFile(m_dir.filePath("fw.bin"), firmware);
    writeFile(m_dir.filePath("setup.exe"), installer);
    writeFile(m_dir.filePath("notes.txt"), "更快<br>更穩\n");
    const QString site = m_dir.filePath(QStringLiteral("site"));
    r = runCtl({"publish-update", "--version", "3.2132", "--notes", m_dir.filePath("notes.txt"),
                "--firmware", m_dir.filePath("fw.bin"), "--installer", m_dir.filePath("setup.exe"),
                "--secret-key", key, "-o", site});
    QVERIFY2(r.status == 0, r.err.constData());
    QVERIFY(r.err.contains(vc::update::encodeKey(publicKey)));

    const vc::update::VersionFile f =
        vc::update::VersionFile::read(fileBytes(site + "/version"), publicKey);
    QCOMPARE(f.trust, vc::update::Trust::Trusted);
    QCOMPARE(f.version, 3.2132);
    QCOMPARE(f.notes, QStringLiteral("更快<br>更穩"));
    QCOMPARE(f.firmware, vc::test::digestOfBytes(firmware));
    QCOMPARE(f.installer, vc::test::digestOfBytes(installer));
    QCOMPARE(fileBytes(site + "/assets/file/Vantor.ino.generic_stm32f103r.bin"), firmware);
    QCOMPARE(fileBytes(site + "/assets/file/VantorCreator_Patch.exe"), installer);
    // Programs built with another key do not trust it.
    QCOMPARE(vc::update::VersionFile::read(fileBytes(site + "/version"), vc::test::testPublicKey())
                 .trust,
             vc::update::Trust::BadSignature);
}

void TestVantorctl::publishRefuses_data()
{
    QTest::addColumn<QStringList>("change"); // option, value
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    writeFile(m_dir.filePath("p-fw.bin"), "fw");
    writeFile(m_dir.filePath("p-notes.txt"), "a;;b");
    writeFile(m_dir.filePath("p-public.key"), vc::update::encodeKey(vc::test::testPublicKey()));
    QTest::newRow("notes with ;;")
        << QStringList{"--notes", m_dir.filePath("p-notes.txt")} << 1 << "\";;\"";
    QTest::newRow("version no number")
        << QStringList{"--version", "next"} << 1 << "is not a number";
    QTest::newRow("public key given as secret")
        << QStringList{"--secret-key", m_dir.filePath("p-public.key")} << 1 << "not a secret key";
    QTest::newRow("missing installer")
        << QStringList{"--installer", m_dir.filePath("p-none.exe")} << 1 << "p-none.exe";
    QTest::newRow("no secret key")
        << QStringList{"--secret-key", ""} << 2 << "missing --secret-key KEY";
    QTest::newRow("valid for no day") << QStringList{"--valid-days", "0"} << 2 << "--valid-days";
}

void TestVantorctl::publishRefuses()
{
    QFETCH(QStringList, change);
    QFETCH(int, status);
    QFETCH(QString, message);
    writeFile(m_dir.filePath("p-ok-notes.txt"), "notes");
    QStringList args{"publish-update",
                     "--version",
                     "3.3",
                     "--notes",
                     m_dir.filePath("p-ok-notes.txt"),
                     "--firmware",
                     m_dir.filePath("p-fw.bin"),
                     "--installer",
                     m_dir.filePath("p-fw.bin"),
                     "--secret-key",
                     vc::test::testSecretKeyPath(),
                     "-o",
                     m_dir.filePath("p-site"),
                     "--valid-days",
                     "30"};
    args[args.indexOf(change.first()) + 1] = change.last();
    const Run r = runCtl(args);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
    // Nothing published.
    QVERIFY(!QFileInfo::exists(m_dir.filePath("p-site")));
}

// Text modes are drawn in points: the editor's side of the comparisons runs
// as on a standard desktop screen (96 dots per inch), which is what the
// tool converts at, whatever the test display's own resolution.
int main(int argc, char **argv)
{
    qputenv("QT_FONT_DPI", "96");
    vc::test::isolateEnvironment();
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestVantorctl tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_vantorctl.moc"
