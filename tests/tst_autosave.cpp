#include "core/project/projectformat.h"
#include "core/project/recoverycopy.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/autosave.h"
#include "gui/project/projectfiles.h"
#include "testsupport/projectrig.h"
#include "testsupport/records.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"

#include <KAutoSaveFile>

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>

#include <cstdio>
#include <memory>

using vc::test::fileBytes;

namespace {

QByteArray colourRecord(int start, int end, QColor colour = QColor(255, 0, 128))
{
    return vc::test::colourMode(start, end, colour).encode();
}

// The project files area with recovery copies, as the window has them.
struct Editor
{
    vc::test::ProjectRig rig;
    vc::AutoSave autosave{{&rig.show, rig.tracks, rig.files, &rig.host}};
    Editor() { autosave.setDelays(20, 200); }
};

QString workDir()
{
    const QString dir = vc::test::testHome() + QStringLiteral("/work");
    QDir().mkpath(dir);
    return dir;
}

QString namedProject()
{
    return workDir() + QStringLiteral("/show.vtc3");
}

QString expectedFile()
{
    return workDir() + QStringLiteral("/expected.bin");
}

// Another editor, in a process of its own that shares this one's home.
// `role` says what it does before it prints "ready" and waits to be killed.
class OtherEditor
{
public:
    explicit OtherEditor(const QString &role)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(vc::test::SharedHomeVariable), vc::test::testHome());
        env.insert(QStringLiteral("VC_TEST_OTHER_EDITOR"), role);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("otherEditor")});
    }
    ~OtherEditor() { kill(); }

    bool waitUntilReady()
    {
        for (int i = 0; i < 600 && !m_output.contains("ready"); ++i) {
            m_process.waitForReadyRead(100);
            m_output += m_process.readAllStandardOutput();
            if (m_process.state() == QProcess::NotRunning)
                break;
        }
        return m_output.contains("ready");
    }
    // SIGKILL: nothing of the editor runs after it.
    void kill()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
    QByteArray m_output;
};

} // namespace

class TestAutoSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    // Run only as the other editor of a test, in a process of its own.
    void otherEditor();

    void killedEditorLeavesCopy_data();
    void killedEditorLeavesCopy();
    void copyGoesWithUnsavedChanges_data();
    void copyGoesWithUnsavedChanges();
    void copyNamingNoProjectAsksForName();
    void secondEditorWarned();
};

void TestAutoSave::initTestCase()
{
    // Taking hold of a copy that a running editor writes fails, as it
    // should; the library says so on the log.
    QLoggingCategory::setFilterRules(QStringLiteral("kf.coreaddons.warning=false"));
}

bool isOtherEditor()
{
    return !qEnvironmentVariableIsEmpty("VC_TEST_OTHER_EDITOR");
}

void TestAutoSave::init()
{
    // The other editor works on its parent's files.
    if (isOtherEditor())
        return;
    QDir(workDir()).removeRecursively();
    for (vc::FoundRecoveryCopy &f : vc::findRecoveryCopies())
        f.discard();
}

void TestAutoSave::cleanup()
{
    init();
}

void TestAutoSave::otherEditor()
{
    const QString role = qEnvironmentVariable("VC_TEST_OTHER_EDITOR");
    if (!isOtherEditor())
        QSKIP("only run as a test's second editor");
    Editor e;
    if (role == QLatin1String("open")) {
        QVERIFY(e.rig.files->loadFile(namedProject()));
    } else {
        if (role == QLatin1String("edit-named")) {
            e.rig.add(colourRecord(0, 1000));
            e.rig.prompter.fileNames << namedProject();
            QVERIFY(e.rig.files->saveAs());
        }
        e.rig.add(colourRecord(2000, 3000, Qt::green));
        e.rig.tracks->addTimeline(1);
        e.rig.add(colourRecord(500, 900, Qt::blue));
        e.rig.show.setLeds(36);
        QTRY_VERIFY(e.autosave.writer().written() > 0);
        e.autosave.writer().waitForIdle();
        QFile expected(expectedFile());
        QVERIFY(expected.open(QIODevice::WriteOnly));
        expected.write(vc::encodeProject(e.rig.files->projectData()));
    }
    std::printf("ready\n");
    std::fflush(stdout);
    // Killed from outside; ends by itself should the test be gone.
    QTest::qWait(60000);
}

