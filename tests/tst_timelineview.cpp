#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "core/timeline/timeaxis.h"
#include "core/timeline/timescale.h"
#include "gui/app/mainwindow.h"
#include "gui/audio/timelineheaders.h"
#include "gui/model/trackscontroller.h"
#include "gui/timeline/smallwidgets.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "testsupport/dragplayer.h"
#include "testsupport/scriptedprompter.h"
#include "testsupport/shownwindow.h"
#include "testsupport/testenv.h"
#include "ui_mainwindow.h"

#include <QClipboard>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>
#include <QToolTip>
#include <QtTest/qtestspontaneevent.h>

using vc::test::DragPlayer;

namespace {

QByteArray record(int start, int end, const QImage &thumb, int speed = 0, int loops = 1)
{
    vc::ModeRecord r;
    r.thumb = thumb;
    r.start = start;
    r.end = end;
    r.colour = QColor(255, 0, 128);
    r.loops = loops;
    r.kind = vc::Colour;
    r.speed = speed;
    r.params = vc::colourParams(r.colour);
    return r.encode();
}

QImage plainThumb()
{
    QImage img(85, 85, QImage::Format_RGB32);
    img.fill(QColor(255, 0, 128));
    return img;
}

// Left half red, right half blue: shows where the texture's tiles repeat.
QImage halvesThumb()
{
    QImage img(85, 85, QImage::Format_RGB32);
    img.fill(Qt::blue);
    for (int y = 0; y < 85; ++y)
        for (int x = 0; x < 42; ++x)
            img.setPixelColor(x, y, Qt::red);
    return img;
}

// "0-1000 2000-3000": the items of a track in list order.
QString times(const Timeline *t)
{
    QStringList out;
    for (const TimelineItem *i : t->items())
        out << QStringLiteral("%1-%2").arg(i->start()).arg(i->end());
    return out.join(QLatin1Char(' '));
}

struct Window : vc::test::ShownWindow
{
    vc::TracksController *tracks() const { return w.tracks(); }
    Timeline *current() const { return tracks()->currentTrack(); }
    Indicator *indicator() const { return ui()->timeline_headers->indicator(); }

    // What the editor does on Insert: the item on the current track, placed.
    TimelineItem *insert(int start, int end, const QImage &thumb = plainThumb(), int speed = 0,
                         int loops = 1)
    {
        auto *item = new TimelineItem(record(start, end, thumb, speed, loops), current());
        current()->addTimelineItem(item);
        current()->on_itemDragEnd(QByteArray(), item);
        tracks()->refreshCounters();
        return item;
    }
    // "+": a new track above the current one, shown and laid out.
    Timeline *addTrack()
    {
        ui()->timeline_add->click();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        return current();
    }
};

QList<int> ints(std::initializer_list<int> v)
{
    return QList<int>(v);
}

// What the next popup menu shows, one entry per action ("-" for a
// separator, "(off)" after a disabled one); the menu is then closed, or
// the entry `choose` is triggered.
struct MenuReader
{
    QString title;
    QStringList entries;
    bool seen = false;
    void next(const QString &choose = QString())
    {
        QTimer::singleShot(50, [this, choose] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            seen = true;
            title = menu->title();
            QAction *chosen = nullptr;
            for (QAction *a : menu->actions()) {
                entries << (a->isSeparator()
                                ? QStringLiteral("-")
                                : a->text() +
                                      (a->isEnabled() ? QString() : QStringLiteral("(off)")));
                if (!choose.isEmpty() && a->text() == choose)
                    chosen = a;
            }
            menu->close();
            if (chosen)
                chosen->trigger();
        });
    }
};

} // namespace

class TestTimelineView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaType<TimelineItem *>();
        qRegisterMetaType<Timeline *>();
    }
    void init() { vc::test::clearSettings(); }

    void payloadAndCursor_data();
    void payloadAndCursor();
    void dragEnter_data();
    void dragEnter();
    void moveWithinTrack_data();
    void moveWithinTrack();
    void resizeEnd_data();
    void resizeEnd();
    void resizeStart_data();
    void resizeStart();
    void snapToBeats_data();
    void snapToBeats();
    void snapToBeatsIsRemembered();
    void resizeKeepsTheOtherEnd_data();
    void resizeKeepsTheOtherEnd();
    void resizeTooltip();
    void threshold_data();
    void threshold();
    void wholeItemMovesToAnotherTrack();
    void resizeRefusedOnAnotherTrack();
    void dragLeavingEverything();
    void dropIsNeverAccepted();
    void timesFromGeometry_data();
    void timesFromGeometry();
    void modeUnderIndicator_data();
    void modeUnderIndicator();
    void geometryFollowsZoom_data();
    void geometryFollowsZoom();
    void doubleClickWalksIndicator_data();
    void doubleClickWalksIndicator();
    void wheelOverTracks_data();
    void wheelOverTracks();
    void menuTooltips_data();
    void menuTooltips();
    void slidersDoubleClicked_data();
    void slidersDoubleClicked();
    void mouseMovesReachRuler();
    void draggingOverTrackMovesIndicator_data();
    void draggingOverTrackMovesIndicator();
    void menus_data();
    void menus();
    void itemMenuActions_data();
    void itemMenuActions();
    void itemPainting_data();
    void itemPainting();
    void currentTrackPainting();
};

// ---------------------------------------------------------------- payload

void TestTimelineView::payloadAndCursor_data()
{
    QTest::addColumn<int>("pressX");
    QTest::addColumn<QString>("extra");
    QTest::addColumn<int>("cursor");
    QTest::newRow("left edge") << 3 << "timeline/itemleft" << int(Qt::SplitHCursor);
    QTest::newRow("just inside the left edge") << 7 << "timeline/itemleft" << int(Qt::SplitHCursor);
    QTest::newRow("middle") << 100 << "timeline/itemByteArray" << int(Qt::OpenHandCursor);
    QTest::newRow("at the edge width") << 8 << "timeline/itemByteArray" << int(Qt::OpenHandCursor);
    QTest::newRow("right edge") << 197 << "timeline/itemright" << int(Qt::SplitHCursor);
}

