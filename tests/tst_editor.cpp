#include "core/app/appsettings.h"
#include "core/model/moderecord.h"
#include "core/model/repeatsuggestion.h"
#include "core/model/show.h"
#include "gui/app/mainwindow.h"
#include "gui/audio/timelineheaders.h"
#include "gui/model/editorpanel.h"
#include "gui/model/trackscontroller.h"
#include "gui/render/mygl.h"
#include "gui/render/picturetab.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "testsupport/editorrig.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/tabrigs.h"
#include "testsupport/testdata.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGraphicsItem>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimeEdit>

namespace {

struct Editor
{
    Editor()
    {
        vc::test::clearSettings();
        // The third catalogue gadget: 80 LEDs at 2100 frames per second.
        vc::settings::open().setValue(vc::settings::Gadget, 3);
        w.reset(new MainWindow);
    }
    vc::test::ScriptedPrompter prompter;
    std::unique_ptr<MainWindow> w;
    Ui::MainWindow *ui() { return w->form(); }
    vc::TracksController *tracks() { return w->tracks(); }
    Timeline *current() { return tracks()->currentTrack(); }
    QString times()
    {
        QStringList out;
        for (const TimelineItem *i : current()->items())
            out << QStringLiteral("%1-%2").arg(i->start()).arg(i->end());
        return out.join(QLatin1Char(' '));
    }
};

// The panel on a rig of its own widgets, with a scripted prompter.
struct Panel
{
    vc::test::ScriptedPrompter prompter;
    vc::test::EditorRig rig;
    QTimeEdit *start() { return rig.widget<QTimeEdit>("Mode_t1"); }
    QTimeEdit *end() { return rig.widget<QTimeEdit>("Mode_t2"); }
    QDoubleSpinBox *duration() { return rig.widget<QDoubleSpinBox>("Mode_last"); }
    QSpinBox *loops() { return rig.widget<QSpinBox>("Mode_loop"); }
    QSlider *speed() { return rig.widget<QSlider>("Speed_slide"); }
    QCheckBox *automatic() { return rig.widget<QCheckBox>("speedAutoCheckBox"); }
    QTabWidget *kinds() { return rig.widget<QTabWidget>("Mode_Pic"); }
    QPushButton *insert() { return rig.widget<QPushButton>("Add_Button"); }
    QPushButton *cancel() { return rig.widget<QPushButton>("cancelSelect"); }
    QSpinBox *colour(int channel)
    {
        static const char *const names[3] = {"Color_R", "Color_G", "Color_B"};
        return rig.widget<QSpinBox>(names[channel]);
    }
    Timeline *current() { return rig.current(); }
};

QString writePicture(const QTemporaryDir &dir, const QString &name, QSize size, QColor colour)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    const QString path = dir.filePath(name);
    img.save(path);
    return path;
}

int ms(const QTime &t)
{
    return t.msecsSinceStartOfDay();
}

} // namespace

class TestEditor : public QObject
{
    Q_OBJECT

private slots:
    void initialState();
    void timeControls_data();
    void timeControls();
    void repeatCountFollowsSpeed();
    void typedSuggestionKeepsAuto();
    void colourInsertsAdjacentModes();
    void openColourItem();
    void colourTab_data();
    void colourTab();
    void openedSpeedRules_data();
    void openedSpeedRules();
    void insertMovesIndicatorToModeEnd();
    void applyKeepsPanelTimes();
    void pictureLoadAndGap();
    void unreadablePictureKeepsPattern();
    void missingPictureIgnored();
    void threePicturesGiveThreeModes_data();
    void threePicturesGiveThreeModes();
    void pictureInsertWithoutPictureDoesNothing();
    void oldFormatItemRefused();
    void missingPictureReplaced();
    void droppedPictureLoads();
};

void TestEditor::initialState()
{
    Editor e;
    QCOMPARE(e.ui()->Mode_t1->time(), QTime(0, 0));
    QCOMPARE(e.ui()->Mode_t2->time(), QTime(0, 0, 5));
    QCOMPARE(e.ui()->Mode_last->value(), 5.0);
    QVERIFY(e.ui()->speedAutoCheckBox->isChecked());
    QCOMPARE(e.ui()->Speed_slide->value(), 10);
    QCOMPARE(e.ui()->Mode_loop->value(), 1); // no pattern yet
    QVERIFY(!e.ui()->Add_Button->isEnabled());
    QCOMPARE(e.ui()->Add_Button->text(), QStringLiteral("插入圖樣"));
    QVERIFY(!e.ui()->cancelSelect->isEnabled());
}

