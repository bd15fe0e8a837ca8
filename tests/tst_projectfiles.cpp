#include "core/app/appsettings.h"
#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "core/project/legacyproject.h"
#include "core/project/project.h"
#include "core/project/projectextras.h"
#include "core/project/projectformat.h"
#include "core/project/projectlock.h"
#include "core/project/showproject.h"
#include "core/timeline/timeaxis.h"
#include "gui/app/mainwindow.h"
#include "gui/app/startup.h"
#include "gui/model/editorpanel.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/projectfiles.h"
#include "gui/timeline/smallwidgets.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "testsupport/projectrig.h"
#include "testsupport/records.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QFile>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <optional>

using vc::ProjectFiles;
using vc::test::ProjectRig;

Q_DECLARE_METATYPE(QMessageBox::StandardButton)

using vc::test::fileBytes;
using vc::test::writeFile;

namespace {

QByteArray colourRecord(int start, int end, QColor colour = QColor(255, 0, 128))
{
    vc::ModeRecord r = vc::test::colourMode(start, end, colour);
    r.loops = 3;
    return r.encode();
}

QByteArray pictureRecord(int start, int end, const QString &path)
{
    vc::ModeRecord r;
    r.thumb = QImage(120, 85, QImage::Format_RGB32);
    r.thumb.fill(Qt::darkCyan);
    r.start = start;
    r.end = end;
    r.loops = 2;
    r.kind = vc::Picture;
    r.params = vc::pictureParams(2, path, 0, false, false);
    return r.encode();
}

QString writePicture(const QString &path, QColor colour = Qt::red)
{
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(colour);
    img.save(path);
    return path;
}

struct Window
{
    explicit Window(const QString &projectFile = QString())
    {
        vc::test::clearSettings();
        // The third catalogue gadget: 80 LEDs at 2100 frames per second.
        vc::settings::open().setValue(vc::settings::Gadget, 3);
        w.reset(new MainWindow(nullptr, projectFile));
    }
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<MainWindow> w;

    Ui::MainWindow *ui() { return w->form(); }
    vc::TracksController *tracks() { return w->tracks(); }
    ProjectFiles *files() { return w->projectFiles(); }
    Timeline *current() { return tracks()->currentTrack(); }

    void add(const QByteArray &record, Timeline *track = nullptr)
    {
        vc::test::addRecord(tracks(), record, track);
    }
    QString layout() { return vc::test::trackLayout(tracks()); }
    QString checkedGadget()
    {
        QAction *a = w->gadgetGroup()->checkedAction();
        return a ? a->text() : QString();
    }
    int messages() { return prompter.count(QStringLiteral("message")); }
    QString lastMessage()
    {
        const QStringList texts = prompter.messageTexts();
        return texts.isEmpty() ? QString() : texts.last();
    }
};

// One case through either door: the whole window ("window"), or the
// project files on a rig of their own ("files"). Only one of them is made,
// so that only one prompter answers.
struct Door
{
    explicit Door(const QString &name)
    {
        if (name == QLatin1String("window"))
            win.emplace();
        else
            rig.emplace();
    }
    std::optional<Window> win;
    std::optional<ProjectRig> rig;

    bool isWindow() const { return win.has_value(); }
    ProjectFiles *files() { return win ? win->files() : rig->files; }
    vc::TracksController *tracks() { return win ? win->tracks() : rig->tracks; }
    vc::Show *show() { return win ? win->w->document() : &rig->show; }
    vc::test::ScriptedPrompter &prompter() { return win ? win->prompter : rig->prompter; }
    Timeline *current() { return tracks()->currentTrack(); }
    void add(const QByteArray &record, Timeline *track = nullptr)
    {
        vc::test::addRecord(tracks(), record, track);
    }
    QString layout() { return vc::test::trackLayout(tracks()); }
    int messages() { return prompter().count(QStringLiteral("message")); }
    QString lastMessage()
    {
        const QStringList texts = prompter().messageTexts();
        return texts.isEmpty() ? QString() : texts.last();
    }
};

// A project file of the current format with the given tracks.
QString writeProject(const QString &path, qint16 leds, float rate,
                     const QVector<QVector<QByteArray>> &tracks, const QString &song = QString())
{
    vc::ProjectData p;
    p.leds = leds;
    p.frameRate = rate;
    p.songPath = song;
    p.tracks = tracks;
    QString error;
    if (!vc::saveProjectFile(path, p, &error))
        qFatal("cannot write test project: %s", qPrintable(error));
    return path;
}

} // namespace

class TestProjectFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();

    // New and Save
    void newProject_data();
    void newProject();
    void newProjectUnchanged();
    void windowFollowsNewProject_data();
    void windowFollowsNewProject();
    void saveAsNaming_data();
    void saveAsNaming();
    void windowTitleFollowsProject();
    void saveWithoutNameAsksForOne();
    void noSongHeaderBytes_data();
    void noSongHeaderBytes();

    // Load
    void gadgetMatching_data();
    void gadgetMatching();
    void emptyMiddleTrackKeepsNumbers();
    void roundTripIsByteIdentical_data();
    void roundTripIsByteIdentical();
    void formatChosenByName_data();
    void formatChosenByName();
    void unreadableFileKeepsProject_data();
    void unreadableFileKeepsProject();
    void extrasBesideTheProject();
    void truncatedFileLoadsWholeRecords();
    void damagedThumbLoadsAndIsReported();
    void thumbNoEditorMakesIsDamage();
    void loadIsNotReentered();
    void failedSaveReported();
    void closeQuestion_data();
    void closeQuestion();

    // The old format
    void legacyImportAllKinds();
    void legacyImportLeavesEditorPanel();
    void legacyColourLineKeepsRepeatCount_data();
    void legacyColourLineKeepsRepeatCount();
    void legacyLinesThatCannotBeMade();
    void legacySaveAsksForNewName();

    // Pictures
    void missingPicturesCountedAndReplaced_data();
    void missingPicturesCountedAndReplaced();
    void replaceCancelledChangesNothing_data();
    void replaceCancelledChangesNothing();
    void exportLibraryCopiesOnceNeverOverwrites_data();
    void exportLibraryCopiesOnceNeverOverwrites();

    // Drop and command line
    void droppedProject_data();
    void droppedProject();
    void commandLineProject();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) { return m_dir.filePath(name); }
};

namespace {

// The door column of a case run through the window and through the
// project files' own interface alike.
void addDoorColumn()
{
    QTest::addColumn<QString>("door");
}

const char *const Doors[] = {"window", "files"};

// An old project with a line of every kind; the picture line names `picture`.
QByteArray allKindsText(const QString &picture)
{
    return "36><1333><ignored\r\n"
           "00:01.000><00:03.000><0?4?" +
           picture.toUtf8() +
           "?20|1|0\r\n"
           "00:03.000><00:04.000><1?#ff0000\r\n"
           "\r\n" // holds no mode: no message about it
           "00:04.000><00:06.000><2?5?#00ff00|#000000|HELLO|0|5?7|1|0\r\n"
           "00:06.000><00:08.000><3?6?#0000ff|#ffffff|4|1|3?0|1|1\r\n";
}

} // namespace

