#include "core/app/appsettings.h"
#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "core/timeline/timeaxis.h"
#include "gui/app/mainwindow.h"
#include "gui/audio/mytime.h"
#include "gui/audio/playback.h"
#include "gui/audio/songloader.h"
#include "gui/audio/timelineheaders.h"
#include "gui/model/trackscontroller.h"
#include "gui/render/mygl.h"
#include "gui/timeline/smallwidgets.h"
#include "testsupport/audiofiles.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/shownwindow.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

namespace {

int ms(const QTime &t)
{
    return t.isValid() ? t.msecsSinceStartOfDay() : 0;
}

QString shown(const QTimeEdit *e)
{
    return e->time().toString(QStringLiteral("mm:ss.zzz"));
}

struct Window : vc::test::ShownWindow
{
    TimelineHeaders *ruler() const { return w.form()->timeline_headers; }
    Indicator *indicator() const { return ruler()->indicator(); }
    QScrollBar *hbar() const { return w.form()->timeline_scroll->horizontalScrollBar(); }
};

} // namespace

// The play position: clock, media player, ruler, indicator, zoom and scrolling.
class TestPlayback : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void idleRulerStaysStill();
    void placeIndicator_data();
    void placeIndicator();
    void rulerClick_data();
    void rulerClick();
    void internalClock();
    void playWithoutSong();
    void stopWithoutSong();
    void sliderAndTimeBox();
    void startMark();
    void startMarkMenu();
    void rulerPainting_data();
    void rulerPainting();
    void keepIndicatorInView();
    void zoom_data();
    void zoom();
    void wheel_data();
    void wheel();
    void timelineLength();
    void previewFeed();
    void previewHoldsColour_data();
    void previewHoldsColour();
    void songPlayback();

private:
    QTemporaryDir m_dir;
};

void TestPlayback::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // No sound device here: play into a sink that keeps time (fakesink
    // races through the song, which may end before the test pauses it).
    qputenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK", "testsink");
}

void TestPlayback::init()
{
    vc::test::clearSettings();
}

void TestPlayback::placeIndicator_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("x");
    QTest::newRow("half rounds up") << 80 << 12345 << 1235;
    QTest::newRow("zero") << 80 << 0 << -1; // does not move: no signal
    QTest::newRow("closest zoom") << 160 << 12345 << 4938;
    QTest::newRow("widest zoom") << 40 << 12345 << 309;
}

void TestPlayback::placeIndicator()
{
    QFETCH(int, zoom);
    QFETCH(int, position);
    QFETCH(int, x);
    Window win;
    win.ui()->timeline_scaler->setValue(zoom);
    QSignalSpy moved(win.ruler(), &TimelineHeaders::indicatorMoved);
    win.w.playback()->positionChanged(position);
    QCOMPARE(win.ui()->Song_Slider->value(), position);
    QCOMPARE(ms(win.ui()->Song_time->time()), position);
    QCOMPARE(win.indicator()->msecs(), position);
    if (x < 0) {
        QCOMPARE(moved.count(), 0);
        QCOMPARE(win.indicator()->x(), 0);
    } else {
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.first().at(0).toInt(), x);
        QCOMPARE(moved.first().at(1).toBool(), false);
        QCOMPARE(win.indicator()->pos(), QPoint(x, 17));
    }
    // Nothing selected: the editor's start time follows.
    QCOMPARE(ms(win.ui()->Mode_t1->time()), x < 0 ? 0 : position);
}

void TestPlayback::rulerClick_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("time");
    QTest::newRow("default scale") << 80 << 600 << 6000;
    QTest::newRow("2.5 ms per pixel") << 160 << 600 << 1500;
    QTest::newRow("6.4 truncates") << 100 << 7 << 44;
}

void TestPlayback::rulerClick()
{
    QFETCH(int, zoom);
    QFETCH(int, x);
    QFETCH(int, time);
    Window win;
    win.ui()->timeline_scaler->setValue(zoom);
    win.hbar()->setValue(0);
    QSignalSpy moved(win.ruler(), &TimelineHeaders::indicatorMoved);
    QSignalSpy ticks(win.ui()->Song_time, &myTime::timer_timeout);
    QTest::mouseClick(win.ruler(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 20));
    QCOMPARE(win.indicator()->msecs(), time);
    QCOMPARE(win.indicator()->x(), x);
    QVERIFY(moved.count() >= 1);
    QCOMPARE(moved.first().at(1).toBool(), true);
    // Without a song the internal clock restarts at the new time.
    QVERIFY(ticks.count() >= 1);
    QCOMPARE(ticks.first().first().toLongLong(), qlonglong(time));
    QCOMPARE(ms(win.ui()->Song_time->time()), time);
    QCOMPARE(win.ui()->Song_Slider->value(), time);
    QVERIFY(!win.ui()->Song_time->isRunning());
    // The hover line follows the pointer.
    QCOMPARE(win.ruler()->mousePosition().x(), x);
}