void TestEditor::timeControls_data()
{
    QTest::addColumn<QTime>("t1");
    QTest::addColumn<QTime>("t2");
    QTest::addColumn<double>("last");
    QTest::addColumn<QTime>("t2After");

    QTest::newRow("end after start") << QTime(0, 0, 1) << QTime(0, 0, 3) << 2.0 << QTime(0, 0, 3);
    QTest::newRow("end before start: 0.1 s")
        << QTime(0, 0, 10) << QTime(0, 0, 4) << 0.1 << QTime(0, 0, 10, 100);
    QTest::newRow("end at start: 0.1 s")
        << QTime(0, 0, 2) << QTime(0, 0, 2) << 0.1 << QTime(0, 0, 2, 100);
}

void TestEditor::timeControls()
{
    QFETCH(QTime, t1);
    QFETCH(QTime, t2);
    Panel e;
    e.start()->setTime(t1);
    e.end()->setTime(t2);
    QTEST(e.duration()->value(), "last");
    QTEST(e.end()->time(), "t2After");

    // The start keeps the duration: the end follows.
    e.start()->setTime(t1.addSecs(60));
    QCOMPARE(ms(e.end()->time()) - ms(e.start()->time()), qRound(e.duration()->value() * 1000));
}

void TestEditor::repeatCountFollowsSpeed()
{
    Panel e;
    e.kinds()->setCurrentIndex(3); // effects: W = 2 x LED count
    QCOMPARE(e.rig.panel->patternWidth(), 160);
    // 5 s x speed 10 x 1500 / (160 x 10) + 0.5 at 2100 frames per second
    QCOMPARE(e.loops()->value(), 47);
    // The preview plays the effect with the count already fitted to it.
    QCOMPARE(e.rig.previews.last().loops, 47);
    QCOMPARE(e.rig.previews.last().seconds, 5.0);
    e.speed()->setValue(18);
    QCOMPARE(e.loops()->value(), vc::repeatSuggestion(5.0, 18, 2100.0f, 160));
    e.duration()->setValue(10.0);
    QCOMPARE(e.loops()->value(), vc::repeatSuggestion(10.0, 18, 2100.0f, 160));
    QCOMPARE(e.end()->time(), QTime(0, 0, 10));
}

void TestEditor::typedSuggestionKeepsAuto()
{
    Panel e;
    auto *speedBox = e.rig.widget<QWidget>("Speed_Slide_Box");
    e.kinds()->setCurrentIndex(3);
    const int suggested = e.rig.panel->suggestion();
    e.loops()->setValue(suggested + 1);
    QVERIFY(!e.automatic()->isChecked());
    QVERIFY(speedBox->isHidden());
    e.automatic()->setChecked(true);
    QVERIFY(!speedBox->isHidden());
    QCOMPARE(e.speed()->value(), 10);
    QCOMPARE(e.loops()->value(), suggested);
    e.loops()->setValue(suggested); // unchanged: still automatic
    QVERIFY(e.automatic()->isChecked());
}

void TestEditor::colourInsertsAdjacentModes()
{
    Editor e;
    e.ui()->Mode_Pic->setCurrentIndex(1);
    QVERIFY(e.ui()->Add_Button->isEnabled());
    e.ui()->Color_R->setValue(255);
    e.ui()->Color_G->setValue(0);
    e.ui()->Color_B->setValue(130);
    e.ui()->Add_Button->click();
    e.ui()->Add_Button->click();
    QCOMPARE(e.times(), QStringLiteral("0-5000 5000-10000"));
    QCOMPARE(e.ui()->Mode_t1->time(), QTime(0, 0, 10));
    QCOMPARE(e.ui()->Mode_t2->time(), QTime(0, 0, 15));
    QCOMPARE(e.ui()->Saved_status->text(), QStringLiteral("圖樣數：2"));
    // The indicator stands at the end of the last mode.
    QCOMPARE(e.ui()->timeline_headers->indicator()->time(), QTime(0, 0, 10));

    const TimelineItem *first = e.current()->items().first();
    QCOMPARE(first->kind(), int(vc::Colour));
    QCOMPARE(first->colour(), QColor(255, 0, 130));
    QCOMPARE(first->params(), QStringLiteral("1?#ff0082"));
    QCOMPARE(first->thumb().height(), vc::ThumbHeight);
}

