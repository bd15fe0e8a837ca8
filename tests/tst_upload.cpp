#include "core/device/serialprotocol.h"
#include "core/device/showimage.h"
#include "core/device/streamfiles.h"
#include "core/device/trackshow.h"
#include "core/device/workerthread.h"
#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "core/project/project.h"
#include "core/project/projectformat.h"
#include "core/timeline/timeaxis.h"
#include "gui/app/mainwindow.h"
#include "gui/audio/timelineheaders.h"
#include "gui/device/exportupload.h"
#include "gui/device/propsdialog.h"
#include "gui/device/uploadall.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/projectfiles.h"
#include "gui/render/allpropsview.h"
#include "gui/render/mygl.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "testsupport/propsimulator.h"
#include "testsupport/records.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>

#include <memory>

using namespace vc::device;
using vc::test::PropSimulator;

using vc::test::fileBytes;
using vc::test::readData;

namespace {

// Short limits where a test waits for silence; the protocol is the same.
SerialTimings quickTimings()
{
    SerialTimings t;
    t.greetingMs = 400;
    t.slotAnswerMs = 400;
    t.finalAnswerMs = 1500;
    return t;
}

// Collects what a worker reports, on the test's thread.
struct Report : QObject
{
    QList<QPair<int, int>> progress;
    QStringList messages;
    bool finished = false;
    bool terminated = false;
    bool done() const { return finished || terminated; }

    void watch(WorkerThread *w)
    {
        connect(w, &WorkerThread::progress, this, [this](int p, int n) {
            progress.append({p, n});
        });
        connect(w, &WorkerThread::expmess, this, [this](const QString &s) { messages << s; });
        connect(w, &WorkerThread::finish, this, [this] { finished = true; });
        connect(w, &WorkerThread::terminated, this, [this] { terminated = true; });
    }
};

// The export and upload as a test drives it: through its own interface,
// with a small set of widgets ("area"), or inside the main window
// ("window"). Either way the show is the example's (2 LEDs at 10 columns a
// second, slot 1, looping).
struct Rig
{
    virtual ~Rig() = default;
    // Appends a mode to the current track, at the end of its list.
    virtual void addRecord(const vc::ModeRecord &record) = 0;
    virtual void setLeds(int leds) = 0;

    void addToTrack(const ShowItem &item)
    {
        vc::ModeRecord r = vc::test::colourMode(item.start, item.end, item.colour);
        r.loops = item.loops;
        addRecord(r);
    }

    ExportUpload *exportUpload = nullptr;
    QAbstractButton *uploadButton = nullptr;
    QAbstractButton *exportButton = nullptr;
    QProgressBar *progress = nullptr;
    QStatusBar *statusBar = nullptr;
    QWidget *preview = nullptr; // follows previewAllowed
    QWidget *dialogParent = nullptr;
};

struct AreaRig : Rig
{
    vc::Show show;
    vc::TimeAxis axis;
    QVector<vc::ModeRecord> track;
    int exportsAnnounced = 0;
    // Goes first: it takes the widgets and the export and upload with it.
    QWidget panel;
    QSpinBox *frameRateField = new QSpinBox(&panel);
    QComboBox *slot = new QComboBox(&panel);
    QCheckBox *autoRepeat = new QCheckBox(&panel);
    TimelineHeaders *ruler = new TimelineHeaders(&panel);

    AreaRig()
    {
        uploadButton = new QPushButton(QStringLiteral("上傳至道具"), &panel);
        exportButton = new QPushButton(QStringLiteral("匯出"), &panel);
        progress = new QProgressBar(&panel);
        statusBar = new QStatusBar(&panel);
        preview = new QWidget(&panel);
        dialogParent = &panel;
        frameRateField->setRange(0, 99999);
        for (int n = 1; n <= 8; ++n)
            slot->addItem(QString::number(n));
        // The user sets the start mark on the ruler; the show keeps it.
        ruler->setTimeAxis(&axis);
        ruler->setDocument(&show);

        show.setLeds(2);
        show.setFrameRate(10);
        frameRateField->setValue(10);
        slot->setCurrentIndex(0);
        autoRepeat->setChecked(true);

        ExportUpload::Widgets w;
        w.uploadButton = uploadButton;
        w.exportButton = exportButton;
        w.progress = progress;
        w.statusBar = statusBar;
        w.frameRateField = frameRateField;
        w.slot = slot;
        w.autoRepeat = autoRepeat;
        exportUpload = new ExportUpload(
            w, &show, [this] { return track; }, &panel, &panel);
        QObject::connect(exportUpload, &ExportUpload::previewAllowed, preview,
                         &QWidget::setEnabled);
        QObject::connect(exportUpload, &ExportUpload::exportStarting,
                         [this] { ++exportsAnnounced; });
        // As the window's slots do.
        QObject::connect(uploadButton, &QAbstractButton::clicked, exportUpload,
                         &ExportUpload::uploadClicked);
        QObject::connect(exportButton, &QAbstractButton::clicked, exportUpload,
                         &ExportUpload::exportClicked);
    }
    void addRecord(const vc::ModeRecord &record) override { track << record; }
    void setLeds(int leds) override { show.setLeds(leds); }
};

struct WindowRig : Rig
{
    MainWindow w;

    WindowRig()
    {
        Ui::MainWindow *ui = w.form();
        ui->Leds->setValue(2);
        ui->FPS_V->setValue(10);
        ui->prop_track->setCurrentIndex(0);
        ui->AutoRepeat->setChecked(true);
        exportUpload = w.exportUpload();
        uploadButton = ui->UPload_Button;
        exportButton = ui->Ex_Button;
        progress = ui->progressBar;
        statusBar = ui->statusBar;
        preview = ui->GLWidget;
        dialogParent = &w;
    }
    Timeline *track() const { return w.tracks()->currentTrack(); }
    void addRecord(const vc::ModeRecord &record) override
    {
        track()->addTimelineItem(new TimelineItem(record.encode(), track()));
    }
    void setLeds(int leds) override { w.form()->Leds->setValue(leds); }
};

// The doors a behaviour is checked through.
void addDoors()
{
    QTest::addColumn<QString>("door");
    QTest::newRow("area") << "area";
    QTest::newRow("window") << "window";
}

} // namespace