void TestPlayback::internalClock()
{
    Window win;
    myTime *clock = win.ui()->Song_time;
    win.w.playback()->placeIndicator(2000);
    win.w.playback()->play();
    QVERIFY(clock->isRunning());
    QCOMPARE(clock->timer()->interval(), 10); // as often as the player reports
    QTest::qWait(400);
    // The wall clock drives the position, so it advanced by about the wait.
    const int t1 = win.indicator()->msecs();
    QVERIFY2(t1 >= 2300 && t1 < 3500, qPrintable(QString::number(t1)));
    QCOMPARE(win.ui()->Song_Slider->value(), t1);

    win.w.playback()->play(); // pause
    QVERIFY(!clock->isRunning());
    const int paused = win.indicator()->msecs();
    QTest::qWait(200);
    QCOMPARE(win.indicator()->msecs(), paused);

    // Moving the indicator while paused, then Play resumes from there.
    win.w.playback()->placeIndicator(10000);
    win.w.playback()->play();
    QTest::qWait(100);
    const int t2 = win.indicator()->msecs();
    QVERIFY2(t2 >= 10000 && t2 < 11000, qPrintable(QString::number(t2)));
    win.w.playback()->play();
}

// Without a song, Play and its Space shortcut run the internal clock, even
// with the focus on the insert button after an insert.
void TestPlayback::playWithoutSong()
{
    Window win;
    win.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&win.w));
    QVERIFY(win.ui()->Song_play->isEnabled());
    win.ui()->Mode_Pic->setCurrentIndex(vc::Colour);
    win.ui()->Add_Button->click();
    const int items = win.w.tracks()->itemCount();
    QCOMPARE(items, 1);
    win.ui()->Add_Button->setFocus();
    const int x = win.indicator()->x();

    QTest::keyClick(win.ui()->Add_Button, Qt::Key_Space);
    QTRY_VERIFY(win.ui()->Song_time->isRunning());
    QTRY_VERIFY(win.indicator()->x() > x);
    QTest::keyClick(win.ui()->Add_Button, Qt::Key_Space);
    QTRY_VERIFY(!win.ui()->Song_time->isRunning());
    QCOMPARE(win.w.tracks()->itemCount(), items);

    win.ui()->Song_play->click();
    QVERIFY(win.ui()->Song_time->isRunning());
    win.ui()->Song_play->click();
    QVERIFY(!win.ui()->Song_time->isRunning());

    // Play and pause with the mouse, then Space, pressed and released on
    // whatever has the focus: it plays, once.
    QTest::mouseClick(win.ui()->Song_play, Qt::LeftButton);
    QTest::mouseClick(win.ui()->Song_play, Qt::LeftButton);
    QVERIFY(!win.ui()->Song_time->isRunning());
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Space);
    QTest::qWait(300);
    QVERIFY(win.ui()->Song_time->isRunning());
}

void TestPlayback::stopWithoutSong()
{
    Window win;
    win.w.playback()->placeIndicator(5000);
    win.w.playback()->play();
    QTest::qWait(50);
    QSignalSpy moved(win.ruler(), &TimelineHeaders::indicatorMoved);
    win.ui()->Song_Stop->click();
    QVERIFY(!win.ui()->Song_time->isRunning());
    QCOMPARE(win.ui()->Song_Slider->value(), 0);
    QCOMPARE(win.indicator()->x(), 0);
    QCOMPARE(win.indicator()->msecs(), 0);
    QCOMPARE(shown(win.ui()->Song_time), QStringLiteral("00:00.000"));
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.first().at(0).toInt(), 0);
    QCOMPARE(moved.first().at(1).toBool(), false);
    // Stop again: already at 0, nothing moves.
    win.ui()->Song_Stop->click();
    QCOMPARE(moved.count(), 1);
}