void TestEditor::openColourItem()
{
    Panel e;
    e.kinds()->setCurrentIndex(1);
    e.colour(1)->setValue(200);
    e.insert()->click();
    TimelineItem *item = e.current()->items().first();

    e.kinds()->setCurrentIndex(3); // away from the colour tab
    e.loops()->setValue(7);
    e.colour(1)->setValue(10);
    e.rig.tracks->selectItem(item);
    QVERIFY(item->selected());
    QCOMPARE(e.insert()->text(), QStringLiteral("套用編輯"));
    QVERIFY(e.cancel()->isEnabled());
    QCOMPARE(e.kinds()->currentIndex(), 1);
    QVERIFY(!e.automatic()->isChecked());
    QCOMPARE(e.loops()->value(), item->loops());
    QCOMPARE(e.colour(1)->value(), 200);
    QCOMPARE(e.rig.show.colour1(), QColor(255, 200, 255));
    QCOMPARE(e.rig.previewColours.last(), QColor(255, 200, 255));
    QCOMPARE(e.start()->time(), QTime(0, 0));
    QCOMPARE(e.end()->time(), QTime(0, 0, 5));

    e.cancel()->click();
    QVERIFY(!item->selected());
    QCOMPARE(e.insert()->text(), QStringLiteral("插入圖樣"));
    QVERIFY(!e.cancel()->isEnabled());
    QVERIFY(!e.rig.tracks->selectedItem());
}

// The colour tab edits colour 1 of the show and previews it opaque.
void TestEditor::colourTab_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QColor>("colour1");
    QTest::addColumn<QColor>("preview");
    QTest::addColumn<int>("green"); // Color_G and G_slide afterwards

    QTest::newRow("spin box") << "box" << QColor(255, 40, 255) << QColor(255, 40, 255) << 40;
    QTest::newRow("slider") << "slider" << QColor(255, 90, 255) << QColor(255, 90, 255) << 90;
    QTest::newRow("dialog") << "dialog" << QColor(1, 2, 3) << QColor(1, 2, 3) << 2;
    QTest::newRow("dialog cancelled")
        << "cancel" << QColor(255, 255, 255) << QColor(255, 255, 255) << 255;
    // An imported colour mode may keep an alpha the prop cannot show.
    QTest::newRow("imported alpha")
        << "alpha" << QColor(10, 20, 30, 128) << QColor(10, 20, 30) << 20;
}

void TestEditor::colourTab()
{
    QFETCH(QString, action);
    Panel e;
    if (action == QLatin1String("alpha"))
        e.rig.show.setColours(QColor(10, 20, 30, 128), Qt::black);
    e.kinds()->setCurrentIndex(1);
    QVERIFY(e.insert()->isEnabled());
    if (action == QLatin1String("box")) {
        e.colour(1)->setValue(40);
    } else if (action == QLatin1String("slider")) {
        e.rig.widget<QSlider>("G_slide")->setValue(90);
    } else if (action == QLatin1String("dialog") || action == QLatin1String("cancel")) {
        if (action == QLatin1String("dialog"))
            e.prompter.colours.enqueue(QColor(1, 2, 3));
        e.rig.previewColours.clear();
        e.rig.widget<QPushButton>("Color_View")->click();
        QCOMPARE(e.prompter.calls.last().kind, QStringLiteral("color"));
        QCOMPARE(e.prompter.calls.last().title, QStringLiteral("選擇顏色"));
        QCOMPARE(e.prompter.calls.last().parent, &e.rig.host);
        if (action == QLatin1String("cancel"))
            QVERIFY(e.rig.previewColours.isEmpty());
    }
    QTEST(e.rig.show.colour1(), "colour1");
    QFETCH(QColor, preview);
    if (action != QLatin1String("cancel"))
        QCOMPARE(e.rig.previewColours.last(), preview);
    QTEST(e.colour(1)->value(), "green");
    QTEST(e.rig.widget<QSlider>("G_slide")->value(), "green");
}

