#include "core/about/downloadfile.h"
#include "core/about/fetch.h"
#include "core/about/versionfile.h"
#include "core/app/appsettings.h"
#include "gui/about/about.h"
#include "gui/about/startdialog.h"
#include "ui_about.h"
#include "updater/updater.h"

#include "testsupport/scriptedprompter.h"
#include "testsupport/testenv.h"
#include "testsupport/updatekeys.h"
#include "testsupport/updateserver.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Behaviour = vc::test::StandInUpdateServer::Behaviour;
Q_DECLARE_METATYPE(Behaviour)
using vc::test::ScriptedPrompter;
using vc::test::StandInUpdateServer;

namespace {

const QString VersionPath = QLatin1String(vc::update::VersionPath);
const QString FirmwarePath = QLatin1String(vc::update::FirmwarePath);
const QString InstallerPath = QLatin1String(vc::update::InstallerPath);

const QByteArray NewFirmware = QByteArray(150000, 'f') + "new firmware";
const QByteArray NewInstaller = QByteArray(300000, 'i') + "new installer";
const QByteArray OldFirmware = "old firmware";
const QByteArray OldInstaller = "old installer";

// Short enough to keep the tests quick, long enough for a loaded machine
// to pass bytes on.
constexpr int StallMs = 1500;

vc::update::UpdateSource sourceFor(const QUrl &base)
{
    vc::update::UpdateSource s;
    s.baseUrl = base;
    s.publicKey = vc::test::testPublicKey();
    s.stallTimeoutMs = StallMs;
    s.versionLimit = vc::update::VersionFileLimit;
    s.firmwareLimit = vc::update::FirmwareLimit;
    s.installerLimit = vc::update::InstallerLimit;
    return s;
}

QByteArray signedNewVersion(const QString &notes = QStringLiteral("快<br>穩"))
{
    return vc::test::signedVersionFile(QStringLiteral("3.2132"), notes, NewFirmware, NewInstaller);
}

QByteArray expiredVersion()
{
    return vc::test::signedVersionFile("3.2132", QString(), NewFirmware, NewInstaller, 30,
                                       QDateTime::currentDateTimeUtc().addDays(-40));
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Waits for the dialog's version check to end, in short slices.
bool waitChecked(about &dialog)
{
    QSignalSpy spy(&dialog, &about::versionChecked);
    return spy.wait(10000);
}

enum Setup
{
    Normal,
    FirmwareWrong,
    InstallerWrong,
    FirmwareDropped,
    InstallerStalled,
    VersionNoAnswer,
    VersionFlood,
    FirmwareFloodUnannounced,
    InstallerFloodAnnounced,
    InstallerOverBound,
    FirmwareShortNoLength,
    FolderBlocked,
    VersionForged,
    VersionUnsigned,
    InstallerWontStart,
    InstallerNotFound,
    InstallerLinked,
    VersionDeflated,
    VersionDrip,
    VersionExpired,
    FirmwareDrip,
};

} // namespace

Q_DECLARE_METATYPE(Setup)

// The start dialog and about box with their version check, and the updater
// program, against a stand-in update server on 127.0.0.1.
class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void versionCheck_data();
    void versionCheck();
    void versionCheckProblems_data();
    void versionCheckProblems();
    void acceptingStartsUpdater_data();
    void acceptingStartsUpdater();
    void noServerKeepsDialogUsable();
    void startButtons();
    void lastProjectButton_data();
    void lastProjectButton();
    void logoButtonsOpenPages();
    void startDialogChoice();

    void updaterLatest();
    void updaterSuccess();
    void updaterUnknownTotal();
    void updaterFailures_data();
    void updaterFailures();

private:
    QTemporaryDir m_dir;
};

void TestAbout::init()
{
    vc::test::clearSettings();
}

// ---------------------------------------------------------------- about

