#include "core/app/appsettings.h"
#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "core/project/legacyproject.h"
#include "core/project/projectformat.h"
#include "core/timeline/timeaxis.h"
#include "gui/app/mainwindow.h"
#include "gui/app/startup.h"
#include "gui/model/editorpanel.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/projectfiles.h"
#include "gui/timeline/smallwidgets.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "testsupport/records.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

using vc::ProjectFiles;

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
        Timeline *t = track ? track : current();
        t->addTimelineItem(new TimelineItem(record, t));
        tracks()->refreshCounters();
    }
    // Every track by number, its items' starts: "1:0,2000 2: 3:500"
    QString layout()
    {
        QStringList out;
        for (Timeline *t : tracks()->tracksByNumber()) {
            QStringList starts;
            for (const TimelineItem *i : t->items())
                starts << QString::number(i->start());
            out << t->rowLabel()->text() + QLatin1Char(':') + starts.join(QLatin1Char(','));
        }
        return out.join(QLatin1Char(' '));
    }
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

    void newProject_data();
    void newProject();
    void saveAsNaming_data();
    void saveAsNaming();
    void saveWithoutNameAsksForOne();
    void noSongHeaderBytes();
    void gadgetMatching_data();
    void gadgetMatching();
    void emptyMiddleTrackKeepsNumbers();
    void roundTripIsByteIdentical();
    void formatChosenByName_data();
    void formatChosenByName();
    void unreadableFileKeepsProject_data();
    void unreadableFileKeepsProject();
    void truncatedFileLoadsWholeRecords();
    void failedSaveReported();
    void closeQuestion_data();
    void closeQuestion();
    void legacyImportAllKinds();
    void legacyColourLineKeepsRepeatCount();
    void legacyLinesThatCannotBeMade();
    void legacySaveAsksForNewName();
    void missingPicturesCountedAndReplaced_data();
    void missingPicturesCountedAndReplaced();
    void replaceCancelledChangesNothing();
    void exportLibraryCopiesOnceNeverOverwrites();
    void droppedProject_data();
    void droppedProject();
    void commandLineProject();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) { return m_dir.filePath(name); }
};