// A mode read back into the panel: its speed, when it has one, makes the
// repeat count automatic at that speed, whatever the panel held before.
void TestEditor::openedSpeedRules_data()
{
    QTest::addColumn<int>("speed"); // 0: a count set by hand (7)
    QTest::addColumn<int>("sliderBefore");
    QTest::addColumn<bool>("automaticBefore");
    QTest::addColumn<int>("stored"); // the count the mode holds; 0: as suggested
    QTest::newRow("slider already there") << 14 << 14 << true << 0;
    QTest::newRow("slider already there, count by hand") << 14 << 14 << false << 0;
    QTest::newRow("slider elsewhere") << 6 << 14 << true << 0;
    QTest::newRow("at the default speed, count by hand") << 10 << 10 << false << 0;
    QTest::newRow("no speed") << 0 << 12 << true << 0;
    QTest::newRow("count of a mode cut short, not the suggestion") << 14 << 6 << true << 526;
}

void TestEditor::openedSpeedRules()
{
    QFETCH(int, speed);
    QFETCH(int, sliderBefore);
    QFETCH(bool, automaticBefore);
    QFETCH(int, stored);
    Panel e;
    e.kinds()->setCurrentIndex(3);
    if (speed) {
        e.speed()->setValue(speed);
    } else {
        e.automatic()->setChecked(false);
        e.loops()->setValue(7);
    }
    e.insert()->click();
    TimelineItem *item = e.current()->items().first();
    QCOMPARE(item->speed(), speed);
    if (stored) {
        vc::ModeRecord r = item->record();
        r.loops = stored;
        item->setData(r.encode());
    }
    const QByteArray bytes = item->data();

    e.automatic()->setChecked(true);
    e.speed()->setValue(sliderBefore);
    if (!automaticBefore)
        e.loops()->setValue(e.rig.panel->suggestion() + 3); // by hand: automatic off
    QCOMPARE(e.automatic()->isChecked(), automaticBefore);
    e.duration()->setValue(2.5);

    e.rig.tracks->selectItem(item);
    QCOMPARE(e.duration()->value(), 5.0);
    if (speed) {
        QVERIFY(e.automatic()->isChecked());
        QCOMPARE(e.speed()->value(), speed);
        QCOMPARE(e.loops()->value(),
                 stored ? stored : vc::repeatSuggestion(5.0, speed, 2100.0f, 160));
    } else {
        QVERIFY(!e.automatic()->isChecked());
        QCOMPARE(e.loops()->value(), 7);
    }
    e.insert()->click(); // applied unchanged
    QCOMPARE(item->data(), bytes);
}

void TestEditor::insertMovesIndicatorToModeEnd()
{
    Panel e;
    e.kinds()->setCurrentIndex(1);
    e.insert()->click();
    e.insert()->click();
    QCOMPARE(e.rig.times(), QStringLiteral("0-5000 5000-10000"));
    QCOMPARE(e.rig.indicatorMoves, (QList<int>{5000, 10000}));
    QCOMPARE(e.start()->time(), QTime(0, 0, 10));
    QCOMPARE(e.end()->time(), QTime(0, 0, 15));

    // Applying to a selected mode leaves the indicator and the panel's times.
    e.rig.tracks->selectItem(e.current()->items().first());
    e.colour(0)->setValue(10);
    e.insert()->click();
    QCOMPARE(e.rig.indicatorMoves.size(), 2);
    QCOMPARE(e.rig.times(), QStringLiteral("0-5000 5000-10000"));
    QCOMPARE(e.current()->items().first()->colour(), QColor(10, 255, 255));
}