void TestAbout::versionCheck_data()
{
    QTest::addColumn<QByteArray>("versionFile");
    QTest::addColumn<QString>("buttonText");    // of pushButton_3 afterwards
    QTest::addColumn<QString>("questionTitle"); // empty: no update offered
    QTest::addColumn<QString>("message");       // the one message shown, if any

    const QString check = QStringLiteral("檢查更新...");
    const QString cannotConnect = QStringLiteral("<font color='white'>無法連線至更新伺服器</font>");
    const QString notSigned =
        QStringLiteral("<font color='white'>更新資訊的簽章無效，不提供這個更新。</font>");

    QTest::newRow("same version") << QByteArray("3.21311\n") << "已是最新版本" << QString()
                                  << QString();
    QTest::newRow("older version")
        << QByteArray("3.2\nold") << "已是最新版本" << QString() << QString();
    QTest::newRow("no number") << QByteArray("soon\n") << "已是最新版本" << QString() << QString();
    QTest::newRow("newer, signed") << signedNewVersion() << check << "有更新 最新版為ver3.2132"
                                   << "<font color='white'>是否更新？<br>快<br>穩</font>";
    QTest::newRow("newer, signed, no notes")
        << signedNewVersion(QString()) << check << "有更新 最新版為ver3.2132"
        << "<font color='white'>是否更新？<br></font>";
    QByteArray forged = signedNewVersion();
    forged.replace("3.2132", "3.9999");
    QTest::newRow("newer, forged") << forged << check << QString() << notSigned;
    QTest::newRow("newer, first line alone (unsigned)")
        << QByteArray("3.2132") << check << QString() << notSigned;
    QTest::newRow("empty answer") << QByteArray() << check << QString()
                                  << QStringLiteral(
                                         "<font color='white'>更新伺服器的回答不是版本檔。</font>");
}

void TestAbout::versionCheckProblems_data()
{
    QTest::addColumn<Behaviour>("behaviour");
    QTest::addColumn<QByteArray>("body"); // empty: a signed newer version
    QTest::addColumn<QString>("message");
    QTest::newRow("answers with an error") << Behaviour::Failing << QByteArray()
                                           << "更新伺服器回應錯誤：HTTP 500 Internal Server Error";
    // Packed, a few kilobytes can unpack to gigabytes: never unpacked.
    QTest::newRow("packed answer")
        << Behaviour::Deflated << QByteArray() << "更新伺服器的回答經過壓縮（deflate）";
    // A signed file sent again once a newer one is out.
    QTest::newRow("signed, expired") << Behaviour::Normal << expiredVersion() << "過期";
}

// What went wrong is said as it is.
void TestAbout::versionCheckProblems()
{
    QFETCH(Behaviour, behaviour);
    QFETCH(QByteArray, body);
    QFETCH(QString, message);
    StandInUpdateServer server;
    server.serve(VersionPath, body.isEmpty() ? signedNewVersion() : body, behaviour);
    ScriptedPrompter prompter;
    about dialog(nullptr, sourceFor(server.baseUrl()));
    QVERIFY(waitChecked(dialog));
    QCOMPARE(prompter.calls.size(), 1);
    QVERIFY2(prompter.calls.first().text.contains(message),
             qPrintable(prompter.calls.first().text));
}