void TestProjectFiles::init()
{
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
    vc::test::clearSettings();
}

// ---------------------------------------------------------------- new

void TestProjectFiles::newProject_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("renewed");
    QTest::newRow("yes") << QMessageBox::Yes << true;
    QTest::newRow("cancel") << QMessageBox::Cancel << false;
}

void TestProjectFiles::newProject()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, renewed);
    ProjectRig rig;
    rig.prompter.fileNames << path(QStringLiteral("a.vtc3"));
    rig.add(colourRecord(0, 1000));
    rig.tracks->addTimeline(1);
    rig.add(colourRecord(2000, 3000));
    QVERIFY(rig.files->saveAs());
    rig.add(colourRecord(5000, 6000));
    QVERIFY(rig.tracks->history().size() > 1);
    rig.titles->clear();

    rig.prompter.buttons << answer;
    QCOMPARE(rig.files->newProject(), renewed);
    const auto call = rig.prompter.calls.last();
    QCOMPARE(call.text,
             QStringLiteral("<font color='white'>未儲存部分將會流失，確定開啟新檔?</font>"));
    QCOMPARE(call.defaultButton, QMessageBox::Cancel);
    QCOMPARE(call.parent, &rig.host);

    // Yes starts the history again; Cancel keeps it, so the edits before
    // can still be undone.
    QCOMPARE(rig.tracks->history().size() == 1, renewed);
    QCOMPARE(rig.tracks->history().canUndo(), !renewed);
    QCOMPARE(rig.replaced->size(), renewed ? 1 : 0);
    if (renewed) {
        QCOMPARE(rig.layoutText(), QStringLiteral("1:"));
        QCOMPARE(rig.title(), QStringLiteral("VantorCreator"));
        QVERIFY(!rig.files->hasFileName());
        // The project path stays: the next Save As starts there.
        QCOMPARE(rig.files->currentFile(), path(QStringLiteral("a.vtc3")));
    } else {
        QCOMPARE(rig.layoutText(), QStringLiteral("1:0 2:2000,5000"));
        QVERIFY(rig.files->hasFileName());
        QVERIFY(rig.titles->isEmpty());
        // The changes are still unsaved: closing will ask.
        QVERIFY(rig.tracks->isModified());
    }
}

// A project with nothing unsaved is replaced without a question.
void TestProjectFiles::newProjectUnchanged()
{
    ProjectRig rig;
    QVERIFY(rig.files->newProject());
    QVERIFY(rig.prompter.calls.isEmpty());
    rig.prompter.fileNames << path(QStringLiteral("b.vtc3"));
    rig.add(colourRecord(0, 1000));
    QVERIFY(rig.files->saveAs());
    rig.prompter.calls.clear();
    QVERIFY(rig.files->newProject());
    QCOMPARE(rig.messages(), 0);
}

// The window starts its mode fields and title again with the project.
void TestProjectFiles::windowFollowsNewProject_data()
{
    newProject_data();
}

void TestProjectFiles::windowFollowsNewProject()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, renewed);
    Window win;
    win.prompter.fileNames << path(QStringLiteral("a.vtc3"));
    win.add(colourRecord(0, 1000));
    QVERIFY(win.files()->saveAs());
    win.add(colourRecord(5000, 6000));
    win.ui()->Mode_t1->setTime(QTime(0, 1));

    win.prompter.buttons << answer;
    win.ui()->actionNew->trigger();
    QCOMPARE(win.prompter.count(QStringLiteral("message")), 1);
    QCOMPARE(win.tracks()->history().canUndo(), !renewed);
    if (renewed) {
        QCOMPARE(win.layout(), QStringLiteral("1:"));
        QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator"));
        QCOMPARE(win.ui()->Mode_t1->time(), QTime(0, 0));
        QCOMPARE(win.ui()->Mode_t2->time(), QTime(0, 0, 5));
        QCOMPARE(win.w->currentFile(), path(QStringLiteral("a.vtc3")));
    } else {
        QCOMPARE(win.layout(), QStringLiteral("1:0,5000"));
        QVERIFY(win.w->windowTitle().endsWith(QLatin1Char('*')));
        QCOMPARE(win.ui()->Mode_t1->time(), QTime(0, 1));
    }
}

// ---------------------------------------------------------------- save

void TestProjectFiles::saveAsNaming_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("stored");
    QTest::newRow("suffix appended") << "show"
                                     << "show.vtc3";
    QTest::newRow("suffix kept") << "show.vtc3"
                                 << "show.vtc3";
    QTest::newRow("suffix anywhere") << "show.vtc3.bak"
                                     << "show.vtc3.bak";
    QTest::newRow("upper case is no suffix") << "show.VTC3"
                                             << "show.VTC3.vtc3";
}

void TestProjectFiles::saveAsNaming()
{
    QFETCH(QString, chosen);
    QFETCH(QString, stored);
    ProjectRig rig;
    rig.add(colourRecord(0, 1000));
    QVERIFY(rig.tracks->isModified());
    rig.prompter.fileNames << path(chosen);
    QVERIFY(rig.files->saveAs());

    const auto dialog = rig.prompter.calls.last();
    QCOMPARE(dialog.kind, QStringLiteral("save"));
    QCOMPARE(dialog.title, QStringLiteral("存檔"));
    QCOMPARE(dialog.filter, QStringLiteral("*.vtc3"));
    QCOMPARE(dialog.parent, &rig.host);
    QVERIFY(QFile::exists(path(stored)));
    QCOMPARE(rig.files->currentFile(), path(stored));
    QCOMPARE(vc::settings::open().value(vc::settings::CurrentFile).toString(), path(stored));
    // Two trailing spaces: the unsaved mark has a place to go.
    QCOMPARE(rig.title(), QStringLiteral("VantorCreator - ") + stored + "  ");
    QVERIFY(!rig.tracks->isModified());
    rig.add(colourRecord(2000, 3000));
    QVERIFY(rig.tracks->isModified());

    // A cancelled dialog writes nothing and names nothing.
    QFile::remove(path(stored));
    QVERIFY(!rig.files->saveAs());
    QVERIFY(!QFile::exists(path(stored)));
    QCOMPARE(rig.project.path(), path(stored));
}