void TestAutoSave::killedEditorLeavesCopy_data()
{
    QTest::addColumn<QString>("role");
    QTest::addColumn<int>("answer"); // 0 restore, 1 discard, 2 later
    QTest::newRow("named, restore") << "edit-named" << 0;
    QTest::newRow("untitled, restore") << "edit-untitled" << 0;
    QTest::newRow("untitled, discard") << "edit-untitled" << 1;
    QTest::newRow("untitled, later") << "edit-untitled" << 2;
}

// An editor killed with unsaved changes leaves a copy that the next editor
// offers and restores as the killed one had the project; the killed
// editor's mark on its project is taken over without a word.
void TestAutoSave::killedEditorLeavesCopy()
{
    QFETCH(QString, role);
    QFETCH(int, answer);
    const bool named = role == QLatin1String("edit-named");
    {
        OtherEditor killed(role);
        QVERIFY(killed.waitUntilReady());
        killed.kill();
    }
    const QByteArray expected = fileBytes(expectedFile());
    QVERIFY(!expected.isEmpty());
    const QByteArray saved = fileBytes(namedProject());

    Editor e;
    // The last project the editor had open, still there.
    if (!named) {
        QVERIFY(vc::saveProjectFile(namedProject(), vc::ProjectData()));
        e.rig.files->setCurrentFile(namedProject());
    }
    e.rig.prompter.choices << answer;
    e.autosave.offerRecovery();
    QCOMPARE(e.rig.prompter.count(QStringLiteral("choose")), 1);
    const auto &asked = e.rig.prompter.calls.constLast();
    QCOMPARE(asked.choices, QStringList({QStringLiteral("恢復"), QStringLiteral("捨棄"),
                                         QStringLiteral("稍後再說")}));
    QVERIFY2(
        asked.text.contains(named ? QStringLiteral("show.vtc3") : QStringLiteral("未命名專案")),
        qPrintable(asked.text));

    if (answer != 0) {
        QCOMPARE(e.rig.tracks->itemCount(), 0);
        QVERIFY(!e.rig.tracks->isModified());
        // Discarded, it is gone; kept for later, it is offered again.
        std::vector<vc::FoundRecoveryCopy> again = vc::findRecoveryCopies();
        QCOMPARE(int(again.size()), answer == 2 ? 1 : 0);
        return;
    }
    QCOMPARE(vc::encodeProject(e.rig.files->projectData()), expected);
    QVERIFY(e.rig.tracks->isModified());
    QCOMPARE(e.rig.files->hasFileName(), named);
    QCOMPARE(e.rig.files->projectPath(), named ? namedProject() : QString());
    QCOMPARE(e.rig.messages(), 0);
    // Restored, it is this editor's copy now: no other editor offers it.
    e.autosave.writer().waitForIdle();
    QVERIFY(vc::findRecoveryCopies().empty());
    if (named) {
        // The file still holds the last save until this editor saves.
        QVERIFY(saved != expected);
        QVERIFY(e.rig.files->save());
        QCOMPARE(e.rig.prompter.count(QStringLiteral("save")), 0);
        QCOMPARE(fileBytes(namedProject()), expected);
    } else {
        // Save asks, offering a new name beside the last project, not its name.
        QVERIFY(!e.rig.files->save());
        const QString offered = e.rig.prompter.calls.constLast().text;
        QCOMPARE(QFileInfo(offered).absolutePath(), workDir());
        QVERIFY2(offered.endsWith(".vtc3") && !QFileInfo::exists(offered), qPrintable(offered));
    }
}

// Anything could put a copy where copies are kept: one naming a file of the
// user's that is no project is shown with that file's whole path, and Save
// asks for a name instead of writing over that file.
void TestAutoSave::copyNamingNoProjectAsksForName()
{
    const QString notes = workDir() + QStringLiteral("/notes.txt");
    QFile file(notes);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("my notes");
    file.close();
    vc::RecoveryCopy copy;
    copy.projectPath = notes;
    copy.hasFileName = true;
    copy.writtenAt = QDateTime::currentDateTimeUtc();
    copy.session = "elsewhere";
    vc::ProjectData project;
    project.tracks = {{colourRecord(0, 1000)}};
    copy.project = vc::encodeProject(project);
    {
        KAutoSaveFile left(QUrl::fromLocalFile(notes));
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.write(vc::encodeRecoveryCopy(copy));
        left.close();
        left.setFileName(QString()); // left behind, as by an editor that crashed
    }

    Editor e;
    e.rig.prompter.choices << 0;
    e.autosave.offerRecovery();
    QVERIFY2(e.rig.prompter.calls.constLast().text.contains(QDir::toNativeSeparators(notes)),
             qPrintable(e.rig.prompter.calls.constLast().text));
    QCOMPARE(e.rig.tracks->itemCount(), 1);
    QVERIFY(!e.rig.files->hasFileName());
    QVERIFY(!e.rig.files->save());
    QCOMPARE(e.rig.prompter.count(QStringLiteral("save")), 1);
    QCOMPARE(fileBytes(notes), QByteArray("my notes"));
}