void TestPlayback::sliderAndTimeBox()
{
    Window win;
    // No song: dragging the slider restarts the clock at its position.
    win.w.playback()->sliderMoved(7000);
    QCOMPARE(win.indicator()->msecs(), 7000);
    QCOMPARE(win.indicator()->x(), 700);
    QCOMPARE(win.ui()->Song_Slider->value(), 7000);

    // Editing the time box with the clock stopped moves there too.
    win.ui()->Song_time->setTime(QTime(0, 0, 3, 250));
    win.w.playback()->timeEdited();
    QCOMPARE(win.indicator()->msecs(), 3250);
    QCOMPARE(win.indicator()->x(), 325);

    // While the clock runs an edit is ignored.
    win.w.playback()->play();
    QTest::qWait(20);
    win.ui()->Song_time->setTime(QTime(0, 1));
    win.w.playback()->timeEdited();
    QTest::qWait(20);
    QVERIFY(win.indicator()->msecs() < 10000);
    win.w.playback()->play();
}

namespace {

// Counts the paints a widget receives.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

// An idle editor's ruler paints when something changes, not for ever.
void TestPlayback::idleRulerStaysStill()
{
    Window win;
    QTest::qWait(300);
    PaintCounter counter;
    win.ruler()->installEventFilter(&counter);
    QTest::qWait(1000);
    win.ruler()->removeEventFilter(&counter);
    QVERIFY2(counter.paints < 20, qPrintable(QString::number(counter.paints)));
}

void TestPlayback::startMark()
{
    Window win;
    TimelineHeaders *r = win.ruler();
    QCOMPARE(r->startMark(), 0);
    QVERIFY(!r->startShade()->isVisible());
    win.w.playback()->placeIndicator(2500);
    QCOMPARE(win.indicator()->x(), 250);
    r->on_setStart_clicked();
    QCOMPARE(r->startMark(), 250);
    QVERIFY(r->startShade()->isVisible());
    QCOMPARE(r->startShade()->geometry(), QRect(0, 0, 250, r->height()));
    QVERIFY(r->startShade()->testAttribute(Qt::WA_TransparentForMouseEvents));
    QCOMPARE(win.w.document()->startMarkMs(), 2500);
    // The mark keeps its time through a zoom; its shade follows.
    win.ui()->timeline_scaler->setValue(160);
    QCOMPARE(win.w.document()->startMarkMs(), 2500);
    QCOMPARE(r->startMark(), 1000);
    QCOMPARE(r->startShade()->width(), 1000);
    r->on_resetStart_clicked();
    QCOMPARE(r->startMark(), 0);
    QVERIFY(!r->startShade()->isVisible());
}

void TestPlayback::startMarkMenu()
{
    Window win;
    win.w.playback()->placeIndicator(4000);
    win.hbar()->setValue(0);
    // A right press moves the hover line, not the indicator, and opens the menu.
    QTest::mousePress(win.ruler(), Qt::RightButton, Qt::NoModifier, QPoint(900, 20));
    QCOMPARE(win.indicator()->x(), 400);
    QMenu *menu = win.ruler()->findChild<QMenu *>(QStringLiteral("timeline_headers_menu"));
    QVERIFY(menu);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->title(), QStringLiteral("時間軸"));
    const QList<QAction *> actions = menu->actions();
    QCOMPARE(actions.size(), 4); // then the Beats entries
    QCOMPARE(actions.at(0)->text(), QStringLiteral("設定起始"));
    QCOMPARE(actions.at(1)->text(), QStringLiteral("取消起始"));
    QCOMPARE(actions.at(3)->text(), QStringLiteral("節拍"));
    actions.at(0)->trigger();
    // The mark is the indicator's x, not the click's.
    QCOMPARE(win.ruler()->startMark(), 400);
    actions.at(1)->trigger();
    QCOMPARE(win.ruler()->startMark(), 0);
    menu->close();
}

void TestPlayback::rulerPainting_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QColor>("colour");
    // At 2.5 ms per pixel: a minor tick every 4 px from y = 25.
    QTest::newRow("minor tick") << 160 << 4 << 27 << QColor(100, 100, 100);
    QTest::newRow("medium tick") << 160 << 40 << 22 << QColor(120, 120, 120);
    QTest::newRow("major tick") << 160 << 400 << 18 << QColor(150, 150, 150);
    // At 10 ms per pixel no minor ticks: the gap keeps the background.
    QTest::newRow("no minor at 10") << 80 << 5 << 27 << QColor();
    QTest::newRow("medium at 10") << 80 << 10 << 22 << QColor(120, 120, 120);
    QTest::newRow("medium starts at 21") << 80 << 10 << 19 << QColor();
    QTest::newRow("major at 10") << 80 << 100 << 18 << QColor(150, 150, 150);
}