// The window's title through saves, edits and loads: the project's name,
// the unsaved mark after an edit, untouched by a load or save that fails.
void TestProjectFiles::windowTitleFollowsProject()
{
    Window win;
    QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator"));
    win.add(colourRecord(0, 1000));
    // The plain program name is never marked.
    QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator"));

    win.prompter.fileNames << path(QStringLiteral("show.vtc3"));
    win.ui()->actionSaveas->trigger();
    QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator - show.vtc3  "));
    win.add(colourRecord(2000, 3000));
    QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator - show.vtc3 *"));

    win.w->LoadFile(path(QStringLiteral("none.vtc3")));
    QCOMPARE(win.messages(), 1);
    QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator - show.vtc3 *"));

    const QString other =
        writeProject(path(QStringLiteral("other.vtc3")), 80, 2100.0f, {{colourRecord(0, 500)}});
    win.w->LoadFile(other);
    QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator - other.vtc3  "));
    // Picture dialogs still open in the picture folder, with no file name
    // filled in (not the project's).
    const QString pictures = win.w->currentPicPath();
    QVERIFY(QFileInfo(pictures).isDir());
    win.ui()->Pic_Loads->click();
    QCOMPARE(win.prompter.calls.last().text, pictures);

    win.add(colourRecord(1000, 1500));
    writeFile(path(QStringLiteral("plain")), "x");
    win.prompter.fileNames << path(QStringLiteral("plain/x.vtc3"));
    win.ui()->actionSaveas->trigger();
    QCOMPARE(win.messages(), 2);
    QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator - other.vtc3 *"));
}

void TestProjectFiles::saveWithoutNameAsksForOne()
{
    ProjectRig rig;
    QVERIFY(!rig.files->hasFileName());
    rig.files->setCurrentFile(QString());
    QVERIFY(!rig.files->save()); // no name chosen
    QCOMPARE(rig.prompter.calls.last().kind, QStringLiteral("save"));
    QCOMPARE(rig.prompter.calls.last().text, vc::settings::defaultDocumentsPath());

    rig.prompter.fileNames << path(QStringLiteral("b"));
    QVERIFY(rig.files->save());
    QVERIFY(rig.files->hasFileName());
    const int dialogs = rig.prompter.count(QStringLiteral("save"));
    QVERIFY(rig.files->save()); // named now: no dialog
    QCOMPARE(rig.prompter.count(QStringLiteral("save")), dialogs);
}

void TestProjectFiles::noSongHeaderBytes_data()
{
    addDoorColumn();
    for (const char *door : Doors)
        QTest::newRow(door) << QString::fromLatin1(door);
}

void TestProjectFiles::noSongHeaderBytes()
{
    QFETCH(QString, door);
    Door d(door);
    d.prompter().fileNames << path(QStringLiteral("h.vtc3"));
    if (d.isWindow()) {
        // The first catalogue gadget: 36 LEDs at 1333.
        emit d.win->w->gadgetGroup()->actions().at(1)->triggered(true);
    } else {
        d.show()->setLeds(36);
        d.show()->setFrameRate(1333.0f);
    }
    QVERIFY(d.files()->saveAs());
    const QByteArray bytes = fileBytes(path(QStringLiteral("h.vtc3")));
    QCOMPARE(bytes.toHex(' '),
             QByteArray("00 24 40 94 d4 00 00 00 00 00 00 00 00 08 00 6e 00 75 00 6c 00 6c"));
}

// ---------------------------------------------------------------- load

// Through the window the loaded prop selects its gadget; the project files
// ask for it with the file's values.
void TestProjectFiles::gadgetMatching_data()
{
    addDoorColumn();
    QTest::addColumn<int>("leds");
    QTest::addColumn<float>("rate");
    QTest::addColumn<QString>("gadget");
    QTest::addColumn<int>("fps");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QString>("oldFormatGadget"); // the rate read as a whole number
    for (const char *door : Doors) {
        const QString d = QString::fromLatin1(door);
        const auto row = [door](const char *name) { return QByteArray(door) + ": " + name; };
        QTest::newRow(row("first row").constData())
            << d << 36 << 1333.0f << "Vantor Rod-36LED" << 1333 << false << "Vantor Rod-36LED";
        QTest::newRow(row("other row").constData())
            << d << 120 << 1800.0f << "Vantor Rod Pro-120LED" << 1800 << false
            << "Vantor Rod Pro-120LED";
        QTest::newRow(row("no row").constData())
            << d << 50 << 1234.0f << "自訂..." << 1234 << true << "自訂...";
        QTest::newRow(row("rate not whole").constData())
            << d << 36 << 1333.5f << "自訂..." << 1333 << true << "Vantor Rod-36LED";
    }
}

void TestProjectFiles::gadgetMatching()
{
    QFETCH(QString, door);
    QFETCH(int, leds);
    QFETCH(float, rate);
    QFETCH(QString, gadget);
    QFETCH(int, fps);
    QFETCH(bool, editable);
    const QString file =
        writeProject(path(QStringLiteral("g.vtc3")), qint16(leds), rate, {{colourRecord(0, 1000)}});
    writeFile(path(QStringLiteral("g.vtc")),
              QByteArray::number(leds) + "><" + QByteArray::number(fps) + "\r\n");

    if (door == QLatin1String("files")) {
        {
            ProjectRig rig;
            QVERIFY(rig.files->loadFile(file));
            QCOMPARE(rig.props->size(), 1);
            const QList<QVariant> prop = rig.props->first();
            QCOMPARE(prop.at(0).toInt(), leds);
            QCOMPARE(prop.at(1).toFloat(), rate);
            QCOMPARE(prop.at(2).toBool(), false);
            QCOMPARE(int(rig.show.leds()), leds);
        }
        // The old format compares whole numbers.
        ProjectRig old;
        QVERIFY(old.files->loadFile(path(QStringLiteral("g.vtc"))));
        QCOMPARE(old.props->size(), 1);
        const QList<QVariant> prop = old.props->first();
        QCOMPARE(prop.at(0).toInt(), leds);
        QCOMPARE(prop.at(1).toFloat(), float(fps));
        QCOMPARE(prop.at(2).toBool(), true);
        return;
    }

    Window win;
    QCOMPARE(win.checkedGadget(), QStringLiteral("Vantor Rod Pro-80LED"));
    win.w->LoadFile(file);
    QCOMPARE(win.checkedGadget(), gadget);
    QCOMPARE(win.ui()->Leds->value(), leds);
    QCOMPARE(win.ui()->FPS_V->value(), fps);
    QCOMPARE(win.ui()->Leds->isEnabled(), editable);
    QCOMPARE(int(win.w->document()->leds()), leds);
    QCOMPARE(win.ui()->timeline_scaler->value(), win.ui()->timeline_scaler->minimum());

    // The old format compares whole numbers.
    Window old;
    old.w->LoadFile(path(QStringLiteral("g.vtc")));
    QTEST(old.checkedGadget(), "oldFormatGadget");
    QCOMPARE(old.ui()->FPS_V->value(), fps);
}

