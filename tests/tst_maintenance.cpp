#include "core/about/versionfile.h"
#include "core/app/appsettings.h"
#include "core/device/serialprotocol.h"
#include "gui/app/mainwindow.h"
#include "gui/device/maintenance.h"
#include "gui/device/pass.h"
#include "gui/device/setup.h"
#include "testsupport/propsimulator.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/testenv.h"
#include "testsupport/updatekeys.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>

using namespace vc::device;
using vc::test::PropSimulator;
using vc::test::ScriptedPrompter;

namespace {

SerialTimings quickTimings()
{
    SerialTimings t;
    t.greetingMs = 300;
    return t;
}

// Points the port search at the given simulators for one test.
struct PortList
{
    explicit PortList(const QStringList &names)
    {
        qputenv(PortListVariable, names.join(QDir::listSeparator()).toLocal8Bit());
    }
    ~PortList() { qunsetenv(PortListVariable); }
};

// A widget of a dialog's form, found by its object name.
template <typename T> T *part(const QDialog *dialog, const char *name)
{
    T *w = dialog->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("the form has no %s", name);
    return w;
}
QLineEdit *passwordField(const QDialog *d)
{
    return part<QLineEdit>(d, "lineEdit");
}
QAbstractButton *passwordOk(const QDialog *d)
{
    return part<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Ok);
}
QPlainTextEdit *monitor(const QDialog *d)
{
    return part<QPlainTextEdit>(d, "MONITOR");
}
QLineEdit *command(const QDialog *d)
{
    return part<QLineEdit>(d, "COMMAND");
}
QAbstractButton *sendButton(const QDialog *d)
{
    return part<QAbstractButton>(d, "SEND_BUTTON");
}

// Answers the password dialog with `password`, then runs `next` on the
// following dialog (the terminal), if any.
void answerDialogs(ScriptedPrompter &prompter, const QString &password,
                   std::function<void(QDialog *)> next = {})
{
    prompter.onExec = [password, next](QDialog *d) {
        if (auto *pass = qobject_cast<Pass *>(d)) {
            passwordField(pass)->setText(password);
            passwordOk(pass)->click();
            return pass->result();
        }
        if (next)
            next(d);
        return int(QDialog::Rejected);
    };
}

// The maintenance on its own, its dialogs opening over a plain widget.
struct Rig
{
    QWidget parent;
    DeviceMaintenance maintenance{&parent};
    explicit Rig(const SerialTimings &timings = quickTimings()) { maintenance.setTimings(timings); }
};

} // namespace

class TestMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void password_data();
    void password();

    void wipeAnswered_data();
    void wipeAnswered();
    void wipeGreetingRules_data();
    void wipeGreetingRules();

    void firmwareStartsScript();
    void firmwareRefusals_data();
    void firmwareRefusals();
    void flashScriptChecksArguments_data();
    void flashScriptChecksArguments();

    void terminalTalks();
    void terminalWithoutProp();

    // the main window's menu reaches the maintenance
    void windowActions_data();
    void windowActions();
};

void TestMaintenance::password_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("right") << "qk" << true;
    QTest::newRow("trailing space") << "qk " << false;
    QTest::newRow("capitals") << "QK" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("prefix") << "q" << false;
}

void TestMaintenance::password()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    ScriptedPrompter prompter;
    Pass p;
    p.show();
    passwordField(&p)->setText(typed);
    passwordOk(&p)->click();
    QCOMPARE(p.result() == QDialog::Accepted, accepted);
    QCOMPARE(p.isVisible(), !accepted);
    QCOMPARE(prompter.messageTexts(),
             accepted ? QStringList() : QStringList{QStringLiteral("密碼錯誤")});
    if (!accepted) {
        // Another try works.
        passwordField(&p)->setText("qk");
        passwordOk(&p)->click();
        QCOMPARE(p.result(), int(QDialog::Accepted));
    }
}

void TestMaintenance::wipeAnswered_data()
{
    // Delays counted from "DD"; the first 500 ms are not the answer, then
    // the wipe polls for 5 s.
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("done");
    QTest::newRow("4900 ms into the poll") << 500 + 4900 << true;
    QTest::newRow("after the last poll") << 500 + 5000 + 700 << false;
}