void TestPlayback::rulerPainting()
{
    QFETCH(int, zoom);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QColor, colour);
    Window win;
    win.ui()->timeline_scaler->setValue(zoom);
    win.hbar()->setValue(0);
    const QImage img = win.ruler()->grab(QRect(0, 0, 800, 30)).toImage();
    const QColor background = img.pixelColor(2, 29 - 10); // between ticks, above them
    const QColor got = img.pixelColor(x, y);
    if (colour.isValid())
        QCOMPARE(got.rgb(), colour.rgb());
    else
        QCOMPARE(got.rgb(), background.rgb());
}

void TestPlayback::keepIndicatorInView()
{
    Window win;
    QScrollBar *bar = win.hbar();
    bar->setValue(0);
    const int width = win.ui()->timeline_scroll->width();
    // Still inside the visible part: no scrolling.
    win.w.playback()->positionChanged(5000);
    QCOMPARE(bar->value(), 0);
    // Past the right edge: the indicator goes to the middle.
    win.w.playback()->positionChanged(30000);
    QCOMPARE(win.indicator()->x(), 3000);
    QCOMPARE(bar->value(), 3000 - width / 2);
    // Back before the left edge.
    win.w.playback()->positionChanged(1000);
    QCOMPARE(bar->value(), 0);
}

void TestPlayback::zoom_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("rulerWidth");
    QTest::addColumn<int>("indicatorX");
    QTest::newRow("closest") << 160 << 2.5f << 120000 << 8000;
    QTest::newRow("widest") << 40 << 40.0f << 7500 << 500;
    QTest::newRow("middle") << 100 << 6.4f << 46875 << 3125;
    QTest::newRow("default") << 80 << 10.0f << 30000 << 2000;
}

void TestPlayback::zoom()
{
    QFETCH(int, value);
    QFETCH(float, scale);
    QFETCH(int, rulerWidth);
    QFETCH(int, indicatorX);
    Window win;
    win.w.playback()->placeIndicator(20000);
    win.ui()->timeline_scaler->setValue(value == 80 ? 120 : 80);
    QSignalSpy moved(win.ruler(), &TimelineHeaders::indicatorMoved);
    win.ui()->timeline_scaler->setValue(value);
    QCOMPARE(win.w.timeAxis()->msPerPixel(), scale);
    QCOMPARE(win.ruler()->width(), rulerWidth);
    QCOMPARE(win.indicator()->x(), indicatorX);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.first().at(1).toBool(), false);
    // The indicator is in the middle of the track area.
    const int expected = qMax(0, indicatorX - win.ui()->timeline_scroll->width() / 2);
    QCOMPARE(win.hbar()->value(), expected);
    // The play line carries the indicator on over the tracks and the
    // waveform, down to the bottom, without catching the mouse.
    QWidget *area = win.ui()->timeline_scroll_contents;
    auto *line = area->findChild<QWidget *>(QStringLiteral("play_line"));
    QVERIFY(line);
    const QPoint top = win.ruler()->mapTo(area, QPoint(indicatorX, win.ruler()->height()));
    QCOMPARE(line->geometry(), QRect(top.x(), top.y(), 1, area->height() - top.y()));
    QVERIFY(line->isVisible());
    QVERIFY(line->testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(line->geometry().intersects(
        QRect(win.ui()->audio_frame->mapTo(area, QPoint(0, 0)), win.ui()->audio_frame->size())));
}

void TestPlayback::wheel_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("scaler");
    QTest::addColumn<int>("vertical");
    QTest::addColumn<int>("horizontal");
    QTest::newRow("ctrl zooms") << int(Qt::ControlModifier) << 120 << 84 << 50 << 1000;
    QTest::newRow("ctrl back") << int(Qt::ControlModifier) << -120 << 76 << 50 << 1000;
    QTest::newRow("shift scrolls down 8") << int(Qt::ShiftModifier) << 120 << 80 << 42 << 1000;
    QTest::newRow("shift up") << int(Qt::ShiftModifier) << -120 << 80 << 58 << 1000;
    QTest::newRow("plain scrolls sideways") << 0 << 120 << 80 << 50 << 960;
    QTest::newRow("plain the other way") << 0 << -120 << 80 << 50 << 1040;
}