void TestProjectFiles::emptyMiddleTrackKeepsNumbers()
{
    {
        ProjectRig rig;
        rig.add(colourRecord(0, 1000));
        rig.add(colourRecord(1000, 2000));
        rig.tracks->addTimeline(1);
        Timeline *c = rig.tracks->addTimeline(1);
        rig.add(colourRecord(500, 900), c);
        QCOMPARE(rig.layoutText(), QStringLiteral("1:0,1000 2: 3:500"));

        rig.prompter.fileNames << path(QStringLiteral("three.vtc3"));
        QVERIFY(rig.files->saveAs());
    }
    const vc::ProjectReadResult read = vc::loadProjectFile(path(QStringLiteral("three.vtc3")));
    QVERIFY(read.status.ok());
    QCOMPARE(read.project.tracks.size(), 3);
    QCOMPARE(read.project.tracks.at(1).size(), 0);
    // Between the records of A and C: two separators and nothing else.
    const QByteArray bytes = fileBytes(path(QStringLiteral("three.vtc3")));
    QVERIFY(bytes.contains(QByteArray::fromHex("000000044e455854000000044e455854")));

    ProjectRig loaded;
    QVERIFY(loaded.files->loadFile(path(QStringLiteral("three.vtc3"))));
    QCOMPARE(loaded.layoutText(), QStringLiteral("1:0,1000 2: 3:500"));
    // The lowest track holding modes is current (export and upload take
    // it), not the last one read.
    QCOMPARE(loaded.tracks->trackNumber(loaded.current()), 1);
    ProjectRig second;
    QVERIFY(second.files->loadFile(writeProject(path(QStringLiteral("middle.vtc3")), 36, 1333.0f,
                                                {{}, {colourRecord(0, 500)}, {}})));
    QCOMPARE(second.tracks->trackNumber(second.current()), 2);
    QCOMPARE(loaded.title(), QStringLiteral("VantorCreator - three.vtc3  "));
    QCOMPARE(loaded.replaced->size(), 1);
    QCOMPARE(loaded.loaded->size(), 1);
    QCOMPARE(loaded.tracks->history().size(), 1);
    QVERIFY(!loaded.tracks->isModified());
    QVERIFY(loaded.files->hasFileName());
    // Picture dialogs still open where pictures were loaded, not at the
    // project file.
    QVERIFY(loaded.pictures.path().isEmpty());
    // The track area, held still while the tracks were made, paints again.
    QVERIFY(loaded.area->updatesEnabled());
}

void TestProjectFiles::roundTripIsByteIdentical_data()
{
    addDoorColumn();
    for (const char *door : Doors)
        QTest::newRow(door) << QString::fromLatin1(door);
}

// Through the window the loaded song reaches the song loader; the show keeps
// naming it for the next save, even where it cannot be read.
void TestProjectFiles::roundTripIsByteIdentical()
{
    QFETCH(QString, door);
    const QString song = path(QStringLiteral("song.mp3"));
    Door d(door);
    d.show()->setSongPath(song);
    d.add(colourRecord(0, 1000, Qt::red));
    d.add(pictureRecord(1000, 2500, writePicture(path(QStringLiteral("p.png")))));
    d.tracks()->addTimeline(1);
    d.add(colourRecord(300, 800, Qt::blue));
    d.prompter().fileNames << path(QStringLiteral("one.vtc3"));
    QVERIFY(d.files()->saveAs());

    const QByteArray first = fileBytes(path(QStringLiteral("one.vtc3")));

    Door loaded(door);
    if (loaded.isWindow()) {
        loaded.win->w->LoadFile(path(QStringLiteral("one.vtc3")));
        QCOMPARE(loaded.win->w->songPath(), song);
    } else {
        QVERIFY(loaded.files()->loadFile(path(QStringLiteral("one.vtc3"))));
        QCOMPARE(loaded.rig->songs->size(), 1);
        QCOMPARE(loaded.rig->songs->first().at(0).toString(), song);
    }
    QCOMPARE(loaded.show()->songPath(), song);
    QCOMPARE(loaded.layout(), QStringLiteral("1:0,1000 2:300"));
    QVERIFY(loaded.files()->save());
    QCOMPARE(fileBytes(path(QStringLiteral("one.vtc3"))), first);

    // A project without a song, in either format, takes the song away.
    writeProject(path(QStringLiteral("none.vtc3")), 80, 2100.0f, {{colourRecord(0, 1000)}});
    writeFile(path(QStringLiteral("none.vtc")), "80><2100\n");
    for (const QString &name : {QStringLiteral("none.vtc3"), QStringLiteral("none.vtc")}) {
        loaded.show()->setSongPath(song);
        QVERIFY(loaded.files()->loadFile(path(name)));
        QCOMPARE(loaded.show()->songPath(), QString());
        QVERIFY(!loaded.isWindow() || loaded.win->ui()->Song_dir->text() == QLatin1String("..."));
    }
}

void TestProjectFiles::formatChosenByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("current");
    QTest::newRow("vtc3") << "a.vtc3" << true;
    QTest::newRow("vtc3 inside the name") << "a.vtc3.bak" << true;
    QTest::newRow("upper case") << "a.VTC3" << false;
    QTest::newRow("vtc") << "a.vtc" << false;
}

void TestProjectFiles::formatChosenByName()
{
    QFETCH(QString, name);
    QFETCH(bool, current);
    // The same bytes, read by the name's format: the current format gives
    // the record, the old format reads the binary as text and makes nothing.
    writeProject(path(name), 36, 1333.0f, {{colourRecord(0, 1000)}});
    ProjectRig rig;
    rig.files->loadFile(path(name));
    QCOMPARE(rig.tracks->itemCount(), current ? 1 : 0);
    QCOMPARE(rig.imports.size(), current ? 0 : 1);
}

void TestProjectFiles::unreadableFileKeepsProject_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("folder");
    QTest::newRow("missing current") << "none.vtc3" << false;
    QTest::newRow("missing old") << "none.vtc" << false;
    QTest::newRow("folder current") << "dir.vtc3" << true;
    QTest::newRow("folder old") << "dir.vtc" << true;
    QTest::newRow("empty current") << "empty.vtc3" << false;
    QTest::newRow("empty current, busy: asked before read") << "empty busy.vtc3" << false;
}

void TestProjectFiles::unreadableFileKeepsProject()
{
    QFETCH(QString, name);
    QFETCH(bool, folder);
    if (folder)
        QDir().mkpath(path(name));
    if (name.startsWith(QLatin1String("empty")))
        writeFile(path(name), QByteArray());
    ProjectRig rig;
    rig.prompter.fileNames << path(QStringLiteral("keep.vtc3"));
    rig.add(colourRecord(0, 1000));
    QVERIFY(rig.files->saveAs());
    rig.add(colourRecord(2000, 3000));
    rig.titles->clear();
    const int history = rig.tracks->history().size();
    const bool elsewhere = name.contains(QLatin1String("busy"));
    if (elsewhere) { // an editor on another machine: its mark is never stale
        const QString lock = vc::ProjectLock::lockFileFor(path(name));
        QDir().mkpath(QFileInfo(lock).absolutePath());
        writeFile(lock, "1\nVantorCreator\nanother-host\n");
    }

    QVERIFY(!rig.files->loadFile(path(name)));
    QCOMPARE(rig.messages(), 1);
    QVERIFY(rig.lastMessage().contains(path(name).toHtmlEscaped()));
    QCOMPARE(rig.lastMessage().contains(QStringLiteral("另一個編輯器")), elsewhere);
    QCOMPARE(rig.layoutText(), QStringLiteral("1:0,2000"));
    // Nothing is announced: the window keeps its title, prop and panel.
    QVERIFY(rig.titles->isEmpty());
    QVERIFY(rig.replaced->isEmpty());
    QVERIFY(rig.props->isEmpty());
    QVERIFY(rig.loaded->isEmpty());
    QCOMPARE(rig.files->currentFile(), path(QStringLiteral("keep.vtc3")));
    QVERIFY(rig.files->hasFileName());
    QCOMPARE(rig.tracks->history().size(), history);
    QVERIFY(rig.tracks->isModified());
}