void TestTimelineView::payloadAndCursor()
{
    QFETCH(int, pressX);
    QFETCH(QString, extra);
    QFETCH(int, cursor);
    Window x;
    DragPlayer drags;
    TimelineItem *item = x.insert(1000, 3000);
    QCOMPARE(item->geometry(), QRect(100, 5, 200, 45));

    // The pointer's shape tells a resize from a move.
    QMouseEvent move(QEvent::MouseMove, QPointF(pressX, 10), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(item, &move);
    QCOMPARE(int(item->cursor().shape()), cursor);

    QTest::mouseClick(item, Qt::LeftButton, Qt::NoModifier, QPoint(pressX, 10));
    QCOMPARE(drags.drags, 1);
    QStringList expected{QStringLiteral("timeline/item"), extra};
    QStringList formats = drags.formats;
    std::sort(expected.begin(), expected.end());
    std::sort(formats.begin(), formats.end());
    QCOMPARE(formats, expected);

    // 32-bit x at the press, 32-bit grab offset, the id: Qt's data stream.
    QDataStream in(drags.payload);
    qint32 startX = 0, grab = 0;
    QString id;
    in >> startX >> grab >> id;
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(startX, 100);
    QCOMPARE(grab, pressX);
    QCOMPARE(id, item->id());
    QVERIFY(id.startsWith(QLatin1String("0x")));
    QCOMPARE(id.size(), 18);

    // A click is a drag that did not move: selected, placed, unchanged.
    QCOMPARE(x.tracks()->selectedItem(), item);
    QVERIFY(item->selected());
    QCOMPARE(times(x.current()), QStringLiteral("1000-3000"));
    QCOMPARE(int(item->cursor().shape()), int(Qt::OpenHandCursor));
}

void TestTimelineView::dragEnter_data()
{
    QTest::addColumn<QString>("kind"); // own, whole, resize, foreign
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("becomesCurrent");
    QTest::newRow("own item") << "own" << true << true;
    QTest::newRow("whole item from another track") << "whole" << true << true;
    QTest::newRow("resize from another track") << "resize" << false << false;
    QTest::newRow("no item payload") << "foreign" << false << false;
}

void TestTimelineView::dragEnter()
{
    QFETCH(QString, kind);
    QFETCH(bool, accepted);
    QFETCH(bool, becomesCurrent);
    Window x;
    Timeline *bottom = x.current();
    TimelineItem *a = x.insert(0, 1000);
    TimelineItem *b = x.insert(1500, 2500);
    TimelineItem *c = x.insert(4000, 5000);
    Timeline *top = x.addTrack();
    QVERIFY(top != bottom);

    Timeline *target = kind == QLatin1String("own") ? bottom : top;
    if (kind == QLatin1String("own"))
        x.w.on_timeline_Pressed(top, true);
    else
        x.w.on_timeline_Pressed(bottom, true); // where a real drag starts
    // The source track holds the dragged item once the drag has entered it.
    bottom->setDragged(b);

    QScopedPointer<QMimeData> mime;
    if (kind == QLatin1String("foreign")) {
        mime.reset(new QMimeData);
        mime->setText(QStringLiteral("not an item"));
    } else {
        mime.reset(b->dragData(QPoint(kind == QLatin1String("resize") ? 97 : 50, 10)));
    }
    QSignalSpy pressed(target, &Timeline::timelinePressed);
    QSignalSpy dragIn(target, &Timeline::dragIn);
    QDragEnterEvent enter(QPoint(200, 15), Qt::MoveAction, mime.data(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    QCOMPARE(pressed.count(), becomesCurrent ? 1 : 0);
    if (becomesCurrent) {
        QCOMPARE(x.current(), target);
        QCOMPARE(pressed.first().at(1).toBool(), false); // the selection stays
    }
    QCOMPARE(dragIn.count(), kind == QLatin1String("whole") ? 1 : 0);
    if (kind == QLatin1String("own")) {
        // Last in the list, so that it wins a start tie when sorted.
        QCOMPARE(bottom->items(), (QList<TimelineItem *>{a, c, b}));
        QCOMPARE(bottom->dragged(), b);
        QCOMPARE(bottom->dragState().grabOffset, 50);
        QCOMPARE(bottom->dragState().startX, 150);
    } else if (kind == QLatin1String("whole")) {
        QCOMPARE(b->track(), top);
        QCOMPARE(top->dragged(), b);
        QVERIFY(!bottom->dragged());
        QCOMPARE(times(bottom), QStringLiteral("0-1000 4000-5000"));
    } else {
        QCOMPARE(b->track(), bottom);
        QVERIFY(!top->dragged());
    }
}

// ---------------------------------------------------------------- moves

// Items 0-1000 (x 0..100), 1500-2500 (x 150..250) and 4000-5000 (x 400..500)
// at 10 ms per pixel. The middle one is pressed 50 px in (or at an end for
// a resize) and the pointer goes through `path` (track x, one move event
// each, as a real drag reports every few pixels): neighbours are looked up
// 10 px beside the item where it stands at each move.
struct Scene
{
    Window w;
    DragPlayer drags;
    Timeline *t = nullptr;
    TimelineItem *a = nullptr, *b = nullptr, *c = nullptr;
    Scene(int indicatorMs = 0)
    {
        t = w.current();
        a = w.insert(0, 1000);
        b = w.insert(1500, 2500);
        c = w.insert(4000, 5000);
        w.indicator()->placeAt(indicatorMs);
    }
    // Presses the middle item at `pressX` and drags along `path` on its track.
    void drag(int pressX, const QList<int> &path)
    {
        for (int p : path)
            drags.steps.append({t, QPoint(p, 15)});
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(pressX, 10));
    }
};

void TestTimelineView::moveWithinTrack_data()
{
    QTest::addColumn<QList<int>>("path");
    QTest::addColumn<int>("indicatorMs");
    QTest::addColumn<int>("x");
    QTest::addColumn<QString>("after");
    QTest::newRow("free") << ints({350}) << 0 << 300 << "0-1000 3000-4000 4000-5000";
    QTest::newRow("snaps to the next item")
        << ints({330, 345, 348}) << 0 << 300 << "0-1000 3000-4000 4000-5000";
    QTest::newRow("just outside the next item's window")
        << ints({330, 345, 344}) << 0 << 294 << "0-1000 2940-3940 4000-5000";
    QTest::newRow("snaps to the previous item")
        << ints({170, 154, 155}) << 0 << 100 << "0-1000 1000-2000 4000-5000";
    QTest::newRow("just outside the previous item's window")
        << ints({170, 154, 156}) << 0 << 106 << "0-1000 1060-2060 4000-5000";
    QTest::newRow("the indicator does not attract a move")
        << ints({170, 248}) << 2000 << 198 << "0-1000 1980-2980 4000-5000";
    QTest::newRow("over the next item: it is trimmed")
        << ints({330, 375, 390, 420}) << 0 << 370 << "0-1000 3700-4700 4700-5000";
    QTest::newRow("never left of 0: wins over the item there")
        << ints({30}) << 0 << 0 << "0-1000 4000-5000";
}

void TestTimelineView::moveWithinTrack()
{
    QFETCH(QList<int>, path);
    QFETCH(int, indicatorMs);
    QFETCH(int, x);
    QFETCH(QString, after);
    Scene s(indicatorMs);
    QSignalSpy ended(s.t, &Timeline::itemDragEnd);
    s.drag(50, path);
    QCOMPARE(s.b->x(), x);
    QCOMPARE(times(s.t), after);
    QVERIFY(s.t->items().contains(s.b));
    QVERIFY(!s.t->dragged());
    // The end of the drag selects the item and counts as an editing step.
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.first().at(1).value<TimelineItem *>(), s.b);
    QVERIFY(!ended.first().at(2).value<Timeline *>()); // same track
    QCOMPARE(s.w.tracks()->selectedItem(), s.b);
    QCOMPARE(s.w.tracks()->history().index(), 4);
}

void TestTimelineView::resizeEnd_data()
{
    QTest::addColumn<QList<int>>("path");
    QTest::addColumn<int>("indicatorMs");
    QTest::addColumn<QString>("after");
    QTest::newRow("free") << ints({300}) << 0 << "0-1000 1500-3020 4000-5000";
    QTest::newRow("2 px left of the next item snaps to it")
        << ints({380, 390, 398}) << 0 << "0-1000 1500-4000 4000-5000";
    QTest::newRow("3 px right of the next item snaps to it")
        << ints({380, 390, 403}) << 0 << "0-1000 1500-4000 4000-5000";
    QTest::newRow("snaps to the indicator") << ints({328}) << 3330 << "0-1000 1500-3330 4000-5000";
    QTest::newRow("the next item wins over the indicator")
        << ints({380, 390, 396}) << 3980 << "0-1000 1500-4000 4000-5000";
    QTest::newRow("past the next item: it is trimmed")
        << ints({380, 390, 420}) << 0 << "0-1000 1500-4220 4220-5000";
    QTest::newRow("never before its start") << ints({100}) << 0 << "0-1000 1500-1520 4000-5000";
}

void TestTimelineView::resizeEnd()
{
    QFETCH(QList<int>, path);
    QFETCH(int, indicatorMs);
    QFETCH(QString, after);
    Scene s(indicatorMs);
    s.drag(97, path);
    QVERIFY(s.drags.formats.contains(QStringLiteral("timeline/itemright")));
    QCOMPARE(times(s.t), after);
}

void TestTimelineView::resizeStart_data()
{
    QTest::addColumn<QList<int>>("path");
    QTest::addColumn<int>("indicatorMs");
    QTest::addColumn<QString>("after");
    QTest::newRow("free") << ints({180}) << 0 << "0-1000 1780-2500 4000-5000";
    QTest::newRow("snaps to the previous item")
        << ints({110, 106}) << 0 << "0-1000 1000-2500 4000-5000";
    QTest::newRow("snaps to the indicator") << ints({172}) << 1700 << "0-1000 1700-2500 4000-5000";
    QTest::newRow("never past its end") << ints({400}) << 0 << "0-1000 2480-2500 4000-5000";
    QTest::newRow("never before 0") << ints({110, 50, 1}) << 3000 << "0-2500 4000-5000";
}

void TestTimelineView::resizeStart()
{
    QFETCH(QList<int>, path);
    QFETCH(int, indicatorMs);
    QFETCH(QString, after);
    Scene s(indicatorMs);
    s.drag(3, path);
    QVERIFY(s.drags.formats.contains(QStringLiteral("timeline/itemleft")));
    QCOMPARE(times(s.t), after);
}

// The same scene with beats on the ruler and "Snap to beats" on (or off):
// a beat within an edge's window draws it, unless a neighbour or the
// indicator is nearer; a snapped edge takes the beat's exact time.
void TestTimelineView::snapToBeats_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<int>>("path");
    QTest::addColumn<QVector<int>>("beats");
    QTest::addColumn<bool>("snap");
    QTest::addColumn<QString>("after");
    using B = QVector<int>;
    QTest::newRow("move: start onto a beat")
        << "move" << ints({240, 320}) << B{2733} << true << "0-1000 2733-3733 4000-5000";
    QTest::newRow("move: snapping off")
        << "move" << ints({240, 320}) << B{2733} << false << "0-1000 2700-3700 4000-5000";
    QTest::newRow("move: end onto a beat")
        << "move" << ints({240, 305}) << B{3580} << true << "0-1000 2580-3580 4000-5000";
    QTest::newRow("move: the previous item nearer than the beat")
        << "move" << ints({170, 154, 153}) << B{1070} << true << "0-1000 1000-2000 4000-5000";
    QTest::newRow("move: the beat nearer than the previous item")
        << "move" << ints({170, 154, 155}) << B{1060} << true << "0-1000 1060-2060 4000-5000";
    QTest::newRow("end onto a beat")
        << "end" << ints({330}) << B{3333} << true << "0-1000 1500-3333 4000-5000";
    QTest::newRow("end: beat outside the window")
        << "end" << ints({330}) << B{3400} << true << "0-1000 1500-3320 4000-5000";
    QTest::newRow("end: the next item as near as the beat")
        << "end" << ints({380, 390, 398}) << B{3960} << true << "0-1000 1500-4000 4000-5000";
    QTest::newRow("start onto a beat")
        << "start" << ints({180}) << B{1777} << true << "0-1000 1777-2500 4000-5000";
    QTest::newRow("start: snapping off")
        << "start" << ints({180}) << B{1777} << false << "0-1000 1780-2500 4000-5000";
    // The indicator clicked on the ruler: its time after a click at x 600.
    QTest::newRow("indicator onto a beat")
        << "indicator" << ints({600}) << B{3000, 6040} << true << "6040";
    QTest::newRow("indicator: beat outside the window")
        << "indicator" << ints({600}) << B{6060} << true << "6000";
    QTest::newRow("indicator: snapping off")
        << "indicator" << ints({600}) << B{6040} << false << "6000";
}