class TestUpload : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void candidates_data();
    void candidates();
    void exampleOnTheWire();
    void slotAnswer_data();
    void slotAnswer();
    void twoChunks();
    void answeringPortIsFound();
    void noProp_data();
    void noProp();
    void unreadableFiles();
    void cancelFreesThePort();
    void hangUpMidTransfer();
    void silentAfterImage();
    void answersDuringTransfer_data();
    void answersDuringTransfer();
    void propStopsReading();

    // the export and upload: on its own, or through the main window where
    // a row says so
    void statusText_data();
    void statusText();
    void settingsFromWidgets_data();
    void settingsFromWidgets();
    void uploadsExample_data();
    void uploadsExample();
    void numberedPortInStatusBar();
    void cancelsAndRestarts_data();
    void cancelsAndRestarts();
    void emptyTrackWarns();
    void refusedBuildWritesNothing_data();
    void refusedBuildWritesNothing();
    void unwritableStreamFiles();
    void failureShownAndControlsBack();
    void exportWritesShowFile_data();
    void exportWritesShowFile();
    void exportCancelledWritesNothing();
    void exportTakesTrackInPlayOrder_data();
    void exportTakesTrackInPlayOrder();
    void exportWaitsForUpload();
    // the main window's part
    void windowChecksPicturesBeforeExport();
    // the props of a troupe
    void propAssignments_data();
    void propAssignments();
    void uploadAllToTroupe_data();
    void uploadAllToTroupe();
    void allPropsFollowIndicator_data();
    void allPropsFollowIndicator();

private:
    // The example show behind `door` with its stream files in the temporary
    // directory, short serial waits and its current track holding `items`.
    std::unique_ptr<Rig> makeRig(const QString &door, const QVector<ShowItem> &items = {});
    static bool uploadDone(const Rig &rig);
    // Writes the stream files of the example show into the temporary dir.
    StreamFiles exampleFiles();
    StreamFiles filesWith(const QByteArray &header, const QByteArray &frames);
    bool runWorker(WorkerThread &w, Report &r, int ms = 10000);

    QTemporaryDir m_dir;
};

void TestUpload::init()
{
    QVERIFY(m_dir.isValid());
}

void TestUpload::candidates_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QStringList>("system");
    QTest::addColumn<QStringList>("expected");
    const QString sep = QDir::listSeparator();
    QTest::newRow("system list in name order")
        << QString() << QStringList{"ttyUSB0", "ttyS10", "ttyACM0", "ttyS2"}
        << QStringList{"ttyACM0", "ttyS10", "ttyS2", "ttyUSB0"};
    QTest::newRow("variable replaces the list")
        << "/dev/b" + sep + sep + "/dev/a" << QStringList{"ttyS0"}
        << QStringList{"/dev/b", "/dev/a"};
    QStringList many;
    for (int i = 0; i < 150; ++i)
        many << QStringLiteral("p%1").arg(i, 3, 10, QLatin1Char('0'));
    QTest::newRow("at most 100") << many.join(sep) << QStringList()
                                 << QStringList(many.mid(0, 100));
}

void TestUpload::candidates()
{
    QFETCH(QString, variable);
    QFETCH(QStringList, system);
    if (variable.isEmpty())
        qunsetenv(PortListVariable);
    else
        qputenv(PortListVariable, variable.toLocal8Bit());
#ifdef Q_OS_WIN
    if (variable.isEmpty())
        QSKIP("Windows tries COM0 to COM99");
#endif
    QTEST(portCandidates(system), "expected");
    qunsetenv(PortListVariable);
}

StreamFiles TestUpload::filesWith(const QByteArray &header, const QByteArray &frames)
{
    const StreamFiles files{m_dir.filePath("extemp2.tmp"), m_dir.filePath("extemp.tmp")};
    QFile h(files.headerPath);
    h.open(QIODevice::WriteOnly);
    h.write(header);
    QFile f(files.framePath);
    f.open(QIODevice::WriteOnly);
    f.write(frames);
    return files;
}

StreamFiles TestUpload::exampleFiles()
{
    return filesWith(readData("showimage_red480.header"), readData("showimage_red480.frames"));
}

bool TestUpload::runWorker(WorkerThread &w, Report &r, int ms)
{
    r.watch(&w);
    w.start();
    const bool ended = PropSimulator::waitUntil([&] { return r.done(); }, ms);
    w.wait(2000);
    return ended;
}

void TestUpload::exampleOnTheWire()
{
    PropSimulator prop;
    QVERIFY(prop.isValid());
    prop.setGreeting("Vantor ready\r\n");
    prop.setSlotAnswer("OK\r\n");
    prop.setFinalAnswer("END\r\n", 21 + 26);

    WorkerThread w({prop.portName()}, exampleFiles());
    Report r;
    QVERIFY(runWorker(w, r));
    QVERIFY(r.finished);
    QVERIFY(w.success());
    QVERIFY(r.messages.isEmpty());
    const QByteArray expected =
        QByteArray::fromHex("01 ff fe 02 01 00 00 00 02 31 30 ff 32 ff 00 00 00 06 30 30 30 30") +
        readData("showimage_red480.frames");
    QCOMPARE(prop.received().toHex(' '), expected.toHex(' '));
    QCOMPARE(r.progress, (QList<QPair<int, int>>{{0, 0}, {100, 0}}));
    QVERIFY(PropSimulator::waitUntil([&] { return !prop.portOpen(); }, 1000));
}