// The beat grid and the props live beside the project: saved with it,
// loaded with it, undone as edits; the project file itself stays what every
// reader of it reads, and the command-line tool's reading gives the same
// show as the editor's.
void TestProjectFiles::extrasBesideTheProject()
{
    const QString file = path(QStringLiteral("troupe.vtc3"));
    const vc::ProjectExtras extras{QJsonObject{{"bpm", 120}},
                                   {{1, QStringLiteral("Ana"), QStringLiteral("/dev/ttyACM0")}},
                                   QJsonObject{{"later", true}}};
    {
        ProjectRig rig;
        rig.add(colourRecord(2000, 3000));
        rig.add(colourRecord(0, 1000));
        rig.project.setExtras(extras);
        rig.project.flush();
        QVERIFY(rig.project.isModified());
        rig.prompter.fileNames << file;
        QVERIFY(rig.files->saveAs());
        QVERIFY(QFile::exists(vc::extrasPathFor(file)));
        QVERIFY(vc::loadProjectFile(file).status.ok());
    }
    ProjectRig rig;
    QVERIFY(rig.files->loadFile(file));
    QCOMPARE(rig.project.extras(), extras);
    QVERIFY(!rig.project.canUndo());
    vc::Project tool;
    QString error;
    QVERIFY(vc::readProject(file, &tool, &error).status.ok());
    QCOMPARE(vc::encodeProject(vc::projectOf(*tool.show())),
             vc::encodeProject(vc::projectOf(rig.show)));
    QCOMPARE(tool.extras(), extras);

    rig.project.setProps({});
    rig.project.flush();
    QVERIFY(rig.project.undo());
    QCOMPARE(rig.project.props(), extras.props);
    // Nothing left to keep beside it: the file goes.
    rig.project.setExtras({});
    QVERIFY(rig.files->save());
    QVERIFY(!QFile::exists(vc::extrasPathFor(file)));
    // One that cannot be read is reported; the project loads all the same.
    writeFile(vc::extrasPathFor(file), "{");
    QVERIFY(rig.files->loadFile(file));
    QCOMPARE(rig.messages(), 1);
    QVERIFY(rig.lastMessage().contains(QStringLiteral("節拍與道具分配")));
}

void TestProjectFiles::truncatedFileLoadsWholeRecords()
{
    const QString file =
        writeProject(path(QStringLiteral("cut.vtc3")), 80, 2100.0f,
                     {{colourRecord(0, 1000), colourRecord(1000, 2000), colourRecord(2000, 3000)}});
    QByteArray bytes = fileBytes(file);
    bytes.chop(10);
    writeFile(file, bytes);

    ProjectRig rig;
    QVERIFY(rig.files->loadFile(file));
    QCOMPARE(rig.layoutText(), QStringLiteral("1:0,1000"));
    QCOMPARE(rig.messages(), 1);
    QVERIFY(rig.lastMessage().contains(QStringLiteral("不完整或已損壞")));
    // Saving over it would drop the damaged rest: Save asks for a name.
    QVERIFY(!rig.files->hasFileName());
    QVERIFY(!rig.files->save());
    QCOMPARE(rig.prompter.calls.last().kind, QStringLiteral("save"));
    QCOMPARE(fileBytes(file), bytes);
}

// Thumbs are unpacked when first needed; a damaged one does not stop the
// load, is reported once the window is usable, shows as no thumb, and is
// saved back as it was.
void TestProjectFiles::damagedThumbLoadsAndIsReported()
{
    QByteArray damaged = colourRecord(1000, 2000, Qt::blue);
    // The checksum of the picture's header chunk (after the null marker,
    // the signature, and the chunk's length, type and 13 bytes).
    damaged[4 + 8 + 8 + 13] = char(damaged.at(4 + 8 + 8 + 13) ^ 0x5a);
    const QString file = writeProject(path(QStringLiteral("thumb.vtc3")), 80, 2100.0f,
                                      {{colourRecord(0, 1000), damaged, colourRecord(2000, 3000)}});
    const QByteArray bytes = fileBytes(file);

    ProjectRig rig;
    QVERIFY(rig.files->loadFile(file));
    QCOMPARE(rig.layoutText(), QStringLiteral("1:0,1000,2000"));
    QTRY_COMPARE(rig.messages(), 1);
    QVERIFY(rig.lastMessage().contains(QStringLiteral("1 個圖樣的縮圖已損壞")));
    const QList<TimelineItem *> items = rig.current()->items();
    QVERIFY(!items.at(0)->thumb().isNull());
    QVERIFY(items.at(1)->thumb().isNull());
    QCOMPARE(items.at(2)->thumb().size(), QSize(85, 85));
    QVERIFY(rig.files->save());
    QCOMPARE(fileBytes(file), bytes);
}

// A thumb no editor makes (here one pixel too high; such pictures can
// unpack to gigabytes) is not unpacked: its mode loads without it, and the
// load says so.
void TestProjectFiles::thumbNoEditorMakesIsDamage()
{
    const QByteArray tall = vc::test::colourMode(1000, 2000, Qt::red, QSize(85, 86)).encode();
    const QString file = writeProject(path(QStringLiteral("tall.vtc3")), 80, 2100.0f,
                                      {{colourRecord(0, 1000), tall}});
    ProjectRig rig;
    QVERIFY(rig.files->loadFile(file));
    QCOMPARE(rig.layoutText(), QStringLiteral("1:0,1000"));
    QCOMPARE(rig.messages(), 1);
    QVERIFY(rig.lastMessage().contains(QStringLiteral("1 個圖樣的紀錄已損壞")));
    QVERIFY(rig.current()->items().at(1)->thumb().isNull());
}

// What a load sets off while it runs (the song's loading, a timer, a drop)
// cannot start another load inside it.
void TestProjectFiles::loadIsNotReentered()
{
    const QString first = writeProject(path(QStringLiteral("first.vtc3")), 80, 2100.0f,
                                       {{colourRecord(0, 1000), colourRecord(1000, 2000)}},
                                       path(QStringLiteral("song.mp3")));
    const QString second = writeProject(path(QStringLiteral("second.vtc3")), 80, 2100.0f,
                                        {{colourRecord(5000, 6000)}});
    ProjectRig rig;
    bool nested = true;
    QObject::connect(rig.files, &vc::ProjectFiles::songRequested, rig.files,
                     [&] { nested = rig.files->loadFile(second); });
    QVERIFY(rig.files->loadFile(first));
    QVERIFY(!nested);
    QCOMPARE(rig.layoutText(), QStringLiteral("1:0,1000"));
    QCOMPARE(rig.files->currentFile(), first);
}