void TestTimelineView::snapToBeats()
{
    QFETCH(QString, kind);
    QFETCH(QList<int>, path);
    QFETCH(QVector<int>, beats);
    QFETCH(bool, snap);
    QFETCH(QString, after);
    Scene s;
    auto *action = s.w.w.findChild<QAction *>(QStringLiteral("actionSnapToBeats"));
    QVERIFY(action && action->isCheckable());
    action->setChecked(snap);
    s.w.ui()->timeline_headers->setBeats(beats);
    if (kind == QLatin1String("indicator")) {
        QTest::mouseClick(s.w.ui()->timeline_headers, Qt::LeftButton, Qt::NoModifier,
                          QPoint(path.first(), 20));
        QCOMPARE(QString::number(s.w.indicator()->msecs()), after);
        return;
    }
    s.drag(kind == QLatin1String("move") ? 50 : kind == QLatin1String("end") ? 97 : 3, path);
    QCOMPARE(times(s.t), after);
}

// The Edit menu's entry keeps its state for the next window.
void TestTimelineView::snapToBeatsIsRemembered()
{
    {
        Window w;
        auto *action = w.w.findChild<QAction *>(QStringLiteral("actionSnapToBeats"));
        QVERIFY(action);
        QVERIFY(!action->isChecked());
        QVERIFY(w.ui()->menu_4->actions().contains(action));
        action->trigger();
        QVERIFY(w.ui()->timeline_headers->snapToBeats());
    }
    Window again;
    auto *action = again.w.findChild<QAction *>(QStringLiteral("actionSnapToBeats"));
    QVERIFY(action->isChecked());
    QVERIFY(again.ui()->timeline_headers->snapToBeats());
    action->trigger();
    Window third;
    QVERIFY(!third.ui()->timeline_headers->snapToBeats());
}