void TestEditor::applyKeepsPanelTimes()
{
    Editor e;
    e.ui()->Mode_Pic->setCurrentIndex(1);
    e.ui()->Add_Button->click();
    e.ui()->Add_Button->click();
    TimelineItem *first = e.current()->items().first();
    e.tracks()->selectItem(first);
    e.ui()->Mode_t2->setTime(QTime(0, 0, 7));
    e.ui()->Color_R->setValue(10);
    e.ui()->Add_Button->click();
    // Applied: the first mode now runs to 7 s and wins over the second.
    QCOMPARE(e.times(), QStringLiteral("0-7000 7000-10000"));
    QCOMPARE(e.ui()->Mode_t1->time(), QTime(0, 0));
    QCOMPARE(e.ui()->Mode_t2->time(), QTime(0, 0, 7));
    QCOMPARE(first->colour().red(), 10);
}

void TestEditor::pictureLoadAndGap()
{
    Editor e;
    QTemporaryDir dir;
    const QString path = writePicture(dir, QStringLiteral("a.png"), QSize(200, 100), Qt::red);
    e.w->picload(path);
    vc::PictureTab *tab = e.w->pictureTab();
    QCOMPARE(tab->patternWidth(), 160); // 200 x 100 at 80 LEDs
    QCOMPARE(tab->pattern().size(), QSize(400, 200));
    QVERIFY(e.ui()->PicView->isEnabled());
    QVERIFY(e.ui()->Add_Button->isEnabled());
    QCOMPARE(e.ui()->PicDir->text(), path);
    QCOMPARE(vc::settings::open().value(vc::settings::CurrentPicPath).toString(), path);
    QVERIFY(e.ui()->PicView->scene());

    e.ui()->Pic_Slide->setValue(100);
    QCOMPARE(tab->patternWidth(), 320);
    QCOMPARE(tab->pattern().width(), 800);
    QCOMPARE(tab->pattern().toImage().pixelColor(799, 100), QColor(Qt::black));
    // The preview shows what the tab shows.
    QCOMPARE(e.ui()->GLWidget->pattern().size(), tab->pattern().size());

    // Insert writes the picture mode's parameter text.
    e.ui()->Add_Button->click();
    const TimelineItem *item = e.current()->items().first();
    QCOMPARE(item->params(), vc::pictureParams(item->loops(), path, 100, false, false));
    QCOMPARE(item->thumb().height(), vc::ThumbHeight);
}

void TestEditor::unreadablePictureKeepsPattern()
{
    Editor e;
    QTemporaryDir dir;
    const QString good = writePicture(dir, QStringLiteral("good.png"), QSize(40, 80), Qt::red);
    e.w->picload(good);
    const int width = e.w->pictureTab()->patternWidth();
    QVERIFY(width > 0);
    const QString path =
        vc::test::writeFile(dir.filePath(QStringLiteral("text.jpg")), "no picture here");
    e.w->picload(path);
    // Said, not taken: the picture before stays the pattern and the path.
    QCOMPARE(e.prompter.messageTexts().size(), 1);
    QVERIFY(e.prompter.messageTexts().first().contains(QStringLiteral("text.jpg")));
    QCOMPARE(e.w->pictureTab()->patternWidth(), width);
    QCOMPARE(e.ui()->PicDir->text(), good);
    e.ui()->Add_Button->click();
    QCOMPARE(e.current()->items().size(), 1);
    QVERIFY(e.current()->items().first()->params().contains(good));
}

void TestEditor::missingPictureIgnored()
{
    vc::test::ScriptedPrompter prompter;
    vc::test::PictureRig rig;
    rig.tab->picload(QStringLiteral("/nonexistent/picture.png"));
    QCOMPARE(rig.widget<QLabel>("PicDir")->text(), QStringLiteral("..."));
    QVERIFY(!rig.widget<QPushButton>("Add_Button")->isEnabled());
    QVERIFY(prompter.calls.isEmpty());
    QVERIFY(rig.announced.isEmpty());
    QVERIFY(rig.folder.path().isEmpty());
}

