#include "gui/app/mainwindow.h"
#include "gui/device/exportupload.h"
#include "core/device/serialprotocol.h"
#include "core/device/showimage.h"
#include "core/device/streamfiles.h"
#include "gui/device/workerthread.h"
#include "core/model/moderecord.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "gui/model/trackscontroller.h"
#include "gui/render/mygl.h"
#include "testsupport/propsimulator.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

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

    // through the main window
    void statusText_data();
    void statusText();
    void windowUploadsExample();
    void numberedPortInStatusBar();
    void buttonCancelsAndRestarts();
    void emptyTrackWarns();
    void refusedBuildWritesNothing();
    void unwritableStreamFiles();
    void failureShownAndControlsBack();
    void exportWritesShowFile();
    void exportCancelledWritesNothing();
    void exportTakesTrackInPlayOrder();
    void exportWaitsForUpload();

private:
    // A main window set up for the example show, its stream files in the
    // temporary directory and its current track holding `items`.
    MainWindow *makeWindow(const QVector<ShowItem> &items);
    static void addToTrack(MainWindow &w, const ShowItem &item);
    static bool uploadDone(MainWindow &w);
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
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("message");
    QTest::newRow("ERR refuses") << QByteArray("ERR full") << "ERROR02";
    QTest::newRow("ERR anywhere") << QByteArray("slot 1 xERRx") << "ERROR02";
    QTest::newRow("lower case err is fine") << QByteArray("err? no, ok") << "";
    QTest::newRow("Err is fine") << QByteArray("Err") << "";
    QTest::newRow("no answer") << QByteArray() << "ERROR01";
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
    QVERIFY(!silent.portOpen());
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

// ---------------------------------------------------------------- window

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

MainWindow *TestUpload::makeWindow(const QVector<ShowItem> &items)
{
    auto *w = new MainWindow;
    Ui::MainWindow *ui = w->form();
    ui->Leds->setValue(2);
    ui->FPS_V->setValue(10);
    ui->prop_track->setCurrentIndex(0);
    ui->AutoRepeat->setChecked(true);
    w->exportUpload()->setStreamFiles(
        {m_dir.filePath("w-extemp2.tmp"), m_dir.filePath("w-extemp.tmp")});
    QFile::remove(m_dir.filePath("w-extemp2.tmp"));
    QFile::remove(m_dir.filePath("w-extemp.tmp"));
    w->exportUpload()->setTimings(quickTimings());
    for (const ShowItem &it : items)
        addToTrack(*w, it);
    return w;
}

void TestUpload::addToTrack(MainWindow &w, const ShowItem &item)
{
    vc::ModeRecord r;
    r.thumb = QImage(85, 85, QImage::Format_RGB32);
    r.thumb.fill(item.colour);
    r.start = item.start;
    r.end = item.end;
    r.colour = item.colour;
    r.loops = item.loops;
    r.kind = item.kind;
    r.params = vc::colourParams(item.colour);
    Timeline *track = w.tracks()->currentTrack();
    track->addTimelineItem(new TimelineItem(r.encode(), track));
}