void TestTimelineView::resizeKeepsTheOtherEnd_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("pressX");   // in the item
    QTest::addColumn<int>("pointerX"); // on the track
    QTest::addColumn<QString>("after");
    // 1001-3001 at 6.4 ms/px lies at x 156, 313 wide: its times are off
    // the pixel grid, and the end not dragged keeps its time exactly.
    QTest::newRow("end, 6.4 ms/px") << 100 << 310 << 550 << "1001-3532";
    QTest::newRow("start, 6.4 ms/px") << 100 << 3 << 200 << "1267-3001";
    // 40 ms/px: x 25, 50 wide.
    QTest::newRow("end, 40 ms/px") << 40 << 47 << 100 << "1001-4080";
    QTest::newRow("start, 40 ms/px") << 40 << 2 << 10 << "320-3001";
}

void TestTimelineView::resizeKeepsTheOtherEnd()
{
    QFETCH(int, zoom);
    QFETCH(int, pressX);
    QFETCH(int, pointerX);
    QFETCH(QString, after);
    Window w;
    DragPlayer drags;
    w.ui()->timeline_scaler->setValue(zoom);
    TimelineItem *item = w.insert(1001, 3001);
    drags.steps.append({w.current(), QPoint(pointerX, 15)});
    QTest::mouseClick(item, Qt::LeftButton, Qt::NoModifier, QPoint(pressX, 10));
    QCOMPARE(drags.drags, 1);
    QCOMPARE(times(w.current()), after);
}

void TestTimelineView::resizeTooltip()
{
    Scene s;
    s.drag(97, {300});
    QCOMPARE(QToolTip::text(), QStringLiteral("長度: 00:01.520\n結束時間: 00:03.020"));
    s.drag(3, {180});
    QCOMPARE(QToolTip::text(), QStringLiteral("長度: 00:01.240\n開始時間: 00:01.780"));
    QToolTip::hideText();
}

void TestTimelineView::threshold_data()
{
    QTest::addColumn<QList<QPoint>>("path");
    QTest::addColumn<QString>("after");
    // Pressed at track (200, 15).
    QTest::newRow("4 px: nothing moves")
        << QList<QPoint>{QPoint(203, 16)} << "0-1000 1500-2500 4000-5000";
    QTest::newRow("5 px: moves") << QList<QPoint>{QPoint(204, 16)} << "0-1000 1540-2540 4000-5000";
    QTest::newRow("5 px the other way")
        << QList<QPoint>{QPoint(197, 13)} << "0-1000 1470-2470 4000-5000";
    QTest::newRow("met once, then every move counts")
        << QList<QPoint>{QPoint(210, 15), QPoint(201, 15)} << "0-1000 1510-2510 4000-5000";
}