void TestProjectFiles::failedSaveReported()
{
    ProjectRig rig;
    rig.add(colourRecord(0, 1000));
    // A folder that cannot be: its "parent" is a file.
    writeFile(path(QStringLiteral("plain")), "x");
    rig.prompter.fileNames << path(QStringLiteral("plain/x.vtc3"));
    QVERIFY(!rig.files->saveAs());
    QCOMPARE(rig.messages(), 1);
    QVERIFY(rig.lastMessage().contains(QStringLiteral("無法儲存專案")));
    // The title keeps its unsaved mark.
    QVERIFY(rig.project.path().isEmpty());
    QVERIFY(rig.tracks->isModified());
    QVERIFY(!vc::settings::open().contains(vc::settings::CurrentFile));
    // The name it failed on is not taken: Save asks again.
    QVERIFY(rig.files->currentFile() != path(QStringLiteral("plain/x.vtc3")));
    QVERIFY(!rig.files->hasFileName());
    QVERIFY(!rig.files->save());
    QCOMPARE(rig.prompter.count(QStringLiteral("save")), 2);

    // Cancel pressed while a large show is saved over a project, however
    // late: the old file stays byte for byte, and so does the mark.
    const QString over =
        writeProject(path(QStringLiteral("over.vtc3")), 36, 1333.0f, {{colourRecord(0, 500)}});
    const QByteArray kept = fileBytes(over);
    vc::ModeRecord large = vc::test::colourMode(2000, 3000, Qt::red);
    large.params += QStringLiteral("?") + QString(9 << 20, QLatin1Char('x'));
    rig.add(large.encode());
    rig.host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&rig.host));
    rig.prompter.fileNames << over;
    QTimer::singleShot(0, &rig.host, [&rig] {
        auto *dialog = rig.host.findChild<QProgressDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        dialog->findChild<QPushButton *>()->click();
    });
    QVERIFY(!rig.files->saveAs());
    QCOMPARE(fileBytes(over), kept);
    QCOMPARE(rig.messages(), 1);
    QVERIFY(rig.titles->isEmpty());
    QVERIFY(rig.tracks->isModified());
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("over*")}, QDir::Files).size(), 1);

    // A failed save over an existing file leaves it whole.
    const QString file =
        writeProject(path(QStringLiteral("old.vtc3")), 36, 1333.0f, {{colourRecord(0, 500)}});
    const QByteArray before = fileBytes(file);
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    rig.prompter.fileNames << file;
    const bool saved = rig.files->saveAs();
    QFile::setPermissions(m_dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (saved)
        QSKIP("the folder stays writable (running as root)");
    QCOMPARE(rig.messages(), 2);
    QCOMPARE(fileBytes(file), before);
    QVERIFY(rig.titles->isEmpty());
}

void TestProjectFiles::closeQuestion_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QString>("saveAs"); // empty: Save As cancelled
    QTest::addColumn<bool>("closes");
    QTest::newRow("save") << QMessageBox::Save << "closed.vtc3" << true;
    QTest::newRow("save, name cancelled") << QMessageBox::Save << "" << false;
    QTest::newRow("save fails") << QMessageBox::Save << "no/folder/x.vtc3" << false;
    QTest::newRow("no") << QMessageBox::No << "" << true;
    QTest::newRow("cancel") << QMessageBox::Cancel << "" << false;
}

void TestProjectFiles::closeQuestion()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, closes);
    Window win;
    win.add(colourRecord(0, 1000));
    win.prompter.buttons << answer;
    if (!saveAs.isEmpty())
        win.prompter.fileNames << path(saveAs);
    QCloseEvent event;
    QApplication::sendEvent(win.w.get(), &event);
    QCOMPARE(event.isAccepted(), closes);
    if (answer == QMessageBox::Save && closes)
        QVERIFY(QFile::exists(path(saveAs)));
}

// ---------------------------------------------------------------- old format

void TestProjectFiles::legacyImportAllKinds()
{
    const QString picture = writePicture(path(QStringLiteral("pic.png")));
    writeFile(path(QStringLiteral("old.vtc")), allKindsText(picture));

    ProjectRig rig;
    QVERIFY(rig.files->loadFile(path(QStringLiteral("old.vtc"))));
    // The prop of the first line, compared as whole numbers.
    QCOMPARE(rig.props->size(), 1);
    QCOMPARE(rig.props->first().at(0).toInt(), 36);
    QCOMPARE(rig.props->first().at(1).toFloat(), 1333.0f);
    QCOMPARE(rig.props->first().at(2).toBool(), true);
    QCOMPARE(rig.messages(), 0);
    const QList<TimelineItem *> items = rig.current()->items();
    QCOMPARE(items.size(), 4);
    QCOMPARE(rig.layoutText(), QStringLiteral("1:1000,3000,4000,6000"));

    const vc::ModeParams pic = vc::parseParams(items.at(0)->params());
    QCOMPARE(items.at(0)->kind(), int(vc::Picture));
    QCOMPARE(items.at(0)->end(), 3000);
    QCOMPARE(items.at(0)->loops(), 4);
    QCOMPARE(pic.picturePath, picture);
    QCOMPARE(pic.gap, 20);
    QVERIFY(pic.flipH);
    QVERIFY(!pic.flipV);
    QVERIFY(!items.at(0)->thumb().isNull());

    QCOMPARE(items.at(1)->kind(), int(vc::Colour));
    QCOMPARE(items.at(1)->colour(), QColor(255, 0, 0));

    const vc::ModeParams txt = vc::parseParams(items.at(2)->params());
    QCOMPARE(items.at(2)->kind(), int(vc::Text));
    QCOMPARE(items.at(2)->loops(), 5);
    QCOMPARE(txt.text, QStringLiteral("HELLO"));
    QCOMPARE(txt.colour1, QColor(0, 255, 0));
    QCOMPARE(txt.width, 7);
    QVERIFY(txt.flipH);

    const vc::ModeParams fx = vc::parseParams(items.at(3)->params());
    QCOMPARE(items.at(3)->kind(), int(vc::Effect));
    QCOMPARE(items.at(3)->loops(), 6);
    QCOMPARE(fx.effectIndex, 4);
    QCOMPARE(fx.threeColourState, 1);
    QCOMPARE(fx.effectWidth, 3);
    QVERIFY(fx.flipH);
    QVERIFY(fx.flipV);

    // The panel is left as the last line left it: the effect tab in front
    // with the effect's flips; the play indicator at the last mode's end.
    QCOMPARE(rig.imports.size(), 1);
    const vc::LegacyPanelState &panel = rig.imports.first().panel;
    QCOMPARE(panel.kind, int(vc::Effect));
    QVERIFY(panel.effect.revH);
    QVERIFY(panel.effect.revV);
    QCOMPARE(rig.imports.first().lastEndMs, 8000);

    // A fresh history, one step: the import is the starting point.
    QCOMPARE(rig.tracks->history().size(), 1);
    QVERIFY(!rig.tracks->isModified());
}