void TestMaintenance::wipeAnswered()
{
    QFETCH(int, delayMs);
    QFETCH(bool, done);
    PropSimulator prop;
    prop.setGreeting("Please Wait\r\n");
    prop.setWipeAnswer("Wait\r\n", delayMs);
    PortList ports({prop.portName()});
    ScriptedPrompter prompter;
    Rig rig(SerialTimings{});

    rig.maintenance.wipeMemory();
    QCOMPARE(prop.received(), QByteArray("DD"));
    QCOMPARE(prompter.calls.size(), 1);
    const ScriptedPrompter::Call &c = prompter.calls.first();
    QCOMPARE(c.kind, QString(done ? "about" : "message"));
    QCOMPARE(c.parent, &rig.parent);
    QCOMPARE(c.title, QString());
    QCOMPARE(c.text, QString(done ? "記憶體清除完成" : "清除記憶體逾時"));
    QVERIFY(PropSimulator::waitUntil([&] { return !prop.portOpen(); }, 1000));
}

void TestMaintenance::wipeGreetingRules_data()
{
    QTest::addColumn<QByteArray>("firstGreeting");
    QTest::addColumn<bool>("firstTaken");
    QTest::newRow("Wait anywhere") << QByteArray("ready. Wait for it") << true;
    QTest::newRow("lower case wait") << QByteArray("please wait") << false;
    QTest::newRow("other text") << QByteArray("Vantor") << false;
}

void TestMaintenance::wipeGreetingRules()
{
    QFETCH(QByteArray, firstGreeting);
    QFETCH(bool, firstTaken);
    PropSimulator first;
    first.setGreeting(firstGreeting);
    first.setWipeAnswer("Wait", 600);
    PropSimulator second;
    second.setGreeting("Wait");
    second.setWipeAnswer("Wait", 600);
    PortList ports({first.portName(), second.portName()});
    ScriptedPrompter prompter;
    Rig rig;

    rig.maintenance.wipeMemory();
    QCOMPARE(prompter.messageTexts(), QStringList{QStringLiteral("記憶體清除完成")});
    QCOMPARE(first.received(), firstTaken ? QByteArray("DD") : QByteArray());
    QCOMPARE(second.sessionCount(), firstTaken ? 0 : 1);
    // A port that was not taken is let go before the next name is tried
    // (the simulated prop notices the hang-up on its own thread).
    QVERIFY(PropSimulator::waitUntil([&] { return !first.portOpen(); }, 1000));

    // Without any prop that greets with "Wait", "DD" goes nowhere.
    prompter.calls.clear();
    PortList only({first.portName()});
    if (!firstTaken) {
        rig.maintenance.wipeMemory();
        QCOMPARE(prompter.messageTexts(), QStringList{QStringLiteral("偵測不到裝置！")});
        QVERIFY(!first.received().contains("DD"));
    }
}