void TestAbout::versionCheck()
{
    QFETCH(QByteArray, versionFile);
    QFETCH(QString, buttonText);
    QFETCH(QString, questionTitle);
    QFETCH(QString, message);

    StandInUpdateServer server;
    QVERIFY(server.isListening());
    server.serve(VersionPath, versionFile);
    ScriptedPrompter prompter;
    prompter.buttons.enqueue(QMessageBox::No);
    int launches = 0;
    about dialog(nullptr, sourceFor(server.baseUrl()));
    dialog.setLauncher([&](const QString &, QString *) { return ++launches > 0; });
    QVERIFY(waitChecked(dialog));

    QCOMPARE(dialog.form()->label_3->text(), QStringLiteral("Twirlo Creator ver3.213110"));
    QCOMPARE(dialog.form()->pushButton_3->text(), buttonText);
    QCOMPARE(server.requests(), QStringList{VersionPath});
    QCOMPARE(prompter.calls.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        const auto &call = prompter.calls.first();
        QCOMPARE(call.text, message);
        QCOMPARE(call.title, questionTitle);
        QCOMPARE(call.buttons,
                 questionTitle.isEmpty() ? call.buttons : QMessageBox::Yes | QMessageBox::No);
    }
    // Declining (or no offer) changes nothing: no updater, dialog still open.
    QCOMPARE(launches, 0);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void TestAbout::acceptingStartsUpdater_data()
{
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("result");
    QTest::newRow("updater started: the editor ends") << true << int(QDialog::Accepted);
    QTest::newRow("updater cannot start: the editor goes on") << false << int(QDialog::Rejected);
}

void TestAbout::acceptingStartsUpdater()
{
    QFETCH(bool, starts);
    QFETCH(int, result);
    StandInUpdateServer server;
    server.serve(VersionPath, signedNewVersion());
    ScriptedPrompter prompter;
    prompter.buttons.enqueue(QMessageBox::Yes);
    QStringList launched;
    about dialog(nullptr, sourceFor(server.baseUrl()));
    dialog.setLauncher([&](const QString &program, QString *error) {
        launched << program;
        *error = QStringLiteral("no such file");
        return starts;
    });
    QSignalSpy finished(&dialog, &QDialog::finished);
    QVERIFY(waitChecked(dialog));
    QCOMPARE(launched, QStringList{about::updaterProgram()});
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toInt(), result);
    QCOMPARE(prompter.calls.size(), starts ? 1 : 2);
    if (!starts) {
        QCOMPARE(prompter.calls.last().icon, int(QMessageBox::Warning));
        QVERIFY(prompter.calls.last().text.contains(QStringLiteral("no such file")));
    }
}

void TestAbout::noServerKeepsDialogUsable()
{
    // A server that takes the request and never answers: the message comes
    // within the stall time-out, and the start buttons work meanwhile.
    StandInUpdateServer server;
    server.serve(VersionPath, QByteArray(), Behaviour::NoAnswer);
    ScriptedPrompter prompter;
    QElapsedTimer clock;
    clock.start();
    about dialog(nullptr, sourceFor(server.baseUrl()));
    QVERIFY(dialog.versionCheck());
    QVERIFY(dialog.form()->pushButton0->isEnabled());
    QVERIFY(waitChecked(dialog));
    QVERIFY2(clock.elapsed() < StallMs + 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(prompter.messageTexts(),
             QStringList{QStringLiteral("<font color='white'>無法連線至更新伺服器</font>")});

    // No server at all: refused at once.
    ScriptedPrompter again;
    about closed(nullptr, sourceFor(QUrl(QStringLiteral("http://127.0.0.1:1"))));
    QVERIFY(waitChecked(closed));
    QCOMPARE(again.count(QStringLiteral("about")), 1);

    // While a check hangs, a start button still closes the dialog at once.
    ScriptedPrompter third;
    about hanging(nullptr, sourceFor(server.baseUrl()));
    QSignalSpy finished(&hanging, &QDialog::finished);
    QTest::mouseClick(hanging.form()->pushButton0, Qt::LeftButton);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(hanging.result(), int(QDialog::Rejected));
    QVERIFY(hanging.projectPath().isEmpty());
}

void TestAbout::startButtons()
{
    ScriptedPrompter prompter;
    {
        // Cancelled file dialog: the dialog stays.
        about dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.form()->load_button->click();
        QCOMPARE(finished.size(), 0);
        QCOMPARE(prompter.calls.last().kind, QStringLiteral("open"));
        QCOMPARE(prompter.calls.last().title, QStringLiteral("讀檔"));
        QCOMPARE(prompter.calls.last().filter, QStringLiteral("*.vtc *.vtc3"));
        // No Documents folder in the test home: the dialog starts at home.
        QCOMPARE(prompter.calls.last().text, vc::test::testHome());
    }
    {
        about dialog;
        prompter.fileNames.enqueue(QStringLiteral("/shows/a.vtc3"));
        dialog.form()->load_button->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.projectPath(), QStringLiteral("/shows/a.vtc3"));
    }
    {
        about dialog;
        dialog.hideStartButtons();
        QVERIFY(dialog.form()->Load_frame->isHidden());
        QVERIFY(!dialog.form()->pushButton_3->isHidden());
    }
}