void TestUpload::slotAnswer_data()
{
    // The code first, then what it means and what to try.
    const QString Refused = QStringLiteral("ERROR02：道具拒絕在這個秀槽接收秀，道具上原本的秀保持不"
                                           "變。請重新啟動道具，再上傳一次或換一個秀槽。");
    const QString NoAnswer = QStringLiteral(
        "ERROR01：道具沒有回應秀槽的選擇。請確認道具已開機並在等待上傳，再上傳一次。");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("message");
    QTest::newRow("ERR refuses") << QByteArray("ERR full") << Refused;
    QTest::newRow("ERR anywhere") << QByteArray("slot 1 xERRx") << Refused;
    QTest::newRow("lower case err is fine") << QByteArray("err? no, ok") << "";
    QTest::newRow("Err is fine") << QByteArray("Err") << "";
    QTest::newRow("no answer") << QByteArray() << NoAnswer;
}

void TestUpload::slotAnswer()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, message);
    PropSimulator prop;
    prop.setGreeting("hi");
    prop.setSlotAnswer(answer);
    prop.setFinalAnswer("done", 21 + 26);

    WorkerThread w({prop.portName()}, exampleFiles());
    w.setTimings(quickTimings());
    Report r;
    QVERIFY(runWorker(w, r));
    if (message.isEmpty()) {
        QVERIFY(r.finished);
        QVERIFY(r.messages.isEmpty());
    } else {
        QVERIFY(r.terminated);
        QCOMPARE(r.messages, QStringList{message});
        // Nothing after the slot byte: the prop keeps its show.
        QCOMPARE(prop.received(), QByteArray("\x01"));
    }
}

void TestUpload::twoChunks()
{
    QByteArray frames(4096, char(0x20));
    frames[0] = char(0xFF);
    PropSimulator prop;
    prop.setGreeting("hi");
    prop.setSlotAnswer("OK");
    prop.setFinalAnswer("END", 21 + 4096);

    WorkerThread w({prop.portName()}, filesWith(readData("showimage_red480.header"), frames));
    Report r;
    QVERIFY(runWorker(w, r));
    QVERIFY(r.finished);
    QCOMPARE(r.progress, (QList<QPair<int, int>>{{0, 0}, {49, 0}, {100, 0}}));
    QCOMPARE(prop.received().size(), 1 + 21 + 4096);
    QCOMPARE(prop.received().right(4096), frames);
}

void TestUpload::answeringPortIsFound()
{
    // A name that does not open, a port that stays silent, then the prop.
    PropSimulator silent;
    PropSimulator prop;
    prop.setGreeting("hello");
    prop.setSlotAnswer("OK");
    prop.setFinalAnswer("END", 21 + 26);

    WorkerThread w({m_dir.filePath("no-such-port"), silent.portName(), prop.portName()},
                   exampleFiles());
    w.setTimings(quickTimings());
    Report r;
    QVERIFY(runWorker(w, r));
    QVERIFY(r.finished);
    QCOMPARE(r.progress.last(), qMakePair(100, 2));
    QCOMPARE(silent.sessionCount(), 1);
    QVERIFY(PropSimulator::waitUntil([&] { return !silent.portOpen(); }, 1000));
    QVERIFY(silent.received().isEmpty());
}

void TestUpload::noProp_data()
{
    QTest::addColumn<bool>("silentPort");
    QTest::newRow("no port opens") << false;
    QTest::newRow("only a silent port") << true;
}

void TestUpload::noProp()
{
    QFETCH(bool, silentPort);
    PropSimulator silent;
    QStringList names{m_dir.filePath("nothing-here")};
    if (silentPort)
        names << silent.portName();
    WorkerThread w(names, exampleFiles());
    w.setTimings(quickTimings());
    Report r;
    QVERIFY(runWorker(w, r));
    QVERIFY(r.terminated);
    QCOMPARE(r.messages, QStringList{QStringLiteral("偵測不到裝置！")});
    QVERIFY(r.progress.isEmpty());
}

void TestUpload::unreadableFiles()
{
    PropSimulator prop;
    prop.setGreeting("hello");
    prop.setSlotAnswer("OK");
    WorkerThread w({prop.portName()},
                   {m_dir.filePath("missing2.tmp"), m_dir.filePath("missing.tmp")});
    Report r;
    QVERIFY(runWorker(w, r));
    QVERIFY(r.terminated);
    QCOMPARE(r.messages, QStringList{QStringLiteral("輸出錯誤！")});
    QVERIFY(prop.received().isEmpty());
    QVERIFY(PropSimulator::waitUntil([&] { return !prop.portOpen(); }, 1000));
}

void TestUpload::cancelFreesThePort()
{
    // The prop stops reading part way: the worker is stuck sending.
    const QByteArray frames(200000, char(0x11));
    const StreamFiles files = filesWith(readData("showimage_red480.header"), frames);
    PropSimulator prop;
    prop.setGreeting("hello");
    prop.setSlotAnswer("OK");
    prop.setFinalAnswer("END", 21 + frames.size());
    prop.setStallAfter(6000);

    auto *w = new WorkerThread({prop.portName()}, files);
    Report r;
    r.watch(w);
    w->start();
    QVERIFY(PropSimulator::waitUntil([&] { return prop.received().size() >= 6000; }, 5000));
    QTest::qWait(100);
    QVERIFY(w->isRunning());

    QElapsedTimer t;
    t.start();
    w->stop();
    QVERIFY(w->wait(2000));
    const qint64 stopMs = t.elapsed();
    qDebug() << "worker stopped after" << stopMs << "ms";
    QVERIFY2(stopMs < 500, qPrintable(QString::number(stopMs)));
    QVERIFY(!w->success());
    delete w;
    QVERIFY(PropSimulator::waitUntil([&] { return !prop.portOpen(); }, 1000));

    // The port is free: a second upload opens it and completes.
    prop.setStallAfter(-1);
    WorkerThread again({prop.portName()}, files);
    Report r2;
    QVERIFY(runWorker(again, r2));
    QVERIFY(r2.finished);
    QCOMPARE(prop.sessionCount(), 2);
    QCOMPARE(prop.received().size(), 1 + 21 + frames.size());
}