void TestMaintenance::firmwareStartsScript()
{
    QTemporaryDir work;
    QDir dir(work.path());
    dir.mkpath("tool/firm");
    QFile fw(dir.filePath("tool/firm/Vantor.RE.bin"));
    QVERIFY(fw.open(QIODevice::WriteOnly));
    fw.write("firmware");
    fw.close();
    // A script that records how it was called.
    QFile script(dir.filePath("tool/maple_upload"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$PWD/called.tmp\"\n"
                 "mv \"$PWD/called.tmp\" \"$PWD/called\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);

    PropSimulator prop;
    prop.setGreeting("Vantor");
    PropSimulator silent;
    PortList ports({silent.portName(), prop.portName()});
    const QString before = QDir::currentPath();
    QDir::setCurrent(work.path());
    ScriptedPrompter prompter;
    answerDialogs(prompter, "qk");
    Rig rig;
    rig.maintenance.firmwareUpdateClicked();
    QDir::setCurrent(before);

    QCOMPARE(prompter.count("exec"), 1);
    QCOMPARE(prompter.calls.first().parent, &rig.parent);
    QCOMPARE(prompter.count("message"), 0);
    QVERIFY(PropSimulator::waitUntil([&] { return QFile::exists(dir.filePath("called")); }, 5000));
    QFile called(dir.filePath("called"));
    QVERIFY(called.open(QIODevice::ReadOnly));
    const QStringList args =
        QString::fromLocal8Bit(called.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(args, (QStringList{prop.portName(), "2", "1EAF:0003",
                                QDir(work.path()).canonicalPath() + "/tool/firm/Vantor.RE.bin"}));
    // The flashing tool gets the port to itself.
    QVERIFY(PropSimulator::waitUntil([&] { return !prop.portOpen(); }, 1000));
    QVERIFY(prop.received().isEmpty());
}

void TestMaintenance::firmwareRefusals_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("script");
    QTest::addColumn<QString>("firmware"); // "file", "" (none), "link", "changed"
    QTest::addColumn<bool>("prop");
    QTest::addColumn<QString>("message");
    QTest::newRow("wrong password") << "x" << true << "file" << true << "密碼錯誤";
    QTest::newRow("no prop") << "qk" << true << "file" << false << "找不到裝置！";
    QTest::newRow("no firmware") << "qk" << true << "" << true << "找不到韌體檔案";
    QTest::newRow("no script") << "qk" << false << "file" << true << "找不到燒錄程式";
    // Read again to be flashed: never through a link, and still the one the
    // updater checked.
    QTest::newRow("firmware folder is a link") << "qk" << true << "link" << true << "是連結";
    QTest::newRow("firmware changed since the update")
        << "qk" << true << "changed" << true << "已不是更新程式下載並檢查過的檔案";
}

void TestMaintenance::firmwareRefusals()
{
    QFETCH(QString, password);
    QFETCH(bool, script);
    QFETCH(QString, firmware);
    QFETCH(bool, prop);
    QFETCH(QString, message);
    QTemporaryDir work;
    QTemporaryDir elsewhere;
    QDir dir(work.path());
    dir.mkpath("tool");
    QDir(elsewhere.path()).mkpath("firm");
    if (firmware == "link")
        QVERIFY(QFile::link(elsewhere.filePath("firm"), dir.filePath("tool/firm")));
    else
        dir.mkpath("tool/firm");
    if (!firmware.isEmpty()) {
        QFile fw(dir.filePath("tool/firm/Vantor.RE.bin"));
        fw.open(QIODevice::WriteOnly);
        fw.write("fw");
    }
    vc::settings::open().setValue(
        vc::settings::UpdatedFirmware,
        QString::fromLatin1(
            vc::update::digestText(vc::test::digestOfBytes(firmware == "changed" ? "new" : "fw"))));
    if (script)
        QFile::copy(QStringLiteral(VC_SOURCE_DIR "/tool/maple_upload"),
                    dir.filePath("tool/maple_upload"));
    PropSimulator sim;
    sim.setGreeting("Vantor");
    PortList ports(prop ? QStringList{sim.portName()} : QStringList{dir.filePath("none")});

    const QString before = QDir::currentPath();
    QDir::setCurrent(work.path());
    ScriptedPrompter prompter;
    prompter.onExec = [password](QDialog *d) {
        auto *pass = qobject_cast<Pass *>(d);
        passwordField(pass)->setText(password);
        pass->accept();
        return pass->result();
    };
    Rig rig;
    rig.maintenance.firmwareUpdateClicked();
    QDir::setCurrent(before);

    QCOMPARE(prompter.count("message"), 1);
    QVERIFY2(prompter.messageTexts().first().contains(message),
             qPrintable(prompter.messageTexts().first()));
    // A wrong password is said over the password dialog, the rest over
    // the parent.
    if (password == "qk")
        QCOMPARE(prompter.calls.last().parent, &rig.parent);
    if (password != "qk" || !script || firmware != "file")
        QCOMPARE(sim.sessionCount(), 0);
    vc::test::clearSettings();
}

void TestMaintenance::flashScriptChecksArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    const QString fw = QStringLiteral(VC_TESTDATA_DIR "/showimage_red480.bin");
    QTest::newRow("good") << QStringList{"COM3", "2", "1EAF:0003", fw} << 0 << "COM3";
    QTest::newRow("three arguments") << QStringList{"COM3", "2", "1EAF:0003"} << 1 << "usage";
    QTest::newRow("bad usb id") << QStringList{"COM3", "2", "1EAF", fw} << 1 << "usb-id";
    QTest::newRow("no firmware") << QStringList{"COM3", "2", "1EAF:0003", "/nonexistent.bin"} << 1
                                 << "not found";
}

void TestMaintenance::flashScriptChecksArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, says);
    QProcess p;
    p.start(QStringLiteral(VC_SOURCE_DIR "/tool/maple_upload"), args);
    QVERIFY(p.waitForFinished(5000));
    QTEST(p.exitCode(), "exitCode");
    const QString out =
        QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
    QVERIFY2(out.contains(says), qPrintable(out));
}