void TestTimelineView::threshold()
{
    QFETCH(QList<QPoint>, path);
    QFETCH(QString, after);
    Scene s;
    QSignalSpy ended(s.t, &Timeline::itemDragEnd);
    for (const QPoint &p : path)
        s.drags.steps.append({s.t, p});
    QTest::mouseClick(s.b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    QCOMPARE(times(s.t), after);
    // Moved or not, the item is selected and placed again.
    QCOMPARE(ended.count(), 1);
    QCOMPARE(s.w.tracks()->selectedItem(), s.b);
    QVERIFY(s.b->selected());
}

// ---------------------------------------------------------------- tracks

void TestTimelineView::wholeItemMovesToAnotherTrack()
{
    Scene s;
    Timeline *bottom = s.t;
    Timeline *top = s.w.addTrack();
    const QByteArray before = s.b->data();
    QSignalSpy ended(top, &Timeline::itemDragEnd);
    s.drags.steps = {{bottom, QPoint(200, 15)}, {top, QPoint(300, 15)}};
    QTest::mouseClick(s.b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    QCOMPARE(s.drags.accepted, (QList<bool>{true, true}));
    QCOMPARE(times(bottom), QStringLiteral("0-1000 4000-5000"));
    QCOMPARE(times(top), QStringLiteral("2500-3500"));
    QCOMPARE(s.b->track(), top);
    QVERIFY(s.b->isVisible());
    QCOMPARE(s.w.current(), top);
    QVERIFY(!top->dragged() && !bottom->dragged());
    QCOMPARE(s.w.tracks()->selectedItem(), s.b);
    QCOMPARE(s.w.ui()->Saved_status->text(), QStringLiteral("圖樣數：3"));
    // The record as it was and the track it came from.
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.first().at(0).toByteArray(), before);
    QCOMPARE(ended.first().at(2).value<Timeline *>(), bottom);
    // One step of the history: undo puts it back where it was.
    s.w.ui()->actionUndo->trigger();
    QCOMPARE(times(bottom), QStringLiteral("0-1000 1500-2500 4000-5000"));
    QCOMPARE(times(top), QString());
}

void TestTimelineView::resizeRefusedOnAnotherTrack()
{
    Scene s;
    Timeline *bottom = s.t;
    Timeline *top = s.w.addTrack();
    s.drags.steps = {{bottom, QPoint(260, 15)}, {top, QPoint(300, 15)}};
    QTest::mouseClick(s.b, Qt::LeftButton, Qt::NoModifier, QPoint(97, 10));
    QCOMPARE(s.drags.accepted, (QList<bool>{true, false}));
    // The end followed the pointer while it was on the item's track; the
    // item stays there.
    QCOMPARE(times(bottom), QStringLiteral("0-1000 1500-2620 4000-5000"));
    QCOMPARE(times(top), QString());
    QCOMPARE(s.w.current(), bottom);
    QVERIFY(!top->dragged());
}

void TestTimelineView::dragLeavingEverything()
{
    Scene s;
    s.drags.drop = false;
    s.drags.steps = {{s.t, QPoint(350, 15)}};
    QTest::mouseClick(s.b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    // The item keeps its last place, takes its times from it and is placed.
    QCOMPARE(times(s.t), QStringLiteral("0-1000 3000-4000 4000-5000"));
    QVERIFY(!s.t->dragged());
}

void TestTimelineView::dropIsNeverAccepted()
{
    Scene s;
    QScopedPointer<QMimeData> mime(s.b->dragData(QPoint(50, 10)));
    QDragEnterEvent enter(QPoint(200, 15), Qt::MoveAction, mime.data(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(s.t, &enter);
    QCOMPARE(s.t->dragged(), s.b);
    QDropEvent drop(QPoint(200, 15), Qt::MoveAction, mime.data(), Qt::LeftButton, Qt::NoModifier);
    drop.acceptProposedAction();
    QApplication::sendEvent(s.t, &drop);
    QVERIFY(!drop.isAccepted());
    QCOMPARE(drop.dropAction(), Qt::IgnoreAction);
    QVERIFY(!s.t->dragged());
}

// ---------------------------------------------------------------- geometry

void TestTimelineView::timesFromGeometry_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("moveBy");
    QTest::addColumn<QString>("after");
    QTest::newRow("10 ms/px") << 80 << 1000 << 3000 << 23 << "1230-3230";
    // x 156 (156.25) moved to 157: 157 x 6.4 = 1004.8; the length stays
    // 2000 ms (the pixels would give 3008 for the end)
    QTest::newRow("6.4 ms/px") << 100 << 1000 << 3000 << 1 << "1005-3005";
    // x 400, width 800: 401 x 2.5 = 1002.5 rounds up
    QTest::newRow("2.5 ms/px") << 160 << 1000 << 3000 << 1 << "1003-3003";
    QTest::newRow("40 ms/px") << 40 << 1000 << 3000 << -1 << "960-2960";
    // Unmoved: the times stay as they are, off the pixel grid or not.
    QTest::newRow("unmoved keeps its times") << 100 << 1001 << 3001 << 0 << "1001-3001";
}

void TestTimelineView::timesFromGeometry()
{
    QFETCH(int, zoom);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, moveBy);
    QFETCH(QString, after);
    Window w;
    w.ui()->timeline_scaler->setValue(zoom);
    // A mode with a speed: a move must not recount its repeats.
    TimelineItem *item = w.insert(start, end, plainThumb(), 10, 31);
    const QByteArray before = item->data();
    // The part of a drag after the drag itself, without one.
    const TimelineItem::DragStart started = item->beginDrag(QPoint(20, 10));
    QCOMPARE(w.tracks()->selectedItem(), item);
    item->move(item->x() + moveBy, 5);
    QSignalSpy ended(item, &TimelineItem::dragEnd);
    item->finishDrag(started);
    QCOMPARE(times(w.current()), after);
    QCOMPARE(w.current()->items().first()->loops(), 31);
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.first().at(0).toByteArray(), before);
    QCOMPARE(ended.first().at(2).value<QWidget *>(), w.current());
}

void TestTimelineView::modeUnderIndicator_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QList<int>>("times"); // start, end, start, end...
    QTest::newRow("10 ms/px, apart") << 80 << ints({0, 1000, 1500, 3000});
    QTest::newRow("10 ms/px, end to end") << 80 << ints({0, 1000, 1000, 1005, 1005, 2000});
    // At 40 ms/px a 30 ms mode is drawn 50 pixels wide: over its neighbour.
    QTest::newRow("40 ms/px, narrow under the minimum width")
        << 40 << ints({1000, 1030, 1030, 1100, 1100, 3000});
    QTest::newRow("6.4 ms/px, off the pixel grid")
        << 100 << ints({3, 1001, 1001, 1007, 2500, 2501});
}

// The play indicator previews the mode the track draws under it: the
// project answers as the widgets do.
void TestTimelineView::modeUnderIndicator()
{
    QFETCH(int, zoom);
    QFETCH(QList<int>, times);
    Window w;
    w.ui()->timeline_scaler->setValue(zoom);
    for (int i = 0; i + 1 < times.size(); i += 2)
        w.insert(times.at(i), times.at(i + 1));
    Timeline *track = w.current();
    const vc::Show::Track *modes = w.w.document()->track(track->trackId());
    for (int x = 0; x < vc::timescale::msToX(times.last(), track->msPerPixel()) + 60; ++x) {
        const int index = w.w.project()->modeIndexUnder(track->trackId(), x, track->msPerPixel());
        TimelineItem *fromProject = index < 0 ? nullptr : track->itemOf(modes->modes.at(index).id);
        QCOMPARE(fromProject, qobject_cast<TimelineItem *>(track->childAt(x, 10)));
    }
}

void TestTimelineView::geometryFollowsZoom_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("80: 10 ms/px") << 80 << QRect(100, 5, 200, 45);
    QTest::newRow("160: 2.5 ms/px") << 160 << QRect(400, 5, 800, 45);
    QTest::newRow("100: 6.4 ms/px") << 100 << QRect(156, 5, 313, 45);
    QTest::newRow("40: 40 ms/px") << 40 << QRect(25, 5, 50, 45);
}