void TestUpload::hangUpMidTransfer()
{
    const QByteArray frames(100000, char(0x11));
    PropSimulator prop;
    prop.setGreeting("hello");
    prop.setSlotAnswer("OK");
    prop.setHangUpAfter(5000);

    WorkerThread w({prop.portName()}, filesWith(readData("showimage_red480.header"), frames));
    Report r;
    QVERIFY(runWorker(w, r, 5000));
    QVERIFY(r.terminated);
    QCOMPARE(r.messages.size(), 1);
    QVERIFY(r.messages.first().contains(QStringLiteral("連線中斷")));
    QVERIFY(prop.hungUp());
}

void TestUpload::silentAfterImage()
{
    PropSimulator prop;
    prop.setGreeting("hello");
    prop.setSlotAnswer("OK");
    WorkerThread w({prop.portName()}, exampleFiles());
    w.setTimings(quickTimings());
    Report r;
    QVERIFY(runWorker(w, r));
    QVERIFY(r.terminated);
    QCOMPARE(r.messages.size(), 1);
    QVERIFY(r.messages.first().contains(QStringLiteral("未確認")));
    QCOMPARE(prop.received().size(), 1 + 21 + 26);
    QCOMPARE(r.progress, (QList<QPair<int, int>>{{0, 0}}));
}

void TestUpload::answersDuringTransfer_data()
{
    QTest::addColumn<QByteArray>("slotAnswer");
    QTest::addColumn<QByteArray>("later"); // sent after `after` bytes past the slot
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("message");
    const QString refused = QStringLiteral("回報錯誤");
    const QString unconfirmed = QStringLiteral("未確認");
    QTest::newRow("ERR while taking the image, then silent")
        << QByteArray("OK") << QByteArray("ERR memory full") << 10 << refused;
    QTest::newRow("a refusal in two pieces")
        << QByteArray("E") << QByteArray("RR refused") << 5 << refused;
    QTest::newRow("talk while taking the image is no confirmation")
        << QByteArray("OK") << QByteArray("busy") << 10 << unconfirmed;
    QTest::newRow("ERR in answer to the whole image")
        << QByteArray("OK") << QByteArray("ERR crc") << 21 + 20000 << refused;
}

// Only what the prop says after the whole image went out confirms it.
void TestUpload::answersDuringTransfer()
{
    QFETCH(QByteArray, slotAnswer);
    QFETCH(QByteArray, later);
    QFETCH(int, after);
    QFETCH(QString, message);
    PropSimulator prop;
    prop.setGreeting("hello");
    prop.setSlotAnswer(slotAnswer);
    prop.setFinalAnswer(later, after);
    WorkerThread w({prop.portName()},
                   filesWith(readData("showimage_red480.header"), QByteArray(20000, '\x11')));
    w.setTimings(quickTimings());
    Report r;
    QVERIFY(runWorker(w, r));
    QVERIFY(r.terminated);
    QCOMPARE(r.messages.size(), 1);
    QVERIFY2(r.messages.first().contains(message), qPrintable(r.messages.first()));
}

void TestUpload::propStopsReading()
{
    // A prop that stops reading part way: the upload ends on its own with a
    // message, and the port is free again.
    PropSimulator prop;
    prop.setGreeting("hello");
    prop.setSlotAnswer("OK");
    prop.setStallAfter(6000);
    WorkerThread w({prop.portName()},
                   filesWith(readData("showimage_red480.header"), QByteArray(200000, '\x11')));
    SerialTimings t = quickTimings();
    t.writeStallMs = 300;
    w.setTimings(t);
    Report r;
    QVERIFY(runWorker(w, r, 5000));
    QVERIFY(r.terminated);
    QCOMPARE(r.messages.size(), 1);
    QVERIFY2(r.messages.first().contains(QStringLiteral("停止接收")),
             qPrintable(r.messages.first()));
    QVERIFY(PropSimulator::waitUntil([&] { return !prop.portOpen(); }, 1000));
}

// ---------------------------------------------------------------- export and upload

namespace {

ShowItem redItem()
{
    ShowItem it;
    it.start = 0;
    it.end = 480;
    it.kind = ColourMode;
    it.colour = QColor(255, 0, 0);
    return it;
}

} // namespace

std::unique_ptr<Rig> TestUpload::makeRig(const QString &door, const QVector<ShowItem> &items)
{
    std::unique_ptr<Rig> rig;
    if (door == QLatin1String("window"))
        rig = std::make_unique<WindowRig>();
    else
        rig = std::make_unique<AreaRig>();
    rig->exportUpload->setStreamFiles(
        {m_dir.filePath("w-extemp2.tmp"), m_dir.filePath("w-extemp.tmp")});
    QFile::remove(m_dir.filePath("w-extemp2.tmp"));
    QFile::remove(m_dir.filePath("w-extemp.tmp"));
    rig->exportUpload->setTimings(quickTimings());
    for (const ShowItem &it : items)
        rig->addToTrack(it);
    return rig;
}

bool TestUpload::uploadDone(const Rig &rig)
{
    return PropSimulator::waitUntil([&] { return !rig.exportUpload->worker(); }, 10000);
}

void TestUpload::statusText_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("text");
    QTest::newRow("COM3 at 45") << "COM3" << 45 << "COM3 輸出中 45%";
    QTest::newRow("COM5 done") << "COM5" << 100 << "COM5 輸出中 100%";
    QTest::newRow("unnumbered") << "ttyUSB0" << 0 << "ttyUSB0 輸出中 0%";
}

void TestUpload::statusText()
{
    QFETCH(QString, label);
    QFETCH(int, percent);
    QTEST(ExportUpload::statusText(label, percent), "text");
    QCOMPARE(portLabel("/dev/" + label), label);
}