// Through the window: the gadget of the first line, and the editor panel
// as the last line left it.
void TestProjectFiles::legacyImportLeavesEditorPanel()
{
    const QString picture = writePicture(path(QStringLiteral("pic.png")));
    writeFile(path(QStringLiteral("old.vtc")), allKindsText(picture));

    Window win;
    win.w->LoadFile(path(QStringLiteral("old.vtc")));
    QCOMPARE(win.checkedGadget(), QStringLiteral("Vantor Rod-36LED"));
    QCOMPARE(win.messages(), 0);
    QCOMPARE(win.layout(), QStringLiteral("1:1000,3000,4000,6000"));
    // The effect's flips reach the effect tab's own switches and its mode.
    QVERIFY(win.ui()->Spe_revH->isChecked());
    QVERIFY(win.ui()->Spe_revV->isChecked());
    QCOMPARE(win.ui()->Mode_Pic->currentIndex(), int(vc::Effect));
    QCOMPARE(win.tracks()->history().size(), 1);
}

void TestProjectFiles::legacyColourLineKeepsRepeatCount_data()
{
    addDoorColumn();
    for (const char *door : Doors)
        QTest::newRow(door) << QString::fromLatin1(door);
}

// A colour line has no repeat count: its mode takes the one the panel
// holds, as Insert would.
void TestProjectFiles::legacyColourLineKeepsRepeatCount()
{
    QFETCH(QString, door);
    Door d(door);
    if (d.isWindow()) {
        d.win->ui()->speedAutoCheckBox->setChecked(false);
        d.win->ui()->Mode_loop->setValue(9);
    } else {
        d.rig->panel.automatic = false;
        d.rig->panel.loops = 9;
    }
    writeFile(path(QStringLiteral("colour.vtc")), "80><2100\n00:02.000><00:05.000><1?#102030\n");
    QVERIFY(d.files()->loadFile(path(QStringLiteral("colour.vtc"))));
    QCOMPARE(d.messages(), 0);
    if (d.isWindow()) {
        QCOMPARE(d.win->ui()->Mode_loop->value(), 9);
    } else {
        QCOMPARE(d.rig->imports.size(), 1);
        QCOMPARE(d.rig->imports.first().panel.loops, 9);
        QCOMPARE(d.rig->imports.first().lastEndMs, 5000);
    }
    QCOMPARE(d.current()->items().size(), 1);
    QCOMPARE(d.current()->items().first()->loops(), 9);
    QCOMPARE(d.current()->items().first()->speed(), 0);
    QCOMPARE(d.current()->items().first()->start(), 2000);
}

void TestProjectFiles::legacyLinesThatCannotBeMade()
{
    // A missing picture, an unknown kind, a colour that is no colour and a
    // short line: none may repeat the mode before it.
    const QByteArray text = "80><2100\n"
                            "00:00.000><00:01.000><1?#00ff00\n"
                            "00:01.000><00:02.000><0?2?/no/such/a.png?0|0|0\n"
                            "00:02.000><00:03.000><7?2?x|y?1|2\n"
                            "00:03.000><00:04.000><1?nocolour\n"
                            "just text\n";
    writeFile(path(QStringLiteral("bad.vtc")), text);
    {
        ProjectRig rig;
        rig.prompter.buttons << QMessageBox::No; // do not search for the picture
        QVERIFY(rig.files->loadFile(path(QStringLiteral("bad.vtc"))));
        QCOMPARE(rig.layoutText(), QStringLiteral("1:0"));
        QCOMPARE(rig.prompter.calls.first().title, QStringLiteral("圖片遺失"));
        QCOMPARE(rig.prompter.calls.first().text,
                 QStringLiteral("1張圖片遺失，是否搜尋並取代遺失圖片？"));
        QVERIFY(rig.lastMessage().contains(QStringLiteral("/no/such/a.png")));
        QVERIFY(rig.lastMessage().contains(QStringLiteral("3 行無法辨識")));
    }

    // Searched and found, the picture mode is made.
    QDir().mkpath(path(QStringLiteral("pics/sub")));
    writePicture(path(QStringLiteral("pics/sub/a.png")));
    ProjectRig found;
    found.prompter.buttons << QMessageBox::Yes;
    found.prompter.fileNames << path(QStringLiteral("pics"));
    QVERIFY(found.files->loadFile(path(QStringLiteral("bad.vtc"))));
    QCOMPARE(found.layoutText(), QStringLiteral("1:0,1000"));
    QCOMPARE(vc::parseParams(found.current()->items().at(1)->params()).picturePath,
             path(QStringLiteral("pics/sub/a.png")));
}

void TestProjectFiles::legacySaveAsksForNewName()
{
    const QByteArray text = "80><2100\n00:00.000><00:01.000><1?#00ff00\n";
    writeFile(path(QStringLiteral("show.vtc")), text);
    ProjectRig rig;
    QVERIFY(rig.files->loadFile(path(QStringLiteral("show.vtc"))));
    QCOMPARE(rig.title().left(25), QStringLiteral("VantorCreator - show.vtc "));
    QVERIFY(!rig.files->hasFileName());
    rig.prompter.fileNames << path(QStringLiteral("show.vtc3"));
    QVERIFY(rig.files->save());
    QCOMPARE(rig.prompter.calls.last().text, path(QStringLiteral("show.vtc3")));
    QCOMPARE(fileBytes(path(QStringLiteral("show.vtc"))), text);
}

// ---------------------------------------------------------------- pictures

void TestProjectFiles::missingPicturesCountedAndReplaced_data()
{
    QTest::addColumn<QString>("present"); // file in the searched folder
    QTest::addColumn<bool>("matched");
    QTest::newRow("same name") << "deep/a.png" << true;
    QTest::newRow("name inside another") << "data.png" << true;
    QTest::newRow("other case") << "A.png" << false;
}

