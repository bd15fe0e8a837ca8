#include "core/app/appsettings.h"
#include "core/app/companionprogram.h"
#include "core/app/gadgets.h"
#include "core/model/show.h"
#include "core/timeline/timeaxis.h"
#include "gui/app/mainwindow.h"
#include "gui/app/startup.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QActionGroup>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTranslator>

using vc::GadgetInfo;

class TestGadgets : public QObject
{
    Q_OBJECT

private slots:
    void init() { vc::test::clearSettings(); }

    void parseCatalogue_data();
    void parseCatalogue();
    void builtInCatalogue();

    void firstRunWritesDefaults();
    void toolkitTranslated();
    void savedGadgetSelected_data();
    void savedGadgetSelected();
    void customKeepsValuesAndSetting();
    void languageChoiceWritesSetting_data();
    void languageChoiceWritesSetting();
    void companionProgramFound_data();
    void companionProgramFound();
};

void TestGadgets::parseCatalogue_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("lastLeds");
    QTest::addColumn<int>("lastRate");
    QTest::addColumn<QString>("lastName");

    QTest::newRow("crlf") << QByteArray("36,1333,A\r\n48,1100,B\r\n") << 2 << 48 << 1100 << "B";
    QTest::newRow("lf, no final newline") << QByteArray("1,2,x\n3,4,y") << 2 << 3 << 4 << "y";
    QTest::newRow("short line skipped") << QByteArray("1,2,x\n5,6\n") << 1 << 1 << 2 << "x";
    QTest::newRow("empty name kept") << QByteArray("7,8,\n") << 1 << 7 << 8 << "";
    QTest::newRow("bad number is 0") << QByteArray("x,9,z\n") << 1 << 0 << 9 << "z";
    QTest::newRow("empty") << QByteArray() << 0 << 0 << 0 << "";
}

void TestGadgets::parseCatalogue()
{
    QFETCH(QByteArray, text);
    QFETCH(int, rows);
    QBuffer buf(&text);
    buf.open(QIODevice::ReadOnly);
    const QVector<GadgetInfo> g = vc::parseGadgetCatalogue(buf);
    QCOMPARE(g.size(), rows);
    if (rows > 0) {
        QTEST(g.last().leds, "lastLeds");
        QTEST(g.last().frameRate, "lastRate");
        QTEST(g.last().name, "lastName");
    }
}

void TestGadgets::builtInCatalogue()
{
    const QVector<GadgetInfo> g = vc::loadGadgetCatalogue();
    QCOMPARE(g.size(), 6);
    QCOMPARE(g.at(0).leds, 36);
    QCOMPARE(g.at(0).frameRate, 1333);
    QCOMPARE(g.at(2).name, QStringLiteral("Vantor Rod Pro-80LED"));
    QCOMPARE(g.at(5).leds, 120);
    QCOMPARE(g.at(5).frameRate, 2100);
}

void TestGadgets::firstRunWritesDefaults()
{
    vc::test::ScriptedPrompter prompter;
    QTranslator tr;
    const int lang = vc::applyStartupSettings(*qApp, tr);
    QCOMPARE(lang, 1);
    QSettings s = vc::settings::open();
    QCOMPARE(s.value(vc::settings::Version).toDouble(), 3.21311);
    QCOMPARE(s.value(vc::settings::Language).toInt(), 1);
    QCOMPARE(s.value(vc::settings::Gadget).toInt(), 3);

    MainWindow w;
    auto *ui = w.form();
    QCOMPARE(ui->Leds->value(), 80);
    QCOMPARE(ui->FPS_V->value(), 2100);
    QCOMPARE(w.document()->leds(), qint16(80));
    QCOMPARE(w.document()->frameRate(), 2100.0f);
    QCOMPARE(ui->gadget_name->text(), QStringLiteral("Vantor Rod Pro-80LED"));
    QVERIFY(!ui->Leds->isEnabled());
    QVERIFY(!ui->FPS_V->isEnabled());
    QVERIFY(ui->actionChinese->isChecked());
    QCOMPARE(w.gadgetGroup()->checkedAction()->data().toInt(), 3);

    // The second start is not a first run any more.
    vc::settings::open().setValue(vc::settings::Gadget, 5);
    vc::applyStartupSettings(*qApp, tr);
    QCOMPARE(vc::settings::open().value(vc::settings::Gadget).toInt(), 5);
}

// The toolkit's own texts follow the interface language.
void TestGadgets::toolkitTranslated()
{
    QTranslator toolkit;
    QVERIFY(vc::installToolkitTranslation(*qApp, toolkit, vc::settings::LanguageChinese));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    QCoreApplication::removeTranslator(&toolkit);
    QTranslator none;
    QVERIFY(!vc::installToolkitTranslation(*qApp, none, vc::settings::LanguageEnglish));
}

void TestGadgets::savedGadgetSelected_data()
{
    QTest::addColumn<QVariant>("saved");
    QTest::addColumn<int>("leds");
    QTest::addColumn<int>("fps");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("checkedData"); // 0: nothing checked

    QTest::newRow("absent: custom") << QVariant() << 0 << 0 << true << -1;
    QTest::newRow("0: custom") << QVariant(0) << 0 << 0 << true << -1;
    QTest::newRow("1") << QVariant(1) << 36 << 1333 << false << 1;
    QTest::newRow("6") << QVariant(6) << 120 << 2100 << false << 6;
    QTest::newRow("7: outside") << QVariant(7) << 0 << 0 << false << 0;
    QTest::newRow("-1: outside") << QVariant(-1) << 0 << 0 << false << 0;
}