void TestAbout::lastProjectButton_data()
{
    QTest::addColumn<QVariant>("setting");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("text");
    QTest::newRow("unset") << QVariant() << false << QString();
    QTest::newRow("the word null") << QVariant(QStringLiteral("null")) << false << QString();
    QTest::newRow("missing file still shown")
        << QVariant(QStringLiteral("/gone/show.vtc3")) << true << "/gone/show.vtc3";
    QTest::newRow("ampersand shown as written")
        << QVariant(QStringLiteral("/shows/a&b.vtc3")) << true << "/shows/a&&b.vtc3";
}

void TestAbout::lastProjectButton()
{
    QFETCH(QVariant, setting);
    QFETCH(bool, shown);
    QFETCH(QString, text);
    if (setting.isValid())
        vc::settings::open().setValue(vc::settings::CurrentFile, setting);
    ScriptedPrompter prompter;
    about dialog;
    QCOMPARE(!dialog.form()->load_current->isHidden(), shown);
    if (!shown)
        return;
    QCOMPARE(dialog.form()->load_current->text(), text);
    dialog.form()->load_current->click();
    QCOMPARE(dialog.projectPath(), setting.toString());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

void TestAbout::logoButtonsOpenPages()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    ScriptedPrompter prompter;
    about dialog;
    dialog.form()->pushButton->click();
    dialog.form()->pushButton_2->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.urls, (QList<QUrl>{vc::update::resellerPage(), vc::update::makerPage()}));
    QVERIFY(catcher.urls.first() != catcher.urls.last());
}

void TestAbout::startDialogChoice()
{
    // The start-up path: Accepted ends the program, a chosen project is
    // handed on to the main window.
    ScriptedPrompter prompter;
    prompter.fileNames.enqueue(QStringLiteral("/shows/b.vtc3"));
    QString title;
    prompter.onExec = [&](QDialog *d) {
        title = d->objectName();
        d->findChild<QPushButton *>(QStringLiteral("load_button"))->click();
        return d->result();
    };
    vc::StartChoice choice = vc::runStartDialog();
    QCOMPARE(title, QStringLiteral("about"));
    QVERIFY(!choice.quit);
    QCOMPARE(choice.projectPath, QStringLiteral("/shows/b.vtc3"));

    prompter.onExec = [](QDialog *) { return int(QDialog::Accepted); };
    choice = vc::runStartDialog();
    QVERIFY(choice.quit);
}

// ---------------------------------------------------------------- updater

namespace {

struct UpdaterRun
{
    QStringList launched;
    updater::State state;
    QList<int> barValues;
    int messagesAtLaunch = -1; // shown before the installer was started
};

UpdaterRun runUpdater(const vc::update::UpdateSource &source, const QString &dir,
                      bool launcherWorks = true)
{
    UpdaterRun run;
    updater window(source, dir);
    window.setLauncher([&](const QString &program, QString *error) {
        run.launched << program;
        run.messagesAtLaunch =
            static_cast<vc::test::ScriptedPrompter &>(vc::prompter()).calls.size();
        *error = QStringLiteral("exec format error");
        return launcherWorks;
    });
    QObject::connect(window.progressBar(), &QProgressBar::valueChanged,
                     [&](int v) { run.barValues << v; });
    QSignalSpy ended(&window, &updater::ended);
    window.check_ver();
    if (ended.isEmpty())
        ended.wait(15000);
    run.state = window.state();
    return run;
}

} // namespace