void TestMaintenance::terminalTalks()
{
    PropSimulator silent;
    PropSimulator prop;
    prop.setGreeting("Vantor v3\r\n");
    PortList ports({silent.portName(), prop.portName()});
    ScriptedPrompter prompter;
    QString monitorAtOpen;
    QString monitorAfter;
    QByteArray sent;
    answerDialogs(prompter, "qk", [&](QDialog *d) {
        auto *s = qobject_cast<setup *>(d);
        QVERIFY(s);
        monitorAtOpen = monitor(s)->toPlainText();
        command(s)->setText("AT");
        sendButton(s)->click();
        QVERIFY(command(s)->text().isEmpty());
        QVERIFY(PropSimulator::waitUntil([&] { return prop.received().size() >= 2; }, 2000));
        QTest::qWait(100);
        sent = prop.received();
        prop.write("system ok");
        PropSimulator::waitUntil([&] { return monitor(s)->toPlainText().endsWith("system ok"); },
                                 2000);
        monitorAfter = monitor(s)->toPlainText();
    });
    Rig rig;
    rig.maintenance.adminClicked();

    QCOMPARE(prompter.count("exec"), 2);
    QCOMPARE(prompter.calls.last().parent, &rig.parent);
    QCOMPARE(sent, QByteArray("\x41\x54"));
    QCOMPARE(monitorAtOpen, "連線中..." + portLabel(silent.portName()) + " not working." +
                                portLabel(prop.portName()) + "連接成功");
    QCOMPARE(monitorAfter, monitorAtOpen + "system ok");
    // Closing the terminal lets go of the port.
    QVERIFY(PropSimulator::waitUntil([&] { return !prop.portOpen(); }, 1000));
}

void TestMaintenance::terminalWithoutProp()
{
    QTemporaryDir dir;
    setup s(nullptr, {dir.filePath("none")}, quickTimings());
    QCOMPARE(monitor(&s)->toPlainText(), QStringLiteral("連線中...\n偵測不到裝置！"));
    command(&s)->setText("AT");
    sendButton(&s)->click();
    QCOMPARE(command(&s)->text(), QStringLiteral("AT"));
}

void TestMaintenance::windowActions_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("dialogs"); // the password dialog
    QTest::addColumn<QString>("message");
    QTest::newRow("wipe") << "actionFormat" << 0 << "偵測不到裝置！";
    QTest::newRow("firmware update") << "actionFirUpdate" << 1 << "密碼錯誤";
    QTest::newRow("terminal") << "action_admin" << 1 << "密碼錯誤";
}

// No prop and a wrong password: each action gets as far as its first
// answer, over the window.
void TestMaintenance::windowActions()
{
    QFETCH(QString, action);
    QFETCH(int, dialogs);
    QTemporaryDir dir;
    PortList ports({dir.filePath("none")});
    ScriptedPrompter prompter;
    answerDialogs(prompter, "x");
    MainWindow w;
    w.maintenance()->setTimings(quickTimings());
    prompter.calls.clear();

    QAction *a = w.findChild<QAction *>(action);
    QVERIFY(a);
    a->trigger();
    QCOMPARE(prompter.count("exec"), dialogs);
    QTEST(prompter.messageTexts().value(0), "message");
    QCOMPARE(prompter.calls.first().parent, &w);
}

VC_TEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