void TestProjectFiles::missingPicturesCountedAndReplaced()
{
    QFETCH(QString, present);
    QFETCH(bool, matched);
    const QString gone = QStringLiteral("/gone/a.png");
    const QString file =
        writeProject(path(QStringLiteral("pics.vtc3")), 80, 2100.0f,
                     {{pictureRecord(0, 1000, gone), pictureRecord(1000, 2000, gone)},
                      {pictureRecord(0, 1000, writePicture(path(QStringLiteral("here.png"))))}});

    // Loading reports both; No leaves the project as it is.
    ProjectRig rig;
    rig.prompter.buttons << QMessageBox::No;
    QVERIFY(rig.files->loadFile(file));
    QCOMPARE(rig.prompter.calls.size(), 1);
    const auto question = rig.prompter.calls.first();
    QCOMPARE(question.title, QStringLiteral("圖片遺失"));
    QCOMPARE(question.text, QStringLiteral("2張圖片遺失，是否搜尋並取代遺失圖片？"));
    QCOMPARE(question.defaultButton, QMessageBox::Yes);
    QCOMPARE(rig.tracks->tracksByNumber().first()->items().first()->params(),
             vc::pictureParams(2, gone, 0, false, false));
    QVERIFY(!rig.files->checkMissingPictures());

    // Replace picture directory in a folder holding the candidate.
    const QString folder = path(QStringLiteral("found"));
    QDir().mkpath(QFileInfo(folder + QLatin1Char('/') + present).path());
    writePicture(folder + QLatin1Char('/') + present);
    const QByteArray thumbBefore = rig.tracks->tracksByNumber().first()->items().first()->data();
    rig.prompter.calls.clear();
    rig.prompter.fileNames << folder;
    rig.prompter.buttons << QMessageBox::No; // if still missing: do not search again
    rig.files->replacePictureDirectory();
    QCOMPARE(rig.prompter.calls.first().kind, QStringLiteral("dir"));
    QCOMPARE(rig.prompter.calls.first().title, QStringLiteral("圖片位置"));
    // The search starts beside the project.
    QCOMPARE(rig.prompter.calls.first().text, m_dir.path());

    const TimelineItem *first = rig.tracks->tracksByNumber().first()->items().first();
    const QString expected = matched ? folder + QLatin1Char('/') + present : gone;
    QCOMPARE(vc::parseParams(first->params()).picturePath, expected);
    QCOMPARE(first->thumb(), vc::ModeRecord::decode(thumbBefore).thumb);
    QCOMPARE(rig.files->checkMissingPictures(), matched);
    // Asked again only while pictures are still missing.
    QCOMPARE(rig.prompter.count(QStringLiteral("message")), matched ? 0 : 2);
    if (matched)
        QVERIFY(rig.tracks->history().canUndo());
}

void TestProjectFiles::replaceCancelledChangesNothing_data()
{
    addDoorColumn();
    for (const char *door : Doors)
        QTest::newRow(door) << QString::fromLatin1(door);
}

void TestProjectFiles::replaceCancelledChangesNothing()
{
    QFETCH(QString, door);
    Door d(door);
    d.add(pictureRecord(0, 1000, QStringLiteral("/gone/b.png")));
    const int history = d.tracks()->history().size();
    // The folder dialog is cancelled.
    if (d.isWindow())
        d.win->ui()->actionDIR->trigger();
    else
        d.files()->replacePictureDirectory();
    QCOMPARE(d.prompter().count(QStringLiteral("dir")), 1);
    QCOMPARE(d.messages(), 0);
    QCOMPARE(d.tracks()->history().size(), history);
}

void TestProjectFiles::exportLibraryCopiesOnceNeverOverwrites_data()
{
    addDoorColumn();
    for (const char *door : Doors)
        QTest::newRow(door) << QString::fromLatin1(door);
}

void TestProjectFiles::exportLibraryCopiesOnceNeverOverwrites()
{
    QFETCH(QString, door);
    QDir().mkpath(path(QStringLiteral("src")));
    const QString shared = writePicture(path(QStringLiteral("src/shared.png")), Qt::green);
    const QString kept = writePicture(path(QStringLiteral("src/kept.png")), Qt::blue);
    Door d(door);
    d.add(pictureRecord(0, 1000, shared));
    d.add(pictureRecord(1000, 2000, shared));
    d.add(pictureRecord(2000, 3000, kept));
    d.add(pictureRecord(3000, 4000, QStringLiteral("/gone/x.png")));
    d.add(colourRecord(4000, 5000));
    const QString out = path(QStringLiteral("out"));
    QDir().mkpath(out);
    writeFile(out + QStringLiteral("/kept.png"), "mine");

    d.prompter().fileNames << out;
    if (d.isWindow())
        d.win->ui()->actionSQL->trigger();
    else
        d.files()->exportPictureLibrary();
    QCOMPARE(d.prompter().calls.first().title, QStringLiteral("圖片儲存位置"));
    QCOMPARE(QDir(out).entryList(QDir::Files, QDir::Name),
             QStringList({QStringLiteral("kept.png"), QStringLiteral("shared.png")}));
    QCOMPARE(fileBytes(out + QStringLiteral("/shared.png")), fileBytes(shared));
    QCOMPARE(fileBytes(out + QStringLiteral("/kept.png")), QByteArray("mine"));
    const QString text = d.lastMessage();
    QVERIFY(text.startsWith(QStringLiteral("圖庫匯出完成")));
    QVERIFY(text.contains(QStringLiteral("/gone/x.png")));
    QVERIFY(text.contains(kept));
    // Paths in the project are not changed by the export.
    QCOMPARE(vc::parseParams(d.current()->items().first()->params()).picturePath, shared);
}

// ---------------------------------------------------------------- drop and command line

void TestProjectFiles::droppedProject_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QString>("layout");
    QTest::newRow("yes") << QMessageBox::Yes << "1:0,1000";
    QTest::newRow("cancel") << QMessageBox::Cancel << "1:5000";
}

void TestProjectFiles::droppedProject()
{
    QFETCH(QMessageBox::StandardButton, answer);
    const QString file = writeProject(path(QStringLiteral("drop.vtc3")), 80, 2100.0f,
                                      {{colourRecord(0, 1000), colourRecord(1000, 2000)}});
    Window win;
    win.add(colourRecord(5000, 6000));
    win.prompter.buttons << answer;
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile(path(QStringLiteral("x.vtc")))});
    QDropEvent drop(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window's handler: the application would deliver a drop
    // only inside a drag it started itself.
    static_cast<QObject *>(win.w.get())->event(&drop);
    QTEST(win.layout(), "layout");
    QCOMPARE(win.messages(), 1); // the New question only
    // A load starts the history again; a cancelled New keeps it.
    QCOMPARE(win.tracks()->history().canUndo(), answer == QMessageBox::Cancel);
}

void TestProjectFiles::commandLineProject()
{
    const QString file = writeProject(path(QStringLiteral("cmd.vtc3")), 120, 2100.0f,
                                      {{colourRecord(0, 1000)}, {colourRecord(200, 400)}});
    vc::test::clearSettings();
    {
        vc::test::ScriptedPrompter prompter;
        std::unique_ptr<MainWindow> shown(vc::createMainWindow(
            {QStringLiteral("VantorCreator"), file, QStringLiteral("ignored")}));
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->windowTitle(), QStringLiteral("VantorCreator - cmd.vtc3  "));
        QCOMPARE(shown->tracks()->itemCount(), 2);
    }

    Window win(file);
    QCOMPARE(win.layout(), QStringLiteral("1:0 2:200"));
    QCOMPARE(win.checkedGadget(), QStringLiteral("Vantor Rod Pro V2-120LED"));
    // Freshly loaded: no unsaved mark, nothing to undo.
    QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator - cmd.vtc3  "));
    QCOMPARE(win.tracks()->history().size(), 1);
    QVERIFY(win.files()->hasFileName());
}

VC_TEST_MAIN(TestProjectFiles)
#include "tst_projectfiles.moc"