void TestUpload::settingsFromWidgets_data()
{
    QTest::addColumn<int>("slotIndex");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<int>("field");
    QTest::addColumn<float>("rate");
    QTest::addColumn<int>("markAtMs"); // -1: no start mark
    QTest::addColumn<float>("msPerPixel");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("startMarkMs");
    QTest::newRow("slot 1, looping, no mark") << 0 << true << 10 << 10.0f << -1 << 10.0f << 1 << 0;
    QTest::newRow("slot 8, once") << 7 << false << 1333 << 1333.0f << -1 << 10.0f << 8 << 0;
    QTest::newRow("the field's whole rate, the show's fraction")
        << 2 << true << 2100 << 2100.75f << -1 << 10.0f << 3 << 0;
    QTest::newRow("start mark at 2.5 s") << 0 << true << 10 << 10.0f << 2500 << 10.0f << 1 << 2500;
    // The mark is a moment of the song: a zoom afterwards does not move it.
    QTest::newRow("start mark keeps its time through a zoom")
        << 0 << true << 10 << 10.0f << 2500 << 4.0f << 1 << 2500;
}

void TestUpload::settingsFromWidgets()
{
    QFETCH(int, slotIndex);
    QFETCH(bool, repeat);
    QFETCH(int, field);
    QFETCH(float, rate);
    QFETCH(int, markAtMs);
    QFETCH(float, msPerPixel);
    AreaRig rig;
    rig.slot->setCurrentIndex(slotIndex);
    rig.autoRepeat->setChecked(repeat);
    rig.frameRateField->setValue(field);
    rig.show.setFrameRate(rate);
    rig.show.setLeds(36);
    if (markAtMs >= 0) {
        rig.ruler->indicator()->placeAt(markAtMs);
        rig.ruler->on_setStart_clicked();
    }
    rig.axis.setMsPerPixel(msPerPixel);

    const ShowSettings s = rig.exportUpload->currentSettings();
    QTEST(s.slot, "slot");
    QCOMPARE(s.autoRepeat, repeat);
    QCOMPARE(s.fpsText, field);
    QCOMPARE(s.frameRate, rate);
    QCOMPARE(int(s.leds), 36);
    QTEST(s.startMarkMs, "startMarkMs");
}

void TestUpload::uploadsExample_data()
{
    addDoors();
}

void TestUpload::uploadsExample()
{
    QFETCH(QString, door);
    PropSimulator prop;
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("OK");
    prop.setFinalAnswer("END", 21 + 26);
    qputenv(PortListVariable, prop.portName().toLocal8Bit());
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig(door, {redItem()});

    rig->uploadButton->click();
    QCOMPARE(rig->uploadButton->text(), QStringLiteral("傳輸中..."));
    QVERIFY(!rig->preview->isEnabled());
    QVERIFY(uploadDone(*rig));
    QCOMPARE(rig->uploadButton->text(), QStringLiteral("上傳至道具"));
    QVERIFY(rig->preview->isEnabled());
    QVERIFY(rig->exportButton->isEnabled());
    QCOMPARE(rig->progress->value(), 100);
    // The worker's last report reached the status bar.
    QCOMPARE(rig->statusBar->currentMessage(),
             ExportUpload::statusText(portLabel(prop.portName()), 100));
    QCOMPARE(prompter.count("about"), 1);
    QCOMPARE(prompter.calls.last().title, QStringLiteral("完成"));
    QCOMPARE(prompter.calls.last().text, QStringLiteral("上傳完成"));
    QCOMPARE(prompter.calls.last().parent, rig->dialogParent);
    QCOMPARE(prop.received().mid(22), readData("showimage_red480.frames"));
    // The image went to the per-user stream files it was given.
    QCOMPARE(fileBytes(m_dir.filePath("w-extemp2.tmp")), readData("showimage_red480.header"));
    qunsetenv(PortListVariable);
}

void TestUpload::numberedPortInStatusBar()
{
    // Ports named COM0 .. COM5 where only COM5 is a prop: the status bar
    // names the port that answered.
    PropSimulator prop;
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("OK");
    prop.setFinalAnswer("END", 21 + 26);
    QDir dir(m_dir.path());
    dir.mkpath("ports");
    QStringList names;
    for (int n = 0; n <= 5; ++n)
        names << dir.filePath(QStringLiteral("ports/COM%1").arg(n));
    QFile::remove(names.last());
    QVERIFY(QFile::link(prop.portName(), names.last()));
    qputenv(PortListVariable, names.join(QDir::listSeparator()).toLocal8Bit());
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig("area", {redItem()});

    rig->uploadButton->click();
    QVERIFY(uploadDone(*rig));
    QCOMPARE(rig->statusBar->currentMessage(), QStringLiteral("COM5 輸出中 100%"));
    QCOMPARE(prompter.messageTexts(), QStringList{QStringLiteral("上傳完成")});
    qunsetenv(PortListVariable);
}

void TestUpload::cancelsAndRestarts_data()
{
    QTest::addColumn<QString>("door");
    QTest::addColumn<bool>("bySignal"); // the window's Upload_Cancel_Clicked, not the button
    QTest::newRow("area, its button") << "area" << false;
    QTest::newRow("window, Upload_Cancel_Clicked") << "window" << true;
}