void TestAbout::updaterLatest()
{
    StandInUpdateServer server;
    server.serve(VersionPath, vc::test::signedVersionFile(QStringLiteral("3.21311"), QString(),
                                                          NewFirmware, NewInstaller));
    ScriptedPrompter prompter;
    vc::settings::open().setValue(vc::settings::Version, 3.21311);
    const UpdaterRun run = runUpdater(sourceFor(server.baseUrl()), m_dir.path());
    QCOMPARE(run.state, updater::State::Ended);
    QCOMPARE(prompter.calls.size(), 1);
    QCOMPARE(prompter.calls.first().kind, QStringLiteral("about"));
    QCOMPARE(prompter.calls.first().title, QStringLiteral("已是最新版本"));
    QCOMPARE(prompter.calls.first().text, QStringLiteral("VantorCreator V3.21311"));
    QCOMPARE(server.requests(), QStringList{VersionPath});

    // An older signed release is never installed over this one, whatever
    // the settings say.
    vc::settings::open().remove(vc::settings::Version);
    server.serve(VersionPath, vc::test::signedVersionFile(QStringLiteral("3.2"), QString(),
                                                          NewFirmware, NewInstaller));
    ScriptedPrompter older;
    QCOMPARE(runUpdater(sourceFor(server.baseUrl()), m_dir.path()).state, updater::State::Ended);
    QCOMPARE(older.messageTexts(), QStringList{QStringLiteral("VantorCreator V3.21311")});

    // No server: the message of an unreachable server, nothing else, in
    // plain text (the updater's window is not dark).
    ScriptedPrompter down;
    const UpdaterRun none =
        runUpdater(sourceFor(QUrl(QStringLiteral("http://127.0.0.1:1"))), m_dir.path());
    QCOMPARE(none.state, updater::State::Ended);
    QCOMPARE(down.messageTexts(), QStringList{QStringLiteral("無法連線至更新伺服器")});
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList());
}

void TestAbout::updaterSuccess()
{
    // No "main/version": every published version is newer.
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("tool/firm/Vantor.RE.bin")), OldFirmware);
    StandInUpdateServer server;
    server.serve(VersionPath, signedNewVersion());
    server.serve(FirmwarePath, NewFirmware);
    server.serve(InstallerPath, NewInstaller);
    QByteArray firmwareWhenInstallerAsked;
    server.onRequest = [&](const QString &path) {
        if (path == InstallerPath)
            firmwareWhenInstallerAsked =
                fileBytes(dir.filePath(QStringLiteral("tool/firm/Vantor.RE.bin")));
    };
    ScriptedPrompter prompter;
    const UpdaterRun run = runUpdater(sourceFor(server.baseUrl()), dir.path());

    QCOMPARE(run.state, updater::State::Finished);
    QCOMPARE(server.requests(), (QStringList{VersionPath, FirmwarePath, InstallerPath}));
    QCOMPARE(firmwareWhenInstallerAsked, NewFirmware);
    QCOMPARE(fileBytes(dir.filePath(QStringLiteral("tool/firm/Vantor.RE.bin"))), NewFirmware);
    const QString installer = dir.filePath(QStringLiteral("VantorCreator_Patch.exe"));
    QCOMPARE(fileBytes(installer), NewInstaller);
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    QCOMPARE(QFileInfo(installer).permissions() & 0x7077, ownerOnly);
    // What is started is the checked copy in a folder of this user's alone,
    // at once; the box comes after.
    QCOMPARE(run.launched.size(), 1);
    QCOMPARE(QFileInfo(run.launched.first()).absolutePath(), vc::update::privateDownloadFolder());
    QCOMPARE(fileBytes(run.launched.first()), NewInstaller);
    QCOMPARE(QFileInfo(vc::update::privateDownloadFolder()).permissions() & 0x7077, ownerOnly);
    QCOMPARE(run.messagesAtLaunch, 0);
    QCOMPARE(prompter.messageTexts(), QStringList{QStringLiteral("下載完成")});
    QCOMPARE(run.barValues.last(), 100);
    // Nothing but the two files was left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"VantorCreator_Patch.exe"});
    QCOMPARE(QDir(dir.filePath(QStringLiteral("tool/firm"))).entryList(QDir::Files),
             QStringList{"Vantor.RE.bin"});
}