void TestGadgets::savedGadgetSelected()
{
    QFETCH(QVariant, saved);
    QFETCH(int, checkedData);
    vc::test::ScriptedPrompter prompter;
    QSettings s = vc::settings::open();
    s.setValue(vc::settings::Language, 1);
    if (saved.isValid())
        s.setValue(vc::settings::Gadget, saved);
    s.sync();

    MainWindow w;
    QTEST(w.form()->Leds->value(), "leds");
    QTEST(w.form()->FPS_V->value(), "fps");
    QTEST(w.form()->Leds->isEnabled(), "enabled");
    QTEST(w.form()->FPS_V->isEnabled(), "enabled");
    QAction *checked = w.gadgetGroup()->checkedAction();
    if (checkedData == 0)
        QVERIFY(!checked);
    else
        QCOMPARE(checked->data().toInt(), checkedData);
}

void TestGadgets::customKeepsValuesAndSetting()
{
    vc::test::ScriptedPrompter prompter;
    vc::settings::open().setValue(vc::settings::Gadget, 4);
    MainWindow w;
    QCOMPARE(w.form()->Leds->value(), 120);

    QAction *custom = w.gadgetGroup()->actions().first();
    custom->trigger();
    QVERIFY(w.form()->Leds->isEnabled());
    QVERIFY(w.form()->FPS_V->isEnabled());
    QCOMPARE(w.form()->Leds->value(), 120);
    QCOMPARE(w.form()->FPS_V->value(), 1800);
    QCOMPARE(w.form()->gadget_name->text(), QStringLiteral("Vantor Rod Pro-120LED"));
    QCOMPARE(vc::settings::open().value(vc::settings::Gadget).toInt(), 4);

    // Typed values become the shared values.
    w.form()->Leds->setValue(200);
    w.form()->FPS_V->setValue(1501);
    QCOMPARE(w.document()->leds(), qint16(200));
    QCOMPARE(w.document()->frameRate(), 1501.0f);

    // Picking a catalogue row writes its number.
    w.gadgetGroup()->actions().at(2)->trigger();
    QCOMPARE(vc::settings::open().value(vc::settings::Gadget).toInt(), 2);
    QCOMPARE(w.form()->Leds->value(), 48);
    QVERIFY(!w.form()->Leds->isEnabled());
}

void TestGadgets::languageChoiceWritesSetting_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("message");
    QTest::newRow("english") << "actionEnglish" << 2 << "Change after restart.";
    QTest::newRow("chinese") << "actionChinese" << 1 << "重啟程式後生效";
}

void TestGadgets::languageChoiceWritesSetting()
{
    QFETCH(QString, action);
    vc::test::ScriptedPrompter prompter;
    MainWindow w;
    const QString before = w.form()->Add_Button->text();
    prompter.calls.clear();
    w.findChild<QAction *>(action)->trigger();
    QTEST(vc::settings::open().value(vc::settings::Language).toInt(), "value");
    QCOMPARE(prompter.messageTexts().size(), 1);
    QTEST(prompter.messageTexts().first(), "message");
    QCOMPARE(prompter.calls.first().title, QString());
    // Nothing changes before the next start.
    QCOMPARE(w.form()->Add_Button->text(), before);
}

VC_TEST_MAIN(TestGadgets)
// The editor finds the updater beside itself (a build folder) or, installed,
// in the programs' private folder; a file there that cannot run is passed
// over.
void TestGadgets::companionProgramFound_data()
{
    QTest::addColumn<QStringList>("executables");
    QTest::addColumn<QStringList>("plainFiles");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("expected"); // relative to the prefix; empty: not found

    const QString bin = QStringLiteral("bin/");
    const QString priv = QStringLiteral("libexec/vantorcreator/");
    const QString updater = QStringLiteral("updater");
    const QStringList none;
    QTest::newRow("beside") << QStringList{bin + updater} << none << none << bin + updater;
    QTest::newRow("installed") << QStringList{priv + updater} << none << none << priv + updater;
    QTest::newRow("beside first") << QStringList{bin + updater, priv + updater} << none << none
                                  << bin + updater;
    QTest::newRow("beside not executable")
        << QStringList{priv + updater} << QStringList{bin + updater} << none << priv + updater;
    QTest::newRow("a folder of that name")
        << none << none << QStringList{bin + updater, priv + updater} << QString();
    QTest::newRow("nowhere") << none << none << none << QString();
}

void TestGadgets::companionProgramFound()
{
    QFETCH(QStringList, executables);
    QFETCH(QStringList, plainFiles);
    QFETCH(QStringList, folders);
    QFETCH(QString, expected);
#ifdef Q_OS_WIN
    QSKIP("Windows programs are known by their name, not their permissions");
#endif
    QTemporaryDir prefix;
    QVERIFY(prefix.isValid());
    const QDir root(prefix.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    QVERIFY(root.mkpath(QStringLiteral("libexec/vantorcreator")));
    for (const QString &path : qAsConst(folders))
        QVERIFY(root.mkpath(path));
    auto make = [&root](const QString &path, bool executable) {
        QFile f(root.filePath(path));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
        f.close();
        QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            p |= QFile::ExeOwner;
        QVERIFY(f.setPermissions(p));
    };
    for (const QString &path : qAsConst(executables))
        make(path, true);
    for (const QString &path : qAsConst(plainFiles))
        make(path, false);

    const QString found =
        vc::companionProgramPath(root.filePath(QStringLiteral("bin")), QStringLiteral("updater"));
    QCOMPARE(found, expected.isEmpty() ? expected : root.filePath(expected));
}

#include "tst_gadgets.moc"