// Several pictures opened at once give one new mode each, in the first free
// time from the play position, or from the end of a selected mode, which
// stays as it was (applying them to it in turn kept only the last picture).
// They take no mode away, and one undo takes them all back.
void TestEditor::threePicturesGiveThreeModes_data()
{
    QTest::addColumn<int>("selected"); // index of the selected mode, -1 for none
    QTest::addColumn<int>("playMs");
    QTest::addColumn<QString>("times");
    QTest::addColumn<QString>("placed"); // where the status bar says they went

    QTest::newRow("nothing selected")
        << -1 << 12000 << QStringLiteral("0-4000 5000-10000 12000-17000 17000-22000 22000-27000")
        << QStringLiteral("00:12.000–00:27.000");
    QTest::newRow("play position inside a mode")
        << -1 << 2000 << QStringLiteral("0-4000 5000-10000 10000-15000 15000-20000 20000-25000")
        << QStringLiteral("00:10.000–00:25.000");
    // The new modes take the selected mode's length; the gap after it is
    // too short for one.
    QTest::newRow("first selected")
        << 0 << 30000 << QStringLiteral("0-4000 5000-10000 10000-14000 14000-18000 18000-22000")
        << QStringLiteral("00:10.000–00:22.000");
    QTest::newRow("last selected")
        << 1 << 0 << QStringLiteral("0-4000 5000-10000 10000-15000 15000-20000 20000-25000")
        << QStringLiteral("00:10.000–00:25.000");
}

void TestEditor::threePicturesGiveThreeModes()
{
    QFETCH(int, selected);
    QFETCH(int, playMs);
    QFETCH(QString, times);
    QFETCH(QString, placed);
    const QString kinds = QStringLiteral("CCPPP");
    Editor e;
    QTemporaryDir dir;
    QStringList files;
    for (const char *name : {"one.png", "two.jpg", "three.bmp"})
        files << writePicture(dir, QString::fromLatin1(name), QSize(100, 100), Qt::green);

    // Two colour modes; the first one 4 s long.
    e.ui()->Mode_Pic->setCurrentIndex(1);
    e.ui()->Mode_last->setValue(4.0);
    e.ui()->Add_Button->click();
    e.ui()->Mode_last->setValue(5.0);
    e.ui()->Mode_t1->setTime(QTime(0, 0, 5));
    e.ui()->Add_Button->click();
    QCOMPARE(e.times(), QStringLiteral("0-4000 5000-10000"));
    e.ui()->timeline_headers->indicator()->placeAt(playMs);
    TimelineItem *chosen = nullptr;
    QByteArray before;
    if (selected >= 0) {
        chosen = e.current()->items().at(selected);
        before = chosen->data();
        e.tracks()->selectItem(chosen);
        QCOMPARE(e.ui()->Add_Button->text(), QStringLiteral("套用編輯"));
    }
    e.ui()->Mode_Pic->setCurrentIndex(0);

    e.prompter.fileLists.enqueue(files);
    e.ui()->Pic_Loads->click();
    QCOMPARE(e.prompter.calls.last().title, QStringLiteral("讀圖(可複選)"));
    QCOMPARE(e.times(), times);
    QString shown;
    QStringList paths;
    for (const TimelineItem *i : e.current()->items()) {
        shown += i->kind() == vc::Picture ? QLatin1Char('P') : QLatin1Char('C');
        if (i->kind() == vc::Picture)
            paths << vc::parseParams(i->params()).picturePath;
    }
    QCOMPARE(shown, kinds);
    QCOMPARE(paths, files);
    if (chosen) {
        QCOMPARE(chosen->data(), before);
        QVERIFY(!chosen->selected());
    }
    // The panel inserts again, after the last new mode.
    QCOMPARE(e.ui()->Add_Button->text(), QStringLiteral("插入圖樣"));
    QVERIFY(!e.tracks()->selectedItem());
    QCOMPARE(e.ui()->statusBar->currentMessage(),
             QStringLiteral("圖片讀取完成!! 3 個新圖樣放在軌道 1：") + placed);
    QCOMPARE(e.ui()->PicDir->text(), files.last());
    QVERIFY(e.ui()->Add_Button->isEnabled());
    QCOMPARE(e.ui()->Saved_status->text(), QStringLiteral("圖樣數：%1").arg(kinds.size()));
    e.tracks()->undo();
    QCOMPARE(e.times(), QStringLiteral("0-4000 5000-10000"));
}

void TestEditor::pictureInsertWithoutPictureDoesNothing()
{
    Panel e;
    e.insert()->setEnabled(true);
    e.insert()->click();
    QCOMPARE(e.current()->items().size(), 0);
    QCOMPARE(e.start()->time(), QTime(0, 0));
    QVERIFY(e.rig.indicatorMoves.isEmpty());
}