void TestTimelineView::geometryFollowsZoom()
{
    QFETCH(int, zoom);
    QFETCH(QRect, geometry);
    Window w;
    TimelineItem *item = w.insert(1000, 3000);
    QCOMPARE(item->geometry(), QRect(100, 5, 200, 45));
    w.ui()->timeline_scaler->setValue(zoom == 80 ? 120 : zoom);
    w.ui()->timeline_scaler->setValue(zoom);
    QCOMPARE(item->geometry(), geometry);
    QCOMPARE(item->minimumWidth(), int(20.0f / w.w.timeAxis()->msPerPixel()));
}

void TestTimelineView::doubleClickWalksIndicator_data()
{
    QTest::addColumn<int>("zoom");
    QTest::newRow("10 ms/px") << 80;
    QTest::newRow("2.5 ms/px") << 160;
    QTest::newRow("6.4 ms/px") << 100;
    QTest::newRow("40 ms/px") << 40;
}

void TestTimelineView::doubleClickWalksIndicator()
{
    QFETCH(int, zoom);
    Window w;
    DragPlayer drags;
    w.ui()->timeline_scaler->setValue(zoom);
    TimelineItem *item = w.insert(1000, 3000);
    w.indicator()->placeAt(500);
    QSignalSpy moved(w.ui()->timeline_headers, &TimelineHeaders::indicatorMoved);
    const int expected[] = {1000, 3000, 1000};
    const int edges[] = {item->x(), item->x() + item->width(), item->x()};
    for (int i = 0; i < 3; ++i) {
        QTest::mouseDClick(item, Qt::LeftButton, Qt::NoModifier, QPoint(item->width() / 2, 10));
        QCOMPARE(w.indicator()->msecs(), expected[i]);
        QCOMPARE(w.indicator()->x(), edges[i]);
        QCOMPARE(moved.count(), i + 1);
        QCOMPARE(moved.last().at(0).toInt(), edges[i]);
        QCOMPARE(moved.last().at(1).toBool(), true);
    }
    QCOMPARE(times(w.current()), QStringLiteral("1000-3000"));
}

// ---------------------------------------------------------------- wheel, hover

void TestTimelineView::wheelOverTracks_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("heldKey"); // pressed on the track area before
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("vertical");
    QTest::addColumn<int>("horizontal"); // -1: not checked (a zoom recentres)
    const int ctrl = int(Qt::ControlModifier), shift = int(Qt::ShiftModifier), none = 0;
    QTest::newRow("ctrl: +4 on the zoom slider") << ctrl << 0 << 120 << 84 << 0 << -1;
    QTest::newRow("ctrl back: -4") << ctrl << 0 << -120 << 76 << 0 << -1;
    QTest::newRow("shift: 8 steps up") << shift << 0 << 120 << 80 << -8 << 1000;
    QTest::newRow("shift back: 8 steps down") << shift << 0 << -120 << 80 << 8 << 1000;
    QTest::newRow("no key: 40 px back in time") << none << 0 << 120 << 80 << 0 << 960;
    QTest::newRow("no key: 40 px on") << none << 0 << -120 << 80 << 0 << 1040;
    // A key held on the track area counts though the wheel does not carry it.
    QTest::newRow("Ctrl key held") << none << int(Qt::Key_Control) << 120 << 84 << 0 << -1;
    QTest::newRow("Shift key held") << none << int(Qt::Key_Shift) << 120 << 80 << -8 << 1000;
    QTest::newRow("other key held: scrolls") << none << int(Qt::Key_A) << 120 << 80 << 0 << 960;
    // Ctrl pressed for a shortcut that opens a dialog: the release goes to
    // the dialog, the area only loses the focus.
    QTest::newRow("Ctrl released elsewhere")
        << none << -int(Qt::Key_Control) << 120 << 80 << 0 << 960;
}

void TestTimelineView::wheelOverTracks()
{
    QFETCH(int, modifiers);
    QFETCH(int, heldKey);
    QFETCH(int, angle);
    QFETCH(int, zoom);
    QFETCH(int, vertical);
    QFETCH(int, horizontal);
    Window w;
    for (int i = 0; i < 12; ++i)
        w.addTrack();
    QScrollBar *bar = w.ui()->timeline_vertical_scrollbar;
    QVERIFY2(bar->maximum() >= 40, qPrintable(QString::number(bar->maximum())));
    bar->setValue(20);
    QScrollBar *hbar = w.ui()->timeline_scroll->horizontalScrollBar();
    hbar->setValue(1000);
    QCOMPARE(hbar->value(), 1000);
    ScrollArea *area = w.ui()->timeline_scroll;
    if (heldKey) {
        QKeyEvent press(QEvent::KeyPress, qAbs(heldKey), Qt::NoModifier);
        QApplication::sendEvent(area, &press);
    }
    if (heldKey < 0) {
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(area, &out);
        heldKey = 0;
    }
    Timeline *t = w.current();
    // Sent to the track: it passes the wheel on to the track area.
    QWheelEvent e(QPointF(300, 20), t->mapToGlobal(QPoint(300, 20)), QPoint(), QPoint(0, angle),
                  Qt::NoButton, Qt::KeyboardModifiers(modifiers), Qt::NoScrollPhase, false);
    // As from the window system: an ignored wheel goes on to the parents.
    // (sendEvent would clear the spontaneous mark; notify keeps it.)
    QSpontaneKeyEvent::setSpontaneous(&e);
    qApp->notify(t, &e);
    QCOMPARE(w.ui()->timeline_scaler->value(), zoom);
    QCOMPARE(bar->value(), 20 + vertical);
    if (horizontal >= 0)
        QCOMPARE(hbar->value(), horizontal);
    // The tracks and their row labels follow the bar.
    QCOMPARE(w.ui()->timeline_scroll_2->verticalScrollBar()->value(), bar->value());
    QCOMPARE(w.ui()->timeline_rowheader->verticalScrollBar()->value(), bar->value());
    if (heldKey) {
        // Released, the wheel scrolls sideways again.
        QKeyEvent release(QEvent::KeyRelease, heldKey, Qt::NoModifier);
        QApplication::sendEvent(area, &release);
        const int before = hbar->value();
        QWheelEvent again(QPointF(300, 20), t->mapToGlobal(QPoint(300, 20)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&again);
        qApp->notify(t, &again);
        QCOMPARE(w.ui()->timeline_scaler->value(), zoom);
        QCOMPARE(hbar->value(), before + 40);
    }
}

void TestTimelineView::menuTooltips_data()
{
    QTest::addColumn<QString>("tooltip"); // of the hovered action
    QTest::addColumn<bool>("active");
    QTest::addColumn<QString>("shown"); // empty: none
    QTest::newRow("hovered action") << "1 LED, 30 fps" << true << "1 LED, 30 fps";
    QTest::newRow("no action under the pointer") << "1 LED, 30 fps" << false << "";
}

// The gadget menu explains the hovered entry beside the menu.
void TestTimelineView::menuTooltips()
{
    QFETCH(QString, tooltip);
    QFETCH(bool, active);
    QFETCH(QString, shown);
    QToolTip::hideText();
    myMenu menu;
    QAction *a = menu.addAction(QStringLiteral("Staff"));
    a->setToolTip(tooltip);
    menu.popup(QPoint(100, 100));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    if (active)
        menu.setActiveAction(a);
    const QPoint global(menu.x() + 20, menu.y() + 37);
    // What an earlier entry showed goes in any case.
    QToolTip::showText(global, QStringLiteral("earlier entry"), &menu);
    QVERIFY(QToolTip::isVisible());
    QHelpEvent help(QEvent::ToolTip, menu.mapFromGlobal(global), global);
    QApplication::sendEvent(&menu, &help);
    // (hideText lets the tip fade for a moment)
    QTRY_COMPARE(QToolTip::isVisible(), !shown.isEmpty());
    if (!shown.isEmpty())
        QCOMPARE(QToolTip::text(), shown);
    menu.close();
    QToolTip::hideText();
}

void TestTimelineView::slidersDoubleClicked_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("value");
    QTest::newRow("zoom") << "timeline_scaler" << 100;
    QTest::newRow("speed") << "Speed_slide" << 10;
}