void TestUpload::cancelsAndRestarts()
{
    QFETCH(QString, door);
    QFETCH(bool, bySignal);
    PropSimulator prop;
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("OK");
    prop.setFinalAnswer("END", 21 + 26);
    prop.setStallAfter(10);
    qputenv(PortListVariable, prop.portName().toLocal8Bit());
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig(door, {redItem()});
    auto cancel = [&] {
        if (bySignal)
            emit static_cast<WindowRig &>(*rig).w.Upload_Cancel_Clicked();
        else
            rig->uploadButton->click();
    };

    rig->uploadButton->click();
    QVERIFY(PropSimulator::waitUntil([&] { return prop.received().size() >= 10; }, 5000));
    QPointer<WorkerThread> first = rig->exportUpload->worker();
    QVERIFY(first);
    QVERIFY(!rig->preview->isEnabled());

    cancel();
    QVERIFY(!rig->exportUpload->worker());
    QCOMPARE(rig->uploadButton->text(), QStringLiteral("上傳至道具"));
    QCOMPARE(rig->progress->value(), 0);
    QVERIFY(rig->preview->isEnabled());
    QCOMPARE(prompter.calls.last().title, QStringLiteral("已取消上傳"));
    QCOMPARE(prompter.calls.last().text, QStringLiteral("已取消上傳"));
    QVERIFY(PropSimulator::waitUntil([&] { return !prop.portOpen(); }, 1000));
    QVERIFY(PropSimulator::waitUntil([&] { return first.isNull(); }, 1000));

    // A fresh build and upload on the freed port.
    prop.setStallAfter(-1);
    rig->uploadButton->click();
    QVERIFY(uploadDone(*rig));
    QCOMPARE(prop.sessionCount(), 2);
    QCOMPARE(prompter.calls.last().text, QStringLiteral("上傳完成"));
    QCOMPARE(prompter.count("message"), 1);

    // With no upload running there is nothing to cancel, and nothing to say.
    if (bySignal) {
        cancel();
        QCOMPARE(prompter.count("message"), 1);
    }
    qunsetenv(PortListVariable);
}

void TestUpload::emptyTrackWarns()
{
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig("area");
    rig->uploadButton->click();
    QVERIFY(!rig->exportUpload->worker());
    QCOMPARE(prompter.calls.size(), 1);
    QCOMPARE(prompter.calls.first().title, QStringLiteral("無可上傳圖樣"));
    QCOMPARE(
        prompter.calls.first().text,
        vc::whitePlainText(QStringLiteral("軌道 1 是空的，沒有圖樣可輸出。\n請選擇正確之時間軸")));
    QCOMPARE(prompter.calls.first().parent, rig->dialogParent);
    QVERIFY(!QFile::exists(m_dir.filePath("w-extemp.tmp")));
}

void TestUpload::refusedBuildWritesNothing_data()
{
    addDoors();
}

void TestUpload::refusedBuildWritesNothing()
{
    QFETCH(QString, door);
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig(door, {redItem()});
    rig->setLeds(256);
    rig->uploadButton->click();
    QVERIFY(!rig->exportUpload->worker());
    QCOMPARE(prompter.calls.size(), 1);
    QVERIFY(prompter.calls.first().text.contains("256"));
    QCOMPARE(rig->uploadButton->text(), QStringLiteral("上傳至道具"));
    QVERIFY(rig->preview->isEnabled());
    QVERIFY(!QFile::exists(m_dir.filePath("w-extemp.tmp")));
    QVERIFY(!QFile::exists(m_dir.filePath("w-extemp2.tmp")));
}

void TestUpload::unwritableStreamFiles()
{
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig("area", {redItem()});
    QFile blocker(m_dir.filePath("plain-file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    rig->exportUpload->setStreamFiles(
        {m_dir.filePath("plain-file/extemp2.tmp"), m_dir.filePath("plain-file/extemp.tmp")});
    rig->uploadButton->click();
    QVERIFY(!rig->exportUpload->worker());
    QCOMPARE(prompter.calls.size(), 1);
    QCOMPARE(prompter.calls.first().icon, int(QMessageBox::Critical));
    QVERIFY(prompter.calls.first().text.contains("plain-file"));
    QCOMPARE(rig->uploadButton->text(), QStringLiteral("上傳至道具"));
    QVERIFY(rig->preview->isEnabled());
}

void TestUpload::failureShownAndControlsBack()
{
    PropSimulator prop;
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("ERR busy");
    qputenv(PortListVariable, prop.portName().toLocal8Bit());
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig("area", {redItem()});
    // What an earlier upload left in the status bar goes with the new one.
    rig->statusBar->showMessage(QStringLiteral("COM1 輸出中 100%"));
    rig->uploadButton->click();
    QVERIFY(uploadDone(*rig));
    QVERIFY(rig->statusBar->currentMessage().isEmpty());
    QCOMPARE(prompter.messageTexts(),
             QStringList{QStringLiteral("<font "
                                        "color='white'>"
                                        "ERROR02：道具拒絕在這個秀槽接收秀，道具上原本的秀保持不變"
                                        "。請重新啟動道具，再上傳一次或換一個秀槽。</font>")});
    QCOMPARE(prompter.calls.last().icon, int(QMessageBox::Critical));
    QCOMPARE(prompter.calls.last().parent, rig->dialogParent);
    QCOMPARE(rig->uploadButton->text(), QStringLiteral("上傳至道具"));
    QVERIFY(rig->preview->isEnabled());
    QVERIFY(rig->exportButton->isEnabled());
    qunsetenv(PortListVariable);
}

void TestUpload::exportWritesShowFile_data()
{
    addDoors();
}

void TestUpload::exportWritesShowFile()
{
    QFETCH(QString, door);
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig(door, {redItem()});
    prompter.fileNames << m_dir.filePath("show");
    rig->exportButton->setEnabled(true);
    rig->exportButton->click();

    QCOMPARE(prompter.calls.first().kind, QStringLiteral("save"));
    QCOMPARE(prompter.calls.first().title, QStringLiteral("匯出"));
    // No Documents folder in the test's home: the dialog starts at home.
    QCOMPARE(prompter.calls.first().text, QDir::homePath());
    QCOMPARE(prompter.calls.first().filter, QStringLiteral("*.bin"));
    QCOMPARE(prompter.calls.first().parent, rig->dialogParent);
    QCOMPARE(fileBytes(m_dir.filePath("show.bin")), readData("showimage_red480.bin"));
    QCOMPARE(prompter.calls.last().kind, QStringLiteral("about"));
    // Writing a file is no upload: the message says what was written.
    QCOMPARE(prompter.calls.last().text,
             QStringLiteral("道具秀檔案已寫入：") + m_dir.filePath("show.bin"));
    QCOMPARE(rig->progress->value(), 100);
    QVERIFY(rig->exportButton->isEnabled());
    QVERIFY(rig->preview->isEnabled());
    // The show file is not the project's file.
    if (auto *window = dynamic_cast<WindowRig *>(rig.get()))
        QVERIFY(window->w.currentFile() != m_dir.filePath("show.bin"));
}

void TestUpload::exportCancelledWritesNothing()
{
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig("area", {redItem()});
    rig->exportUpload->exportClicked();
    QCOMPARE(prompter.calls.size(), 1);
    QCOMPARE(prompter.calls.first().kind, QStringLiteral("save"));
    // The pictures were looked after before the file was asked for.
    QCOMPARE(static_cast<AreaRig &>(*rig).exportsAnnounced, 1);
    QVERIFY(!QFile::exists(m_dir.filePath("w-extemp.tmp")));
}

void TestUpload::exportTakesTrackInPlayOrder_data()
{
    addDoors();
}

void TestUpload::exportTakesTrackInPlayOrder()
{
    QFETCH(QString, door);
    ShowItem red = redItem();
    red.start = 1000;
    red.end = 1480;
    ShowItem blue = redItem();
    blue.colour = Qt::blue;
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig(door, {red, blue});
    prompter.fileNames << m_dir.filePath("ordered.bin");
    rig->exportUpload->exportClicked();
    const QByteArray frames = fileBytes(m_dir.filePath("w-extemp.tmp"));
    // blue, the 520 ms pause, red
    QCOMPARE(frames.mid(1, 3).toHex(' '), QByteArray("00 00 56"));
    QCOMPARE(fileBytes(m_dir.filePath("w-extemp2.tmp")).mid(12, 6), QByteArray("2\xff"
                                                                               "2\xff"
                                                                               "2\xff"));
    QVERIFY(frames.contains(QByteArray::fromHex("ff 56 00 00")));
    // The window's track itself is put in play order first.
    if (auto *window = dynamic_cast<WindowRig *>(rig.get())) {
        const QList<TimelineItem *> &items = window->track()->items();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items.first()->record().colour, QColor(Qt::blue));
    }
}