void TestEditor::oldFormatItemRefused()
{
    Panel e;
    vc::ModeRecord r;
    r.thumb = QImage(10, 85, QImage::Format_RGB32);
    r.thumb.fill(Qt::white);
    r.start = 1000;
    r.end = 2000;
    r.params = QStringLiteral("0?1?x");
    auto *item = new TimelineItem(r.encode(), e.current());
    e.current()->addTimelineItem(item);
    e.rig.tracks->selectItem(item);
    QCOMPARE(e.prompter.messageTexts().last(),
             QStringLiteral("儲存格式過舊，請使用舊版軟體(v2.9↓)進行轉檔"));
    QCOMPARE(e.prompter.calls.last().title, QStringLiteral("無法讀取"));
    QCOMPARE(e.prompter.calls.last().parent, &e.rig.host);
    QCOMPARE(e.current()->items().size(), 1); // stays on its track
    QVERIFY(!e.rig.tracks->selectedItem());   // refused: the panel still inserts
    QCOMPARE(e.insert()->text(), QStringLiteral("插入圖樣"));
}

void TestEditor::missingPictureReplaced()
{
    Panel e;
    QTemporaryDir dir;
    const QString replacement =
        writePicture(dir, QStringLiteral("new.png"), QSize(50, 50), Qt::blue);
    e.rig.pictures->folder.setPath(dir.path());
    vc::ModeRecord r;
    r.thumb = QImage(10, 85, QImage::Format_RGB32);
    r.thumb.fill(Qt::white);
    r.start = 0;
    r.end = 3000;
    r.loops = 4;
    r.kind = vc::Picture;
    r.params = vc::pictureParams(4, QStringLiteral("/gone/old.png"), 20, true, false);
    auto *item = new TimelineItem(r.encode(), e.current());
    e.current()->addTimelineItem(item);
    const QImage thumbBefore = item->thumb();

    e.prompter.buttons.enqueue(QMessageBox::Yes);
    e.prompter.fileNames.enqueue(replacement);
    e.rig.tracks->selectItem(item);
    QCOMPARE(e.prompter.messageTexts().last(), QStringLiteral("圖片遺失，是否替換遺失圖片？"));
    // The replacement is looked for where the pictures were last loaded from.
    const auto open = e.prompter.calls.last();
    QCOMPARE(open.title, QStringLiteral("取代圖片"));
    QCOMPARE(open.text, dir.path());
    QCOMPARE(open.parent, &e.rig.host);
    QCOMPARE(item->params(), vc::pictureParams(4, replacement, 20, true, false));
    QCOMPARE(item->thumb(), thumbBefore);
    QCOMPARE(e.rig.widget<QSlider>("Pic_Slide")->value(), 20);
    QVERIFY(e.rig.widget<QCheckBox>("Pic_revH")->isChecked());
    QCOMPARE(e.rig.widget<QLabel>("PicDir")->text(), replacement);
    // Declined: asked once, and Apply keeps the mode's pattern, not the tab's.
    r.start = 5000;
    r.end = 8000;
    auto *declined = new TimelineItem(r.encode(), e.current());
    e.current()->addTimelineItem(declined);
    e.prompter.buttons.enqueue(QMessageBox::No);
    e.rig.tracks->selectItem(declined);
    e.rig.tracks->selectItem(declined);
    QCOMPARE(e.prompter.count(QStringLiteral("message")), 2);
    e.insert()->click();
    QCOMPARE(declined->data(), r.encode());
}

void TestEditor::droppedPictureLoads()
{
    Editor e;
    QTemporaryDir dir;
    const QString path = writePicture(dir, QStringLiteral("drop.jpg"), QSize(40, 40), Qt::yellow);
    e.ui()->Mode_Pic->setCurrentIndex(2);
    e.w->openDroppedFile(path);
    QCOMPARE(e.ui()->Mode_Pic->currentIndex(), 0);
    QCOMPARE(e.ui()->PicDir->text(), path);
    QVERIFY(e.w->pictureTab()->hasPicture());
}

VC_TEST_MAIN(TestEditor)
#include "tst_editor.moc"