void TestAbout::updaterUnknownTotal()
{
    // The firmware comes without an announced size: the bar stays where it
    // was until the installer (with its size) moves it.
    QTemporaryDir dir;
    StandInUpdateServer server;
    server.serve(VersionPath, signedNewVersion());
    server.serve(FirmwarePath, NewFirmware, Behaviour::NoLength);
    int barWhenInstallerAsked = -1;
    QProgressBar *bar = nullptr;
    server.serve(InstallerPath, NewInstaller);
    ScriptedPrompter prompter;
    updater window(sourceFor(server.baseUrl()), dir.path());
    window.setLauncher([](const QString &, QString *) { return true; });
    bar = window.progressBar();
    server.onRequest = [&](const QString &path) {
        if (path == InstallerPath)
            barWhenInstallerAsked = bar->value();
    };
    QSignalSpy ended(&window, &updater::ended);
    window.check_ver();
    QVERIFY(ended.wait(15000));
    QCOMPARE(window.state(), updater::State::Finished);
    QCOMPARE(barWhenInstallerAsked, 0);
    QCOMPARE(fileBytes(window.firmwarePath()), NewFirmware);
    QCOMPARE(bar->value(), 100);
}

void TestAbout::updaterFailures_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QString>("reason");   // part of the message text
    QTest::addColumn<bool>("firmwareNew"); // the new firmware is in place
    QTest::addColumn<int>("requests");     // how many requests were made

    QTest::newRow("installer with wrong bytes") << InstallerWrong << "不符" << true << 3;
    QTest::newRow("firmware with wrong bytes") << FirmwareWrong << "不符" << false << 2;
    QTest::newRow("firmware connection dropped") << FirmwareDropped << "" << false << 2;
    QTest::newRow("installer stalls") << InstallerStalled << "沒有傳來資料" << true << 3;
    QTest::newRow("version file never answered") << VersionNoAnswer << "無法連線" << false << 1;
    QTest::newRow("version file far too large") << VersionFlood << "65536" << false << 1;
    QTest::newRow("firmware longer than signed, size unannounced")
        << FirmwareFloodUnannounced << QString::number(NewFirmware.size()) << false << 2;
    QTest::newRow("installer announces far too much")
        << InstallerFloodAnnounced << QString::number(NewInstaller.size()) << true << 3;
    QTest::newRow("installer signed over its bound") << InstallerOverBound << "位元組" << true << 2;
    QTest::newRow("firmware ends short, size unannounced")
        << FirmwareShortNoLength << "不符" << false << 2;
    QTest::newRow("folder cannot be written") << FolderBlocked << "無法寫入" << false << 1;
    QTest::newRow("version file forged") << VersionForged << "簽章" << false << 1;
    QTest::newRow("version file unsigned") << VersionUnsigned << "簽章" << false << 1;
    QTest::newRow("installer not on the server") << InstallerNotFound << "Not Found" << true << 3;
    QTest::newRow("installer cannot be started")
        << InstallerWontStart << "exec format error" << true << 3;
    // Nothing is written through a link in the working folder.
    QTest::newRow("installer's name is a link") << InstallerLinked << "連結" << true << 2;
    QTest::newRow("version file packed") << VersionDeflated << "壓縮" << false << 1;
    QTest::newRow("version file a byte now and then") << VersionDrip << "2 秒內" << false << 1;
    QTest::newRow("firmware a byte now and then") << FirmwareDrip << "2 秒內" << false << 2;
    QTest::newRow("version file expired") << VersionExpired << "過期" << false << 1;
}