void TestUpload::exportWaitsForUpload()
{
    PropSimulator prop;
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("OK");
    prop.setStallAfter(10);
    qputenv(PortListVariable, prop.portName().toLocal8Bit());
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig("area", {redItem()});
    rig->uploadButton->click();
    QVERIFY(PropSimulator::waitUntil([&] { return prop.received().size() >= 10; }, 5000));
    const QByteArray frames = fileBytes(m_dir.filePath("w-extemp.tmp"));

    // The stream files are being sent: an export must not rebuild them.
    ShowItem later = redItem();
    later.start = 1000;
    later.end = 2000;
    rig->addToTrack(later);
    prompter.fileNames << m_dir.filePath("during");
    rig->exportUpload->exportClicked();
    QCOMPARE(prompter.count("save"), 0);
    QCOMPARE(static_cast<AreaRig &>(*rig).exportsAnnounced, 0);
    QVERIFY(prompter.calls.last().text.contains(QStringLiteral("上傳進行中")));
    QCOMPARE(fileBytes(m_dir.filePath("w-extemp.tmp")), frames);
    QVERIFY(rig->exportUpload->worker());

    rig->uploadButton->click(); // cancel
    QVERIFY(!rig->exportUpload->worker());
    qunsetenv(PortListVariable);
}

void TestUpload::windowChecksPicturesBeforeExport()
{
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<Rig> rig = makeRig("window", {redItem()});
    vc::ModeRecord picture = vc::test::colourMode(1000, 2000, Qt::green);
    picture.kind = vc::Picture;
    picture.colour = QColor();
    picture.params = vc::pictureParams(1, m_dir.filePath("gone.png"), 0, false, false);
    rig->addRecord(picture);

    // The search is declined; the export goes on to ask for its file.
    rig->exportButton->click();
    QCOMPARE(prompter.calls.size(), 2);
    QCOMPARE(prompter.calls.first().title, QStringLiteral("圖片遺失"));
    QCOMPARE(prompter.calls.last().kind, QStringLiteral("save"));
}

// ---------------------------------------------------------------- troupe

void TestUpload::propAssignments_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QString>("expected"); // track:name:port, ...
    QTest::newRow("none") << QStringList{"", " "} << QStringList{"", ""} << "";
    QTest::newRow("trimmed, unassigned left out")
        << QStringList{" Ann ", "", "Bo"} << QStringList{"/dev/a", "", " "} << "1:Ann:/dev/a,3:Bo:";
    QTest::newRow("a port without a name")
        << QStringList{"", ""} << QStringList{"", "/dev/b"} << "2::/dev/b";
}

void TestUpload::propAssignments()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, ports);
    QStringList got;
    for (const vc::PropAssignment &p : ::propAssignments(names, ports))
        got << QStringLiteral("%1:%2:%3").arg(p.track).arg(p.name, p.port);
    QTEST(got.join(','), "expected");
}

// Two props given two tracks through the Props dialog, then "Upload all":
// each gets exactly its own track's show; a prop that refuses its slot
// fails alone; a missing port stops everything before a byte goes out.
void TestUpload::uploadAllToTroupe_data()
{
    QTest::addColumn<QString>("trouble"); // "", "refused", "missing"
    QTest::newRow("both answer") << "";
    QTest::newRow("one refuses its slot") << "refused";
    QTest::newRow("one port missing") << "missing";
}