void TestPlayback::wheel()
{
    QFETCH(int, modifiers);
    QFETCH(int, angle);
    QFETCH(int, scaler);
    QFETCH(int, vertical);
    QFETCH(int, horizontal);
    Window win;
    QScrollBar *v = win.ui()->timeline_vertical_scrollbar;
    v->setRange(0, 100);
    v->setValue(50);
    win.hbar()->setValue(1000);
    ScrollArea *area = win.ui()->timeline_scroll;
    QWheelEvent e(QPointF(50, 50), area->mapToGlobal(QPoint(50, 50)), QPoint(), QPoint(0, angle),
                  Qt::NoButton, Qt::KeyboardModifiers(modifiers), Qt::NoScrollPhase, false);
    QApplication::sendEvent(area->viewport(), &e);
    QCOMPARE(win.ui()->timeline_scaler->value(), scaler);
    QCOMPARE(v->value(), vertical);
    if (scaler == 80)
        QCOMPARE(win.hbar()->value(), horizontal);
}

void TestPlayback::timelineLength()
{
    Window win;
    QCOMPARE(win.ruler()->width(), 30000);
    QCOMPARE(win.ui()->Song_Slider->maximum(), 300000);
    win.ui()->timeline_max->setTime(QTime(0, 7));
    QCOMPARE(win.ruler()->totalLength(), 420000);
    QCOMPARE(win.ruler()->width(), 42000);
    win.ui()->timeline_scaler->setValue(160);
    QCOMPARE(win.ruler()->width(), 168000);
}

void TestPlayback::previewFeed()
{
    // A track with one mode from 1 s to 3 s (x 100..300 at 10 ms per pixel).
    Window win;
    vc::Playback *p = win.w.playback();
    QObject item;
    QStringList log;
    p->itemAt = [&](int x) {
        vc::Playback::ItemUnder u;
        if (x >= 100 && x < 300) {
            u.item = &item;
            u.start = 1000;
            u.end = 3000;
            u.loops = 2;
        }
        return u;
    };
    p->previewItem = [&](const vc::Playback::ItemUnder &u) {
        log << QStringLiteral("pattern %1-%2 x%3").arg(u.start).arg(u.end).arg(u.loops);
    };
    p->previewBlack = [&] { log << QStringLiteral("black"); };
    p->previewSeek = [&](int t, int s, int e) {
        log << QStringLiteral("seek %1 %2 %3").arg(t).arg(s).arg(e);
    };
    QObject *previewed = nullptr;
    p->getPreviewed = [&] { return previewed; };
    p->setPreviewed = [&](QObject *o) { previewed = o; };
    bool selected = false;
    p->hasSelection = [&] { return selected; };
    p->cancelSelect = [&] { log << QStringLiteral("cancel"); };

    p->positionChanged(500); // nothing under it, nothing previewed yet
    QCOMPARE(log, QStringList());
    p->positionChanged(1500); // enters the mode
    QCOMPARE(log, QStringList{"pattern 1000-3000 x2"});
    p->positionChanged(2000); // same mode: no new pattern
    QCOMPARE(log.size(), 1);
    QCOMPARE(p->previewedItem(), &item);
    // The user drags the indicator inside it: the preview jumps to the phase.
    QTest::mouseClick(win.ruler(), Qt::LeftButton, Qt::NoModifier, QPoint(250, 20));
    QCOMPARE(log.last(), QStringLiteral("seek 2500 1000 3000"));
    p->positionChanged(3500); // leaves it: black, selection cleared
    QCOMPARE(log.mid(log.size() - 2), (QStringList{"black", "cancel"}));
    QCOMPARE(p->previewedItem(), nullptr);
    // With an item selected the editor's start time stays.
    selected = true;
    win.ui()->Mode_t1->setTime(QTime(0, 0, 1));
    p->positionChanged(9000);
    QCOMPARE(win.ui()->Mode_t1->time(), QTime(0, 0, 1));
    selected = false;
    p->positionChanged(9500);
    QCOMPARE(win.ui()->Mode_t1->time(), QTime(0, 0, 9, 500));
}