void TestAbout::updaterFailures()
{
    QFETCH(Setup, setup);
    QFETCH(QString, reason);
    QFETCH(bool, firmwareNew);
    QFETCH(int, requests);

    QTemporaryDir dir;
    const QString firmware = dir.filePath(QStringLiteral("tool/firm/Vantor.RE.bin"));
    const QString installer = dir.filePath(QStringLiteral("VantorCreator_Patch.exe"));
    if (setup == FolderBlocked)
        writeFile(dir.filePath(QStringLiteral("tool")), QByteArray());
    else
        writeFile(firmware, OldFirmware);
    writeFile(installer, OldInstaller);

    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("program"));
    writeFile(victim, OldInstaller);

    StandInUpdateServer server;
    vc::update::UpdateSource source = sourceFor(server.baseUrl());
    // Deadlines short enough for a test: two seconds whatever the size.
    source.deadlineMs = 2000;
    source.slowestBytesPerSecond = 1LL << 40;
    server.serve(VersionPath, signedNewVersion());
    server.serve(FirmwarePath, NewFirmware);
    server.serve(InstallerPath, NewInstaller);
    QByteArray wrong = NewInstaller;
    wrong[10] = 'x';
    switch (setup) {
    case Normal:
        break;
    case FirmwareWrong:
        server.serve(FirmwarePath, QByteArray(NewFirmware).replace("new", "bad"));
        break;
    case InstallerWrong:
        server.serve(InstallerPath, wrong);
        break;
    case FirmwareDropped:
        server.misbehave(FirmwarePath, Behaviour::Drop);
        break;
    case InstallerStalled:
        server.misbehave(InstallerPath, Behaviour::Stall);
        break;
    case VersionNoAnswer:
        server.misbehave(VersionPath, Behaviour::NoAnswer);
        break;
    case VersionFlood:
        server.flood(VersionPath, 10 * vc::update::VersionFileLimit, false);
        break;
    case FirmwareFloodUnannounced:
        server.flood(FirmwarePath, 64LL * 1024 * 1024, false);
        break;
    case InstallerFloodAnnounced:
        server.flood(InstallerPath, 1024LL * 1024 * 1024, true);
        break;
    case InstallerOverBound:
        source.installerLimit = NewInstaller.size() - 1;
        break;
    case FirmwareShortNoLength:
        server.serve(FirmwarePath, NewFirmware.left(NewFirmware.size() - 1), Behaviour::NoLength);
        break;
    case FolderBlocked:
        break;
    case VersionForged:
        server.serve(VersionPath, QByteArray(signedNewVersion()).replace("快", "慢"));
        break;
    case VersionUnsigned:
        server.serve(VersionPath, "3.2132\nnotes");
        break;
    case InstallerWontStart:
        break;
    case InstallerNotFound:
        server.remove(InstallerPath);
        break;
    case InstallerLinked:
        QFile::remove(installer);
        QVERIFY(QFile::link(victim, installer));
        break;
    case VersionDeflated:
        server.misbehave(VersionPath, Behaviour::Deflated);
        break;
    case VersionDrip:
    case FirmwareDrip:
        server.misbehave(setup == VersionDrip ? VersionPath : FirmwarePath, Behaviour::Drip);
        break;
    case VersionExpired:
        server.serve(VersionPath, expiredVersion());
        break;
    }

    ScriptedPrompter prompter;
    const UpdaterRun run =
        runUpdater(source, dir.path(), /*launcherWorks=*/setup != InstallerWontStart);

    QCOMPARE(run.state, updater::State::Ended);
    QCOMPARE(server.requests().size(), requests);
    const auto &last = prompter.calls.last();
    // A server that cannot be reached is said in an about box.
    const bool unreachable = setup == VersionNoAnswer;
    QCOMPARE(last.title, unreachable ? QString() : QStringLiteral("更新失敗"));
    QCOMPARE(last.kind, unreachable ? QStringLiteral("about") : QStringLiteral("message"));
    QCOMPARE(last.icon, unreachable ? 0 : int(QMessageBox::Warning));
    QVERIFY2(last.text.contains(reason), qPrintable(last.text));
    QVERIFY(!last.text.isEmpty());
    // One failure message, and no "下載完成" before it.
    QCOMPARE(prompter.calls.size(), 1);
    QCOMPARE(fileBytes(victim), OldInstaller);

    if (setup == FolderBlocked) {
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("tool"))).isFile());
    } else {
        QCOMPARE(fileBytes(firmware), firmwareNew ? NewFirmware : OldFirmware);
        QCOMPARE(QDir(QFileInfo(firmware).absolutePath()).entryList(QDir::Files),
                 QStringList{"Vantor.RE.bin"});
    }
    if (setup == InstallerWontStart) {
        QCOMPARE(fileBytes(installer), NewInstaller);
        QCOMPARE(run.launched.size(), 1);
    } else {
        // Never replaced, never started.
        QCOMPARE(fileBytes(installer), OldInstaller);
        QVERIFY(run.launched.isEmpty());
    }
    QStringList left{"VantorCreator_Patch.exe"};
    if (setup == FolderBlocked)
        left << "tool";
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), left);
}

VC_TEST_MAIN(TestAbout)
#include "tst_about.moc"