void TestProjectFiles::init()
{
    QVERIFY(m_dir.isValid());
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
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
    Window win;
    win.prompter.fileNames << path(QStringLiteral("a.vtc3"));
    win.add(colourRecord(0, 1000));
    win.tracks()->addTimeline(1);
    win.add(colourRecord(2000, 3000));
    QVERIFY(win.files()->saveAs());
    win.add(colourRecord(5000, 6000));
    QVERIFY(win.tracks()->history().size() > 1);
    win.ui()->Mode_t1->setTime(QTime(0, 1));

    win.prompter.buttons << answer;
    QCOMPARE(win.files()->newProject(), renewed);
    const auto call = win.prompter.calls.last();
    QCOMPARE(call.text,
             QStringLiteral("<font color='white'>未儲存部分將會流失，確定開啟新檔?</font>"));
    QCOMPARE(call.defaultButton, QMessageBox::Cancel);

    // Whatever the answer, the history starts again from here.
    QCOMPARE(win.tracks()->history().size(), 1);
    QVERIFY(!win.tracks()->history().canUndo());
    if (renewed) {
        QCOMPARE(win.layout(), QStringLiteral("1:"));
        QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator"));
        QVERIFY(!win.files()->hasFileName());
        QCOMPARE(win.ui()->Mode_t1->time(), QTime(0, 0));
        QCOMPARE(win.ui()->Mode_t2->time(), QTime(0, 0, 5));
        // The project path stays: the next Save As starts there.
        QCOMPARE(win.w->currentFile(), path(QStringLiteral("a.vtc3")));
    } else {
        QCOMPARE(win.layout(), QStringLiteral("1:0 2:2000,5000"));
        QVERIFY(win.files()->hasFileName());
        QVERIFY(win.w->windowTitle().endsWith(QLatin1Char('*')));
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
    Window win;
    win.add(colourRecord(0, 1000));
    win.prompter.fileNames << path(chosen);
    QVERIFY(win.files()->saveAs());

    const auto dialog = win.prompter.calls.last();
    QCOMPARE(dialog.kind, QStringLiteral("save"));
    QCOMPARE(dialog.title, QStringLiteral("存檔"));
    QCOMPARE(dialog.filter, QStringLiteral("*.vtc3"));
    QVERIFY(QFile::exists(path(stored)));
    QCOMPARE(win.w->currentFile(), path(stored));
    QCOMPARE(vc::settings::open().value(vc::settings::CurrentFile).toString(), path(stored));
    // Two trailing spaces: the unsaved mark has a place to go.
    QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator - ") + stored + "  ");
    win.add(colourRecord(2000, 3000));
    QCOMPARE(win.w->windowTitle(), QStringLiteral("VantorCreator - ") + stored + " *");

    // A cancelled dialog writes nothing.
    QFile::remove(path(stored));
    QVERIFY(!win.files()->saveAs());
    QVERIFY(!QFile::exists(path(stored)));
}

void TestProjectFiles::saveWithoutNameAsksForOne()
{
    Window win;
    QVERIFY(!win.files()->hasFileName());
    win.w->setCurrentFile(QString());
    QVERIFY(!win.files()->save()); // no name chosen
    QCOMPARE(win.prompter.calls.last().kind, QStringLiteral("save"));
    QCOMPARE(win.prompter.calls.last().text, vc::settings::defaultDocumentsPath());

    win.prompter.fileNames << path(QStringLiteral("b"));
    QVERIFY(win.files()->save());
    QVERIFY(win.files()->hasFileName());
    const int dialogs = win.prompter.count(QStringLiteral("save"));
    QVERIFY(win.files()->save()); // named now: no dialog
    QCOMPARE(win.prompter.count(QStringLiteral("save")), dialogs);
}

void TestProjectFiles::noSongHeaderBytes()
{
    Window win;
    win.prompter.fileNames << path(QStringLiteral("h.vtc3"));
    // The first catalogue gadget: 36 LEDs at 1333.
    emit win.w->gadgetGroup()->actions().at(1)->triggered(true);
    QVERIFY(win.files()->saveAs());
    const QByteArray bytes = fileBytes(path(QStringLiteral("h.vtc3")));
    QCOMPARE(bytes.toHex(' '),
             QByteArray("00 24 40 94 d4 00 00 00 00 00 00 00 00 08 00 6e 00 75 00 6c 00 6c"));
}

// ---------------------------------------------------------------- load

void TestProjectFiles::gadgetMatching_data()
{
    QTest::addColumn<int>("leds");
    QTest::addColumn<float>("rate");
    QTest::addColumn<QString>("gadget");
    QTest::addColumn<int>("fps");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QString>("oldFormatGadget"); // the rate read as a whole number
    QTest::newRow("first row") << 36 << 1333.0f << "Vantor Rod-36LED" << 1333 << false
                               << "Vantor Rod-36LED";
    QTest::newRow("other row") << 120 << 1800.0f << "Vantor Rod Pro-120LED" << 1800 << false
                               << "Vantor Rod Pro-120LED";
    QTest::newRow("no row") << 50 << 1234.0f << "自訂..." << 1234 << true << "自訂...";
    QTest::newRow("rate not whole")
        << 36 << 1333.5f << "自訂..." << 1333 << true << "Vantor Rod-36LED";
}

void TestProjectFiles::gadgetMatching()
{
    QFETCH(int, leds);
    QFETCH(float, rate);
    QFETCH(QString, gadget);
    QFETCH(int, fps);
    QFETCH(bool, editable);
    const QString file =
        writeProject(path(QStringLiteral("g.vtc3")), qint16(leds), rate, {{colourRecord(0, 1000)}});
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
    writeFile(path(QStringLiteral("g.vtc")),
              QByteArray::number(leds) + "><" + QByteArray::number(fps) + "\r\n");
    Window old;
    old.w->LoadFile(path(QStringLiteral("g.vtc")));
    QTEST(old.checkedGadget(), "oldFormatGadget");
    QCOMPARE(old.ui()->FPS_V->value(), fps);
}

void TestProjectFiles::emptyMiddleTrackKeepsNumbers()
{
    Window win;
    win.add(colourRecord(0, 1000));
    win.add(colourRecord(1000, 2000));
    Timeline *a = win.current();
    Timeline *b = win.tracks()->addTimeline(1);
    Timeline *c = win.tracks()->addTimeline(1);
    win.add(colourRecord(500, 900), c);
    Q_UNUSED(a);
    Q_UNUSED(b);
    QCOMPARE(win.layout(), QStringLiteral("1:0,1000 2: 3:500"));

    win.prompter.fileNames << path(QStringLiteral("three.vtc3"));
    QVERIFY(win.files()->saveAs());
    const vc::ProjectReadResult read = vc::loadProjectFile(path(QStringLiteral("three.vtc3")));
    QVERIFY(read.status.ok());
    QCOMPARE(read.project.tracks.size(), 3);
    QCOMPARE(read.project.tracks.at(1).size(), 0);
    // Between the records of A and C: two separators and nothing else.
    const QByteArray bytes = fileBytes(path(QStringLiteral("three.vtc3")));
    QVERIFY(bytes.contains(QByteArray::fromHex("000000044e455854000000044e455854")));

    Window loaded;
    loaded.w->LoadFile(path(QStringLiteral("three.vtc3")));
    QCOMPARE(loaded.layout(), QStringLiteral("1:0,1000 2: 3:500"));
    // The last track read is the current one, at the top.
    QCOMPARE(loaded.tracks()->trackNumber(loaded.current()), 3);
    QCOMPARE(loaded.w->windowTitle(), QStringLiteral("VantorCreator - three.vtc3  "));
    QCOMPARE(loaded.tracks()->history().size(), 1);
    QVERIFY(loaded.files()->hasFileName());
    QCOMPARE(loaded.w->currentPicPath(), path(QStringLiteral("three.vtc3")));
}

void TestProjectFiles::roundTripIsByteIdentical()
{
    const QString song = path(QStringLiteral("song.mp3"));
    Window win;
    win.w->ReadSong(song);
    win.add(colourRecord(0, 1000, Qt::red));
    win.add(pictureRecord(1000, 2500, writePicture(path(QStringLiteral("p.png")))));
    win.tracks()->addTimeline(1);
    win.add(colourRecord(300, 800, Qt::blue));
    win.prompter.fileNames << path(QStringLiteral("one.vtc3"));
    QVERIFY(win.files()->saveAs());

    const QByteArray first = fileBytes(path(QStringLiteral("one.vtc3")));

    Window loaded;
    loaded.w->LoadFile(path(QStringLiteral("one.vtc3")));
    QCOMPARE(loaded.w->songPath(), song);
    QCOMPARE(loaded.layout(), QStringLiteral("1:0,1000 2:300"));
    QVERIFY(loaded.files()->save());
    QCOMPARE(fileBytes(path(QStringLiteral("one.vtc3"))), first);
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
    Window win;
    win.w->LoadFile(path(name));
    QCOMPARE(win.tracks()->itemCount(), current ? 1 : 0);
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
}

void TestProjectFiles::unreadableFileKeepsProject()
{
    QFETCH(QString, name);
    QFETCH(bool, folder);
    if (folder)
        QDir().mkpath(path(name));
    if (name.startsWith(QLatin1String("empty")))
        writeFile(path(name), QByteArray());
    Window win;
    win.prompter.fileNames << path(QStringLiteral("keep.vtc3"));
    win.add(colourRecord(0, 1000));
    QVERIFY(win.files()->saveAs());
    win.add(colourRecord(2000, 3000));
    const QString title = win.w->windowTitle();
    const int history = win.tracks()->history().size();

    win.w->LoadFile(path(name));
    QCOMPARE(win.messages(), 1);
    QVERIFY(win.lastMessage().contains(path(name).toHtmlEscaped()));
    QCOMPARE(win.layout(), QStringLiteral("1:0,2000"));
    QCOMPARE(win.w->windowTitle(), title);
    QCOMPARE(win.w->currentFile(), path(QStringLiteral("keep.vtc3")));
    QVERIFY(win.files()->hasFileName());
    QCOMPARE(win.tracks()->history().size(), history);
}

void TestProjectFiles::truncatedFileLoadsWholeRecords()
{
    const QString file =
        writeProject(path(QStringLiteral("cut.vtc3")), 80, 2100.0f,
                     {{colourRecord(0, 1000), colourRecord(1000, 2000), colourRecord(2000, 3000)}});
    QByteArray bytes = fileBytes(file);
    bytes.chop(10);
    writeFile(file, bytes);

    Window win;
    win.w->LoadFile(file);
    QCOMPARE(win.layout(), QStringLiteral("1:0,1000"));
    QCOMPARE(win.messages(), 1);
    QVERIFY(win.lastMessage().contains(QStringLiteral("不完整或已損壞")));
    // Saving over it would drop the damaged rest: Save asks for a name.
    QVERIFY(!win.files()->hasFileName());
    QVERIFY(!win.files()->save());
    QCOMPARE(win.prompter.calls.last().kind, QStringLiteral("save"));
    QCOMPARE(fileBytes(file), bytes);
}

void TestProjectFiles::failedSaveReported()
{
    Window win;
    win.add(colourRecord(0, 1000));
    const QString title = win.w->windowTitle();
    // A folder that cannot be: its "parent" is a file.
    writeFile(path(QStringLiteral("plain")), "x");
    win.prompter.fileNames << path(QStringLiteral("plain/x.vtc3"));
    QVERIFY(!win.files()->saveAs());
    QCOMPARE(win.messages(), 1);
    QVERIFY(win.lastMessage().contains(QStringLiteral("無法儲存專案")));
    QCOMPARE(win.w->windowTitle(), title);
    QVERIFY(!vc::settings::open().contains(vc::settings::CurrentFile));

    // A failed save over an existing file leaves it whole.
    const QString file =
        writeProject(path(QStringLiteral("old.vtc3")), 36, 1333.0f, {{colourRecord(0, 500)}});
    const QByteArray before = fileBytes(file);
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    win.prompter.fileNames << file;
    const bool saved = win.files()->saveAs();
    QFile::setPermissions(m_dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (saved)
        QSKIP("the folder stays writable (running as root)");
    QCOMPARE(win.messages(), 2);
    QCOMPARE(fileBytes(file), before);
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
    const QByteArray text = "36><1333><ignored\r\n"
                            "00:01.000><00:03.000><0?4?" +
                            picture.toUtf8() +
                            "?20|1|0\r\n"
                            "00:03.000><00:04.000><1?#ff0000\r\n"
                            "\r\n" // holds no mode: no message about it
                            "00:04.000><00:06.000><2?5?#00ff00|#000000|HELLO|0|5?7|1|0\r\n"
                            "00:06.000><00:08.000><3?6?#0000ff|#ffffff|4|1|3?0|1|1\r\n";
    writeFile(path(QStringLiteral("old.vtc")), text);

    Window win;
    win.w->LoadFile(path(QStringLiteral("old.vtc")));
    QCOMPARE(win.checkedGadget(), QStringLiteral("Vantor Rod-36LED"));
    QCOMPARE(win.messages(), 0);
    const QList<TimelineItem *> items = win.current()->items();
    QCOMPARE(items.size(), 4);
    QCOMPARE(win.layout(), QStringLiteral("1:1000,3000,4000,6000"));

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

    // The effect's flips reach the effect tab's own switches and its mode.
    const vc::ModeParams fx = vc::parseParams(items.at(3)->params());
    QCOMPARE(items.at(3)->kind(), int(vc::Effect));
    QCOMPARE(items.at(3)->loops(), 6);
    QCOMPARE(fx.effectIndex, 4);
    QCOMPARE(fx.threeColourState, 1);
    QCOMPARE(fx.effectWidth, 3);
    QVERIFY(fx.flipH);
    QVERIFY(fx.flipV);
    QVERIFY(win.ui()->Spe_revH->isChecked());
    QVERIFY(win.ui()->Spe_revV->isChecked());
    QCOMPARE(win.ui()->Mode_Pic->currentIndex(), int(vc::Effect));

    // A fresh history, one step: the import is the starting point.
    QCOMPARE(win.tracks()->history().size(), 1);
}

// A colour line has no repeat count: its mode takes the one the panel
// holds, as Insert would.
void TestProjectFiles::legacyColourLineKeepsRepeatCount()
{
    Window win;
    win.ui()->speedAutoCheckBox->setChecked(false);
    win.ui()->Mode_loop->setValue(9);
    writeFile(path(QStringLiteral("colour.vtc")), "80><2100\n00:02.000><00:05.000><1?#102030\n");
    win.w->LoadFile(path(QStringLiteral("colour.vtc")));
    QCOMPARE(win.messages(), 0);
    QCOMPARE(win.ui()->Mode_loop->value(), 9);
    QCOMPARE(win.current()->items().size(), 1);
    QCOMPARE(win.current()->items().first()->loops(), 9);
    QCOMPARE(win.current()->items().first()->speed(), 0);
    QCOMPARE(win.current()->items().first()->start(), 2000);
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
    Window win;
    win.prompter.buttons << QMessageBox::No; // do not search for the picture
    win.w->LoadFile(path(QStringLiteral("bad.vtc")));
    QCOMPARE(win.layout(), QStringLiteral("1:0"));
    QCOMPARE(win.prompter.calls.first().title, QStringLiteral("圖片遺失"));
    QCOMPARE(win.prompter.calls.first().text,
             QStringLiteral("1張圖片遺失，是否搜尋並取代遺失圖片？"));
    QVERIFY(win.lastMessage().contains(QStringLiteral("/no/such/a.png")));
    QVERIFY(win.lastMessage().contains(QStringLiteral("3 行無法辨識")));

    // Searched and found, the picture mode is made.
    QDir().mkpath(path(QStringLiteral("pics/sub")));
    writePicture(path(QStringLiteral("pics/sub/a.png")));
    Window found;
    found.prompter.buttons << QMessageBox::Yes;
    found.prompter.fileNames << path(QStringLiteral("pics"));
    found.w->LoadFile(path(QStringLiteral("bad.vtc")));
    QCOMPARE(found.layout(), QStringLiteral("1:0,1000"));
    QCOMPARE(vc::parseParams(found.current()->items().at(1)->params()).picturePath,
             path(QStringLiteral("pics/sub/a.png")));
}

void TestProjectFiles::legacySaveAsksForNewName()
{
    const QByteArray text = "80><2100\n00:00.000><00:01.000><1?#00ff00\n";
    writeFile(path(QStringLiteral("show.vtc")), text);
    Window win;
    win.w->LoadFile(path(QStringLiteral("show.vtc")));
    QCOMPARE(win.w->windowTitle().left(25), QStringLiteral("VantorCreator - show.vtc "));
    QVERIFY(!win.files()->hasFileName());
    win.prompter.fileNames << path(QStringLiteral("show.vtc3"));
    QVERIFY(win.files()->save());
    QCOMPARE(win.prompter.calls.last().text, path(QStringLiteral("show.vtc3")));
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
    Window win;
    win.prompter.buttons << QMessageBox::No;
    win.w->LoadFile(file);
    QCOMPARE(win.prompter.calls.size(), 1);
    const auto question = win.prompter.calls.first();
    QCOMPARE(question.title, QStringLiteral("圖片遺失"));
    QCOMPARE(question.text, QStringLiteral("2張圖片遺失，是否搜尋並取代遺失圖片？"));
    QCOMPARE(question.defaultButton, QMessageBox::Yes);
    QCOMPARE(win.tracks()->tracksByNumber().first()->items().first()->params(),
             vc::pictureParams(2, gone, 0, false, false));
    QVERIFY(!win.w->checkMissingPictures());

    // Replace picture directory in a folder holding the candidate.
    const QString folder = path(QStringLiteral("found"));
    QDir().mkpath(QFileInfo(folder + QLatin1Char('/') + present).path());
    writePicture(folder + QLatin1Char('/') + present);
    const QByteArray thumbBefore = win.tracks()->tracksByNumber().first()->items().first()->data();
    win.prompter.calls.clear();
    win.prompter.fileNames << folder;
    win.prompter.buttons << QMessageBox::No; // if still missing: do not search again
    win.w->form()->actionDIR->trigger();
    QCOMPARE(win.prompter.calls.first().kind, QStringLiteral("dir"));
    QCOMPARE(win.prompter.calls.first().title, QStringLiteral("圖片位置"));
    QCOMPARE(win.prompter.calls.first().text, win.w->currentPicPath());

    const TimelineItem *first = win.tracks()->tracksByNumber().first()->items().first();
    const QString expected = matched ? folder + QLatin1Char('/') + present : gone;
    QCOMPARE(vc::parseParams(first->params()).picturePath, expected);
    QCOMPARE(first->thumb(), vc::ModeRecord::decode(thumbBefore).thumb);
    QCOMPARE(win.w->checkMissingPictures(), matched);
    // Asked again only while pictures are still missing.
    QCOMPARE(win.prompter.count(QStringLiteral("message")), matched ? 0 : 2);
    if (matched)
        QVERIFY(win.tracks()->history().canUndo());
}

void TestProjectFiles::replaceCancelledChangesNothing()
{
    Window win;
    win.add(pictureRecord(0, 1000, QStringLiteral("/gone/b.png")));
    const int history = win.tracks()->history().size();
    win.w->form()->actionDIR->trigger(); // the folder dialog is cancelled
    QCOMPARE(win.prompter.count(QStringLiteral("dir")), 1);
    QCOMPARE(win.messages(), 0);
    QCOMPARE(win.tracks()->history().size(), history);
}

void TestProjectFiles::exportLibraryCopiesOnceNeverOverwrites()
{
    QDir().mkpath(path(QStringLiteral("src")));
    const QString shared = writePicture(path(QStringLiteral("src/shared.png")), Qt::green);
    const QString kept = writePicture(path(QStringLiteral("src/kept.png")), Qt::blue);
    Window win;
    win.add(pictureRecord(0, 1000, shared));
    win.add(pictureRecord(1000, 2000, shared));
    win.add(pictureRecord(2000, 3000, kept));
    win.add(pictureRecord(3000, 4000, QStringLiteral("/gone/x.png")));
    win.add(colourRecord(4000, 5000));
    const QString out = path(QStringLiteral("out"));
    QDir().mkpath(out);
    writeFile(out + QStringLiteral("/kept.png"), "mine");

    win.prompter.fileNames << out;
    win.w->form()->actionSQL->trigger();
    QCOMPARE(win.prompter.calls.first().title, QStringLiteral("圖片儲存位置"));
    QCOMPARE(QDir(out).entryList(QDir::Files, QDir::Name),
             QStringList({QStringLiteral("kept.png"), QStringLiteral("shared.png")}));
    QCOMPARE(fileBytes(out + QStringLiteral("/shared.png")), fileBytes(shared));
    QCOMPARE(fileBytes(out + QStringLiteral("/kept.png")), QByteArray("mine"));
    const QString text = win.lastMessage();
    QVERIFY(text.startsWith(QStringLiteral("圖庫匯出完成")));
    QVERIFY(text.contains(QStringLiteral("/gone/x.png")));
    QVERIFY(text.contains(kept));
    // Paths in the project are not changed by the export.
    QCOMPARE(vc::parseParams(win.current()->items().first()->params()).picturePath, shared);
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
    QCOMPARE(win.tracks()->history().size(), 1);
}

void TestProjectFiles::commandLineProject()
{
    const QString file = writeProject(path(QStringLiteral("cmd.vtc3")), 120, 2100.0f,
                                      {{colourRecord(0, 1000)}, {colourRecord(200, 400)}});
    vc::test::clearSettings();
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<MainWindow> shown(
        vc::createMainWindow({QStringLiteral("VantorCreator"), file, QStringLiteral("ignored")}));
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->windowTitle(), QStringLiteral("VantorCreator - cmd.vtc3  "));
    QCOMPARE(shown->tracks()->itemCount(), 2);
    shown.reset();

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