bool TestUpload::uploadDone(MainWindow &w)
{
    return PropSimulator::waitUntil([&] { return !w.exportUpload()->worker(); }, 10000);
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

void TestUpload::windowUploadsExample()
{
    PropSimulator prop;
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("OK");
    prop.setFinalAnswer("END", 21 + 26);
    qputenv(PortListVariable, prop.portName().toLocal8Bit());
    vc::test::ScriptedPrompter prompter;
    QScopedPointer<MainWindow> w(makeWindow({redItem()}));
    Ui::MainWindow *ui = w->form();

    ui->UPload_Button->click();
    QCOMPARE(ui->UPload_Button->text(), QStringLiteral("傳輸中..."));
    QVERIFY(!ui->GLWidget->isEnabled());
    QVERIFY(uploadDone(*w));
    QCOMPARE(ui->UPload_Button->text(), QStringLiteral("上傳至道具"));
    QVERIFY(ui->GLWidget->isEnabled());
    QVERIFY(ui->Ex_Button->isEnabled());
    QCOMPARE(ui->progressBar->value(), 100);
    QCOMPARE(ui->statusBar->currentMessage(),
             ExportUpload::statusText(portLabel(prop.portName()), 100));
    QCOMPARE(prompter.count("about"), 1);
    QCOMPARE(prompter.calls.last().title, QStringLiteral("完成"));
    QCOMPARE(prompter.calls.last().text, QStringLiteral("上傳完成"));
    QCOMPARE(prop.received().mid(22), readData("showimage_red480.frames"));
    // The image went to the per-user stream files the window was given.
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
    QScopedPointer<MainWindow> w(makeWindow({redItem()}));

    w->form()->UPload_Button->click();
    QVERIFY(uploadDone(*w));
    QCOMPARE(w->form()->statusBar->currentMessage(), QStringLiteral("COM5 輸出中 100%"));
    QCOMPARE(prompter.messageTexts(), QStringList{QStringLiteral("上傳完成")});
    qunsetenv(PortListVariable);
}

void TestUpload::buttonCancelsAndRestarts()
{
    PropSimulator prop;
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("OK");
    prop.setFinalAnswer("END", 21 + 26);
    prop.setStallAfter(10);
    qputenv(PortListVariable, prop.portName().toLocal8Bit());
    vc::test::ScriptedPrompter prompter;
    QScopedPointer<MainWindow> w(makeWindow({redItem()}));
    Ui::MainWindow *ui = w->form();

    ui->UPload_Button->click();
    QVERIFY(PropSimulator::waitUntil([&] { return prop.received().size() >= 10; }, 5000));
    QPointer<WorkerThread> first = w->exportUpload()->worker();
    QVERIFY(first);

    ui->UPload_Button->click();
    QVERIFY(!w->exportUpload()->worker());
    QCOMPARE(ui->UPload_Button->text(), QStringLiteral("上傳至道具"));
    QCOMPARE(ui->progressBar->value(), 0);
    QCOMPARE(prompter.calls.last().title, QStringLiteral("已取消上傳"));
    QCOMPARE(prompter.calls.last().text, QStringLiteral("已取消上傳"));
    QVERIFY(PropSimulator::waitUntil([&] { return !prop.portOpen(); }, 1000));
    QVERIFY(PropSimulator::waitUntil([&] { return first.isNull(); }, 1000));

    // A fresh build and upload on the freed port.
    prop.setStallAfter(-1);
    ui->UPload_Button->click();
    QVERIFY(uploadDone(*w));
    QCOMPARE(prop.sessionCount(), 2);
    QCOMPARE(prompter.calls.last().text, QStringLiteral("上傳完成"));
    QCOMPARE(prompter.count("message"), 1);
    qunsetenv(PortListVariable);
}

void TestUpload::emptyTrackWarns()
{
    vc::test::ScriptedPrompter prompter;
    QScopedPointer<MainWindow> w(makeWindow({}));
    w->form()->UPload_Button->click();
    QVERIFY(!w->exportUpload()->worker());
    QCOMPARE(prompter.calls.size(), 1);
    QCOMPARE(prompter.calls.first().title, QStringLiteral("無可上傳圖樣"));
    QCOMPARE(prompter.calls.first().text, QStringLiteral("請選擇正確之時間軸"));
    QVERIFY(!QFile::exists(m_dir.filePath("w-extemp.tmp")));
}

void TestUpload::refusedBuildWritesNothing()
{
    vc::test::ScriptedPrompter prompter;
    QScopedPointer<MainWindow> w(makeWindow({redItem()}));
    Ui::MainWindow *ui = w->form();
    ui->Leds->setValue(256);
    ui->UPload_Button->click();
    QVERIFY(!w->exportUpload()->worker());
    QCOMPARE(prompter.calls.size(), 1);
    QVERIFY(prompter.calls.first().text.contains("256"));
    QCOMPARE(ui->UPload_Button->text(), QStringLiteral("上傳至道具"));
    QVERIFY(ui->GLWidget->isEnabled());
    QVERIFY(!QFile::exists(m_dir.filePath("w-extemp.tmp")));
    QVERIFY(!QFile::exists(m_dir.filePath("w-extemp2.tmp")));
}

void TestUpload::unwritableStreamFiles()
{
    vc::test::ScriptedPrompter prompter;
    QScopedPointer<MainWindow> w(makeWindow({redItem()}));
    QFile blocker(m_dir.filePath("plain-file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    w->exportUpload()->setStreamFiles(
        {m_dir.filePath("plain-file/extemp2.tmp"), m_dir.filePath("plain-file/extemp.tmp")});
    w->form()->UPload_Button->click();
    QVERIFY(!w->exportUpload()->worker());
    QCOMPARE(prompter.calls.size(), 1);
    QCOMPARE(prompter.calls.first().icon, int(QMessageBox::Critical));
    QVERIFY(prompter.calls.first().text.contains("plain-file"));
    QCOMPARE(w->form()->UPload_Button->text(), QStringLiteral("上傳至道具"));
    QVERIFY(w->form()->GLWidget->isEnabled());
}

void TestUpload::failureShownAndControlsBack()
{
    PropSimulator prop;
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("ERR busy");
    qputenv(PortListVariable, prop.portName().toLocal8Bit());
    vc::test::ScriptedPrompter prompter;
    QScopedPointer<MainWindow> w(makeWindow({redItem()}));
    Ui::MainWindow *ui = w->form();
    ui->UPload_Button->click();
    QVERIFY(uploadDone(*w));
    QCOMPARE(prompter.messageTexts(),
             QStringList{QStringLiteral("<font color='white'>ERROR02</font>")});
    QCOMPARE(prompter.calls.last().icon, int(QMessageBox::Critical));
    QCOMPARE(ui->UPload_Button->text(), QStringLiteral("上傳至道具"));
    QVERIFY(ui->GLWidget->isEnabled());
    QVERIFY(ui->Ex_Button->isEnabled());
    qunsetenv(PortListVariable);
}

void TestUpload::exportWritesShowFile()
{
    vc::test::ScriptedPrompter prompter;
    QScopedPointer<MainWindow> w(makeWindow({redItem()}));
    Ui::MainWindow *ui = w->form();
    prompter.fileNames << m_dir.filePath("show");
    ui->Ex_Button->setEnabled(true);
    ui->Ex_Button->click();

    QCOMPARE(prompter.calls.first().kind, QStringLiteral("save"));
    QCOMPARE(prompter.calls.first().title, QStringLiteral("匯出"));
    QCOMPARE(prompter.calls.first().text, QDir::homePath() + "/Documents");
    QCOMPARE(prompter.calls.first().filter, QStringLiteral("*.bin"));
    QCOMPARE(fileBytes(m_dir.filePath("show.bin")), readData("showimage_red480.bin"));
    QCOMPARE(prompter.calls.last().kind, QStringLiteral("about"));
    QCOMPARE(prompter.calls.last().text, QStringLiteral("上傳完成"));
    QCOMPARE(ui->progressBar->value(), 100);
    QVERIFY(ui->Ex_Button->isEnabled());
    QVERIFY(ui->GLWidget->isEnabled());
    QVERIFY(w->currentFile() != m_dir.filePath("show.bin"));
}

void TestUpload::exportCancelledWritesNothing()
{
    vc::test::ScriptedPrompter prompter;
    QScopedPointer<MainWindow> w(makeWindow({redItem()}));
    w->exportUpload()->exportClicked();
    QCOMPARE(prompter.calls.size(), 1);
    QVERIFY(!QFile::exists(m_dir.filePath("w-extemp.tmp")));
}

void TestUpload::exportTakesTrackInPlayOrder()
{
    ShowItem red = redItem();
    red.start = 1000;
    red.end = 1480;
    ShowItem blue = redItem();
    blue.colour = Qt::blue;
    vc::test::ScriptedPrompter prompter;
    QScopedPointer<MainWindow> w(makeWindow({red, blue}));
    prompter.fileNames << m_dir.filePath("ordered.bin");
    w->exportUpload()->exportClicked();
    const QByteArray frames = fileBytes(m_dir.filePath("w-extemp.tmp"));
    // blue, the 520 ms pause, red
    QCOMPARE(frames.mid(1, 3).toHex(' '), QByteArray("00 00 56"));
    QCOMPARE(fileBytes(m_dir.filePath("w-extemp2.tmp")).mid(12, 6), QByteArray("2\xff"
                                                                               "2\xff"
                                                                               "2\xff"));
    QVERIFY(frames.contains(QByteArray::fromHex("ff 56 00 00")));
}

void TestUpload::exportWaitsForUpload()
{
    PropSimulator prop;
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("OK");
    prop.setStallAfter(10);
    qputenv(PortListVariable, prop.portName().toLocal8Bit());
    vc::test::ScriptedPrompter prompter;
    QScopedPointer<MainWindow> w(makeWindow({redItem()}));
    w->form()->UPload_Button->click();
    QVERIFY(PropSimulator::waitUntil([&] { return prop.received().size() >= 10; }, 5000));
    const QByteArray frames = fileBytes(m_dir.filePath("w-extemp.tmp"));

    // The stream files are being sent: an export must not rebuild them.
    ShowItem later = redItem();
    later.start = 1000;
    later.end = 2000;
    addToTrack(*w, later);
    prompter.fileNames << m_dir.filePath("during");
    w->exportUpload()->exportClicked();
    QCOMPARE(prompter.count("save"), 0);
    QVERIFY(prompter.calls.last().text.contains(QStringLiteral("上傳進行中")));
    QCOMPARE(fileBytes(m_dir.filePath("w-extemp.tmp")), frames);
    QVERIFY(w->exportUpload()->worker());

    w->form()->UPload_Button->click(); // cancel
    QVERIFY(!w->exportUpload()->worker());
    qunsetenv(PortListVariable);
}

VC_TEST_MAIN(TestUpload)
#include "tst_upload.moc"