// A double click takes a slider to the middle of its range; for the zoom
// slider that is 6.4 ms per pixel.
void TestTimelineView::slidersDoubleClicked()
{
    QFETCH(QString, slider);
    QFETCH(int, value);
    Window w;
    auto *s = w.w.findChild<MySlider *>(slider);
    QVERIFY(s);
    s->setEnabled(true);
    s->setValue(s->minimum());
    QTest::mouseDClick(s, Qt::LeftButton, Qt::NoModifier, QPoint(2, s->height() / 2));
    QCOMPARE(s->value(), value);
    if (slider == QLatin1String("timeline_scaler"))
        QCOMPARE(w.w.timeAxis()->msPerPixel(), 6.4f);
}

void TestTimelineView::mouseMovesReachRuler()
{
    Window w;
    TimelineItem *item = w.insert(1000, 3000);
    TimelineHeaders *ruler = w.ui()->timeline_headers;
    QMouseEvent overTrack(QEvent::MouseMove, QPointF(321, 20), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
    QApplication::sendEvent(w.current(), &overTrack);
    QCOMPARE(ruler->mousePosition().x(), 321);
    // Over an item: the item sets its cursor and passes the move on.
    QMouseEvent overItem(QEvent::MouseMove, QPointF(10, 10), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
    QApplication::sendEvent(item, &overItem);
    QCOMPARE(ruler->mousePosition().x(), 110);
    QCOMPARE(w.indicator()->x(), 0); // hovering never moves the indicator
}

void TestTimelineView::draggingOverTrackMovesIndicator_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("ms");
    QTest::newRow("10 ms/px") << 80 << 450 << 4500;
    QTest::newRow("2.5 ms/px: truncated") << 160 << 451 << 1127;
    QTest::newRow("6.4 ms/px: truncated") << 100 << 333 << 2131;
}

// Pressing an empty stretch of a track and moving with the button held
// scrubs: the ruler takes the moves and the indicator follows the pointer.
void TestTimelineView::draggingOverTrackMovesIndicator()
{
    QFETCH(int, zoom);
    QFETCH(int, x);
    QFETCH(int, ms);
    Window w;
    w.ui()->timeline_scaler->setValue(zoom);
    w.insert(0, 100); // far from the pointer
    Timeline *t = w.current();
    QSignalSpy moved(w.ui()->timeline_headers, &TimelineHeaders::indicatorMoved);
    QTest::mousePress(t, Qt::LeftButton, Qt::NoModifier, QPoint(x - 30, 20));
    QCOMPARE(moved.count(), 0); // a press on a track alone does not
    QMouseEvent drag(QEvent::MouseMove, QPointF(x, 20), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(t, &drag);
    QCOMPARE(w.indicator()->x(), x);
    QCOMPARE(w.indicator()->msecs(), ms);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.last().at(0).toInt(), x);
    QCOMPARE(moved.last().at(1).toBool(), true);
    QTest::mouseRelease(t, Qt::LeftButton, Qt::NoModifier, QPoint(x, 20));
}

// ---------------------------------------------------------------- menus

void TestTimelineView::menus_data()
{
    QTest::addColumn<QString>("where");     // item, track, label
    QTest::addColumn<QString>("clipboard"); // none, record, text
    QTest::addColumn<QStringList>("entries");
    const QStringList item{QStringLiteral("移除"), QStringLiteral("複製"), QStringLiteral("剪下")};
    auto track = [](bool paste) {
        return QStringList{paste ? QStringLiteral("貼上") : QStringLiteral("貼上(off)"),
                           QStringLiteral("-"), QStringLiteral("複製時間軸"),
                           QStringLiteral("移除時間軸")};
    };
    QTest::newRow("item") << "item"
                          << "none" << item;
    QTest::newRow("track, empty clipboard") << "track"
                                            << "none" << track(false);
    QTest::newRow("track, a mode copied") << "track"
                                          << "record" << track(true);
    QTest::newRow("track, text copied elsewhere") << "track"
                                                  << "text" << track(false);
    QTest::newRow("row label, a mode copied") << "label"
                                              << "record" << track(true);
    QTest::newRow("row label, empty clipboard") << "label"
                                                << "none" << track(false);
}

void TestTimelineView::menus()
{
    QFETCH(QString, where);
    QFETCH(QString, clipboard);
    QFETCH(QStringList, entries);
    Window w;
    Timeline *bottom = w.current();
    TimelineItem *item = w.insert(1000, 3000);
    Timeline *top = w.addTrack();
    QClipboard *cb = QApplication::clipboard();
    cb->clear();
    if (clipboard == QLatin1String("record")) {
        auto *mime = new QMimeData;
        mime->setData(TimelineItem::MimeType, item->data());
        cb->setMimeData(mime);
    } else if (clipboard == QLatin1String("text")) {
        cb->setText(QStringLiteral("timeline/itemByteArray"));
    }
    MenuReader menu;
    menu.next();
    if (where == QLatin1String("item"))
        QTest::mousePress(item, Qt::RightButton, Qt::NoModifier, QPoint(20, 10));
    else if (where == QLatin1String("track"))
        QTest::mousePress(bottom, Qt::RightButton, Qt::NoModifier, QPoint(500, 10));
    else
        QTest::mousePress(bottom->rowLabel(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(menu.seen);
    QCOMPARE(menu.title, QStringLiteral("圖樣"));
    QCOMPARE(menu.entries, entries);
    // A press on a track (or its label) makes it current and clears the
    // selection; one on an item selects the item and leaves the current
    // track as it was.
    QVERIFY(top != bottom);
    const bool onItem = where == QLatin1String("item");
    QCOMPARE(w.current(), onItem ? top : bottom);
    QCOMPARE(w.tracks()->selectedItem(), onItem ? item : nullptr);
    QCOMPARE(item->selected(), onItem);
    QCOMPARE(times(bottom), QStringLiteral("1000-3000"));
    cb->clear();
}

void TestTimelineView::itemMenuActions_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("copied");
    QTest::newRow("remove") << "移除"
                            << "0-1000 4000-5000" << false;
    QTest::newRow("copy") << "複製"
                          << "0-1000 1500-2500 4000-5000" << true;
    QTest::newRow("cut") << "剪下"
                         << "0-1000 4000-5000" << true;
}

void TestTimelineView::itemMenuActions()
{
    QFETCH(QString, entry);
    QFETCH(QString, after);
    QFETCH(bool, copied);
    Scene s;
    QApplication::clipboard()->clear();
    const QByteArray record = s.b->data();
    const int steps = s.w.tracks()->history().index();
    MenuReader menu;
    menu.next(entry);
    QTest::mousePress(s.b, Qt::RightButton, Qt::NoModifier, QPoint(20, 10));
    QVERIFY(menu.seen);
    QCOMPARE(times(s.t), after);
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    QCOMPARE(mime && mime->hasFormat(TimelineItem::MimeType), copied);
    if (copied)
        QCOMPARE(mime->data(TimelineItem::MimeType), record);
    // A removal is one editing step that undo takes back; a copy is none.
    QCOMPARE(s.w.tracks()->history().index(), steps + (entry == QStringLiteral("複製") ? 0 : 1));
    if (entry != QStringLiteral("複製")) {
        s.w.ui()->actionUndo->trigger();
        QCOMPARE(times(s.t), QStringLiteral("0-1000 1500-2500 4000-5000"));
    }
    QApplication::clipboard()->clear();
}

// ---------------------------------------------------------------- painting

void TestTimelineView::itemPainting_data()
{
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("loops");
    QTest::addColumn<QList<int>>("red");  // x where the left (red) half shows
    QTest::addColumn<QList<int>>("blue"); // x where the right (blue) half shows
    // 300 px wide, 45 high: without a speed the thumb shows exactly `loops`
    // times; with one it keeps its aspect (47 x 47 tiles).
    QTest::newRow("3 loops") << 0 << 3 << ints({25, 125, 225}) << ints({75, 175, 275});
    QTest::newRow("1 loop") << 0 << 1 << ints({100}) << ints({200});
    QTest::newRow("with a speed") << 10 << 3 << ints({10, 57, 104}) << ints({35, 82, 129});
}

void TestTimelineView::itemPainting()
{
    QFETCH(int, speed);
    QFETCH(int, loops);
    QFETCH(QList<int>, red);
    QFETCH(QList<int>, blue);
    Window w;
    TimelineItem *item = w.insert(1000, 4000, halvesThumb(), speed, loops);
    QCOMPARE(item->size(), QSize(300, 45));
    QImage img = item->grab().toImage();
    for (int x : red)
        QVERIFY2(img.pixelColor(x, 20) == QColor(Qt::red), qPrintable(QString::number(x)));
    for (int x : blue)
        QVERIFY2(img.pixelColor(x, 20) == QColor(Qt::blue), qPrintable(QString::number(x)));
    // Frame: black, 2 px; the selected item's is light and 6 px.
    QCOMPARE(img.pixelColor(299, 20), QColor(Qt::black));
    QVERIFY(img.pixelColor(296, 20) != QColor(240, 240, 250));
    item->setSelected(true);
    img = item->grab().toImage();
    QCOMPARE(img.pixelColor(296, 20), QColor(240, 240, 250));
    QCOMPARE(img.pixelColor(1, 20), QColor(240, 240, 250));
}

void TestTimelineView::currentTrackPainting()
{
    Window w;
    Timeline *first = w.current();
    Timeline *second = w.addTrack();
    QVERIFY(second->isActive() && !first->isActive());
    const QImage active = second->grab(QRect(500, 0, 10, second->height())).toImage();
    const QImage inactive = first->grab(QRect(500, 0, 10, first->height())).toImage();
    const QColor a = active.pixelColor(5, 25);
    const QColor i = inactive.pixelColor(5, 25);
    QVERIFY2(a.blue() > a.red() + 20, qPrintable(a.name()));
    QVERIFY2(qAbs(i.blue() - i.red()) < 15, qPrintable(i.name()));
    // The frame in the background colour.
    QCOMPARE(active.pixelColor(5, 0), QColor(30, 35, 40));
    QCOMPARE(inactive.pixelColor(5, 0), QColor(30, 35, 40));

    // Undo taking away a track the user clicked keeps the view where it was.
    QScrollBar *bar = w.ui()->timeline_scroll->horizontalScrollBar();
    bar->setValue(bar->maximum() / 10);
    const int scrolled = bar->value();
    w.w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.w));
    QTest::mouseClick(second, Qt::LeftButton, Qt::NoModifier, QPoint(scrolled + 30, 20));
    w.ui()->actionUndo->trigger();
    QCOMPARE(bar->value(), scrolled);
}

VC_TEST_MAIN(TestTimelineView)
#include "tst_timelineview.moc"