void TestAutoSave::copyGoesWithUnsavedChanges_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("normal close") << "close";
    QTest::newRow("save") << "save";
    QTest::newRow("new") << "new";
    QTest::newRow("load") << "load";
    QTest::newRow("cancelled new keeps it") << "cancelled new";
}

void TestAutoSave::copyGoesWithUnsavedChanges()
{
    QFETCH(QString, how);
    QVERIFY(vc::saveProjectFile(namedProject(), vc::ProjectData()));
    auto e = std::make_unique<Editor>();
    e->rig.add(colourRecord(0, 1000));
    QTRY_VERIFY(!e->autosave.writer().fileName().isEmpty());
    const QString copy = e->autosave.writer().fileName();
    QVERIFY(QFile::exists(copy));

    if (how == QLatin1String("close")) {
        e.reset();
        QVERIFY(!QFile::exists(copy));
        return;
    }
    if (how == QLatin1String("save")) {
        e->rig.prompter.fileNames << workDir() + QStringLiteral("/other.vtc3");
        QVERIFY(e->rig.files->save());
    } else if (how == QLatin1String("load")) {
        e->rig.prompter.buttons << QMessageBox::Yes;
        QVERIFY(e->rig.files->loadFile(namedProject()));
    } else {
        e->rig.prompter.buttons << (how == QLatin1String("new") ? QMessageBox::Yes
                                                                : QMessageBox::Cancel);
        e->rig.files->newProject();
    }
    const bool kept = how == QLatin1String("cancelled new");
    QTest::qWait(50);
    e->autosave.writer().waitForIdle();
    QCOMPARE(e->autosave.writer().fileName().isEmpty(), !kept);
    QCOMPARE(QDir(QFileInfo(copy).path()).entryList(QDir::Files).isEmpty(), !kept);
}

// Two editors on one project: the second is warned and may open it anyway,
// but then saves under another name only; once the first is gone (killed),
// its mark is taken over without a word.
void TestAutoSave::secondEditorWarned()
{
    vc::ProjectData project;
    project.leds = 80;
    project.frameRate = 2100.0f;
    project.tracks = {{colourRecord(0, 1000)}};
    QVERIFY(vc::saveProjectFile(namedProject(), project));
    const QByteArray before = fileBytes(namedProject());

    OtherEditor first(QStringLiteral("open"));
    QVERIFY(first.waitUntilReady());
    {
        vc::test::ProjectRig second;
        second.prompter.buttons << QMessageBox::Cancel;
        QVERIFY(!second.files->loadFile(namedProject()));
        QCOMPARE(second.messages(), 1);
        QVERIFY(second.prompter.calls.constLast().buttons.testFlag(QMessageBox::Open));
        QCOMPARE(second.tracks->itemCount(), 0);

        second.prompter.buttons << QMessageBox::Open;
        QVERIFY(second.files->loadFile(namedProject()));
        QCOMPARE(second.tracks->itemCount(), 1);
        QVERIFY(!second.files->hasFileName());
        // Save asks for a name, and not the first editor's file.
        second.add(colourRecord(2000, 3000));
        second.prompter.fileNames << namedProject();
        QVERIFY(!second.files->save());
        QCOMPARE(second.prompter.count(QStringLiteral("save")), 1);
        QCOMPARE(second.messages(), 3);
        QCOMPARE(fileBytes(namedProject()), before);
    }
    first.kill();
    vc::test::ProjectRig third;
    QVERIFY(third.files->loadFile(namedProject()));
    QCOMPARE(third.messages(), 0);
    QVERIFY(third.files->hasFileName());
}

VC_TEST_MAIN(TestAutoSave)
#include "tst_autosave.moc"