// The colour tab and the gaps between modes reach the preview as a pattern
// it can draw: the editor's duration and repeat count, one colour.
void TestPlayback::previewHoldsColour_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<double>("seconds"); // Mode_last
    QTest::addColumn<int>("loops");      // Mode_loop
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("width"); // of the preview's pattern: ms of one loop

    QTest::newRow("colour tab entered") << "enter" << 2.5 << 3 << QColor(200, 0, 0) << 832;
    QTest::newRow("red changed") << "red" << 5.0 << 1 << QColor(10, 0, 0) << 5000;
    // 0.1 s in 9999 loops would be an empty pattern: the shortest loop shows.
    QTest::newRow("loops too many") << "enter" << 0.1 << 9999 << QColor(200, 0, 0) << 2;
    QTest::newRow("gap after a mode") << "gap" << 2.5 << 3 << QColor(0, 0, 0) << 832;
}

void TestPlayback::previewHoldsColour()
{
    QFETCH(QString, step);
    QFETCH(double, seconds);
    QFETCH(int, loops);
    QFETCH(QColor, colour);
    QFETCH(int, width);
    // The third catalogue gadget: 80 LEDs.
    vc::settings::open().setValue(vc::settings::Gadget, 3);
    Window win;
    QCOMPARE(win.w.document()->leds(), 80);
    Ui::MainWindow *ui = win.ui();
    win.w.document()->setColour1(QColor(200, 0, 0));
    ui->speedAutoCheckBox->setChecked(false);
    ui->Mode_last->setValue(seconds);
    ui->Mode_loop->setValue(loops);
    ui->Mode_Pic->setCurrentIndex(vc::Colour);
    MyGL *gl = ui->GLWidget;
    if (step == QLatin1String("red")) {
        ui->Color_R->setValue(10);
    } else if (step == QLatin1String("gap")) {
        ui->Add_Button->click(); // a red mode from 0 to 2.5 s
        win.w.playback()->positionChanged(1000);
        QCOMPARE(gl->preview().patternImage().pixelColor(0, 0), QColor(200, 0, 0));
        win.w.playback()->positionChanged(3000);
    }
    const QImage pattern = gl->preview().patternImage();
    QCOMPARE(pattern.size(), QSize(width, 80));
    QCOMPARE(pattern.pixelColor(0, 0), colour);
    QCOMPARE(pattern.pixelColor(width - 1, pattern.height() - 1), colour);
}

void TestPlayback::songPlayback()
{
    const QString path = m_dir.filePath(QStringLiteral("song.wav"));
    QVERIFY(vc::test::writeWav(path, 10, 8000, 1));
    Window win;
    QSignalSpy decoded(win.w.song(), &vc::SongLoader::decoded);
    win.w.ReadSong(path);
    QTRY_VERIFY_WITH_TIMEOUT(decoded.count() == 1, 30000);
    QVERIFY(win.w.playback()->songPresent());
    QVERIFY(win.ui()->Song_play->isEnabled());
    QMediaPlayer *player = win.w.playback()->player();
    QTRY_VERIFY_WITH_TIMEOUT(player->state() == QMediaPlayer::PausedState, 10000);

    win.ui()->Song_play->click();
    QTRY_VERIFY_WITH_TIMEOUT(player->state() == QMediaPlayer::PlayingState, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(win.ui()->Song_Slider->value() > 200, 10000);
    QVERIFY(win.indicator()->x() > 0);
    QVERIFY(!win.ui()->Song_time->isRunning());

    win.ui()->Song_play->click(); // pause
    QTRY_COMPARE_WITH_TIMEOUT(player->state(), QMediaPlayer::PausedState, 10000);

    // A click on the ruler seeks the player and moves everything at once.
    win.hbar()->setValue(0);
    QTest::mouseClick(win.ruler(), Qt::LeftButton, Qt::NoModifier, QPoint(600, 20));
    QCOMPARE(win.ui()->Song_Slider->value(), 6000);
    QCOMPARE(ms(win.ui()->Song_time->time()), 6000);
    QVERIFY(!player->signalsBlocked());
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(player->position() - 6000) < 100, 10000);

    // Stop leaves the player paused at 0, so the play icon shows.
    win.ui()->Song_Stop->click();
    QCOMPARE(player->state(), QMediaPlayer::PausedState);
    QCOMPARE(win.ui()->Song_Slider->value(), 0);
    QCOMPARE(win.indicator()->x(), 0);
    QCOMPARE(shown(win.ui()->Song_time), QStringLiteral("00:00.000"));
    QTRY_VERIFY_WITH_TIMEOUT(player->position() < 100, 10000);
}

VC_TEST_MAIN(TestPlayback)
#include "tst_playback.moc"