void TestUpload::uploadAllToTroupe()
{
    QFETCH(QString, trouble);
    vc::test::ScriptedPrompter prompter;
    WindowRig rig;
    vc::Project *project = rig.w.project();
    vc::Show *show = project->show();
    // Different lengths and colours: each prop must get its own.
    const vc::ModeRecord modes[] = {vc::test::colourMode(0, 480, Qt::red),
                                    vc::test::colourMode(0, 300, Qt::blue)};
    show->addTrack(show->trackCount());
    QVector<QByteArray> wires;
    for (int t = 0; t < 2; ++t) {
        show->appendMode(show->tracks().at(t).id, modes[t].encode());
        const StreamFiles files{m_dir.filePath("h"), m_dir.filePath("f")};
        QVERIFY(writeStreamFiles(trackShowItems(show->records(show->tracks().at(t).id), 10, 2),
                                 rig.exportUpload->currentSettings(), files)
                    .ok());
        wires << QByteArray("\x01") + headerWireBytes(fileBytes(files.headerPath)) +
                     fileBytes(files.framePath);
    }
    PropSimulator a, b;
    PropSimulator *props[] = {&a, &b};
    for (int i : {0, 1}) {
        props[i]->setGreeting("Vantor");
        props[i]->setSlotAnswer(trouble == "refused" && i == 1 ? "slot ERR" : "OK");
        props[i]->setFinalAnswer("END", wires.at(i).size() - 1);
    }
    const QString portB = trouble == "missing" ? m_dir.filePath("gone") : b.portName();
    prompter.onExec = [&](QDialog *d) {
        auto *dialog = qobject_cast<PropsDialog *>(d);
        dialog->nameField(1)->setText("Ann");
        dialog->portField(1)->setCurrentText(a.portName());
        dialog->nameField(2)->setText("Bo");
        dialog->portField(2)->setCurrentText(portB);
        return int(QDialog::Accepted);
    };
    rig.w.editProps();
    const QVector<vc::PropAssignment> assigned{{1, "Ann", a.portName()}, {2, "Bo", portB}};
    QCOMPARE(project->props(), assigned);
    QCOMPARE(rig.w.allPropsView()->propCount(), 2);
    // Saved beside the project: a load brings them back, and the project
    // file itself is read as before.
    const QString path = m_dir.filePath("troupe.vtc3");
    prompter.fileNames << path;
    QVERIFY(rig.w.projectFiles()->saveAs());
    QCOMPARE(vc::loadProjectFile(path).project.tracks.size(), 2);
    {
        WindowRig other;
        other.w.LoadFile(path);
        QCOMPARE(other.w.project()->props(), assigned);
    }

    UploadAllDialog *dialog = rig.w.uploadAllDialog();
    dialog->setTimings(quickTimings());
    rig.w.uploadAll();
    if (trouble == "missing") {
        QVERIFY(!dialog->isRunning());
        QVERIFY2(prompter.messageTexts().join("").contains("gone"),
                 qPrintable(prompter.messageTexts().join("|")));
        QTest::qWait(300);
        QCOMPARE(a.sessionCount(), 0);
    } else {
        QVERIFY(PropSimulator::waitUntil([&] { return !dialog->isRunning(); }, 15000));
        QCOMPARE(a.received(), wires.at(0));
        QCOMPARE(b.received(), trouble == "refused" ? QByteArray("\x01") : wires.at(1));
        QCOMPARE(dialog->progressBar(0)->value(), 100);
        QCOMPARE(dialog->summary(), trouble == "refused"
                                        ? QString("已收到表演：Ann。沒有收到：Bo。")
                                        : QString("已收到表演：Ann、Bo。"));
        QVERIFY(dialog->resultText(1).contains(trouble == "refused" ? "ERROR02" : "完成"));
        dialog->close();
    }
    // One step of the history: its undo leaves no prop assigned.
    QVERIFY(project->undo());
    QVERIFY(project->props().isEmpty());
    QCOMPARE(rig.w.allPropsView()->propCount(), 0);
}

// Each preview of the All props view plays the mode of its own track under
// the indicator; a prop whose track does not exist is left out, and the
// view draws only while it is shown and something moves.
void TestUpload::allPropsFollowIndicator_data()
{
    QTest::addColumn<int>("ms");
    QTest::addColumn<QVector<int>>("playing"); // per prop: its track's mode, -1 none
    QTest::newRow("start") << 0 << QVector<int>{0, -1, -1};
    QTest::newRow("both tracks") << 700 << QVector<int>{0, 0, -1};
    QTest::newRow("next mode") << 1200 << QVector<int>{1, 0, -1};
    QTest::newRow("one left") << 1600 << QVector<int>{1, -1, -1};
    QTest::newRow("after the show") << 2500 << QVector<int>{-1, -1, -1};
}

void TestUpload::allPropsFollowIndicator()
{
    QFETCH(int, ms);
    QFETCH(QVector<int>, playing);
    vc::Show show;
    show.setLeds(2);
    show.addTrack(1);
    show.addTrack(2);
    const QVector<QVector<QPair<int, int>>> spans{{{0, 1000}, {1000, 2000}}, {{500, 1500}}, {}};
    QVector<QVector<vc::Show::Id>> ids(3);
    for (int t = 0; t < 3; ++t)
        for (const auto &span : spans.at(t))
            ids[t] << show.appendMode(
                show.tracks().at(t).id,
                vc::test::colourMode(span.first, span.second, Qt::red).encode());
    AllPropsView view(&show);
    view.setProps({{1, "Ann", ""}, {2, "", "/dev/x"}, {3, "Cy", ""}, {9, "Gone", ""}});
    QCOMPARE(view.propCount(), 3);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setTime(ms);
    bool moving = false;
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(view.playing(i), playing.at(i) < 0 ? 0 : ids.at(i).at(playing.at(i)));
        moving = moving || playing.at(i) >= 0;
    }
    // Nothing to play: the black previews stop the timer once drawn.
    if (!moving)
        QVERIFY(QTest::qWaitFor([&] { return !view.isAnimating(); }, 2000));
    view.hide();
    QVERIFY(!view.isAnimating());
}

VC_TEST_MAIN(TestUpload)
#include "tst_upload.moc"
