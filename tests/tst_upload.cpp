#include "device/showimage.h"
#include "device/streamfiles.h"
#include "device/workerthread.h"
#include "testsupport/propsimulator.h"
#include "testsupport/testenv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

using namespace vc::device;
using vc::test::PropSimulator;

namespace {

QByteArray readData(const QString &name)
{
    QFile f(QStringLiteral(VC_TESTDATA_DIR "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(name));
    return f.readAll();
}

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

private:
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

VC_TEST_MAIN(TestUpload)
#include "tst_upload.moc"
