#pragma once

#include "core/model/show.h"

#include <QByteArray>
#include <QFrame>
#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>

#include <limits>

class MyLabel;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMouseEvent;
class TimelineHeaders;
class TimelineItem;

namespace vc {
class TimeAxis;
} // namespace vc

// One track on screen: the view of one track of the show document, a lane
// of items along the song, one per mode, in the track's order (sorted by
// start and free of overlaps by the show's placement rules). Every track is
// a complete alternative show; the current one is what editing, pasting,
// export and upload use. Drags and menus on it change the show, and the
// track follows the show's changes.
class Timeline : public QFrame
{
    Q_OBJECT

public:
    static constexpr int TrackHeight = 55;

    // Shows track `track` of `show` (0: its current track), its items laid
    // out at `axis`'s zoom. Without a show the track keeps one of its own.
    Timeline(QWidget *parent, TimelineHeaders *ruler, const vc::TimeAxis *axis,
             vc::Show *show = nullptr, vc::Show::Id track = 0);

    const vc::TimeAxis *timeAxis() const { return m_axis; }
    vc::Show *document() const { return m_show; }
    vc::Show::Id trackId() const { return m_trackId; }
    // Makes the items match the show's track: new modes get an item,
    // changed ones are shown anew, an item whose mode left goes.
    void sync();
    // The same for what one announcement of the show says changed: only
    // the modes it names are looked at.
    void applyChange(const vc::Show::ModeChange &change);
    // Hands the item of a mode over (to the track the mode moves to); the
    // caller adopts it.
    TimelineItem *releaseView(quintptr modeId);
    float msPerPixel() const;

    // The track's items, ascending by start after every placement (the
    // list is made when asked for after a change).
    const QList<TimelineItem *> &items() const;
    // Whether the item shows a mode of this track.
    bool holds(const TimelineItem *item) const;
    // The first item covering `ms` (start <= ms < end), or null.
    TimelineItem *itemAt(int ms) const;
    // The item at pixel x (the one whose mode covers the time there), or
    // null.
    TimelineItem *itemAtX(int x) const;
    // The item showing a mode of this track (made now if the mode has had
    // none yet), or null for a mode of no track or another one.
    TimelineItem *itemOf(vc::Show::Id mode) const;
    // The same for a look at it now: unlike itemOf's, the item is not kept
    // for its mode and may show another one once out of view, so it is not
    // to be held past the present event (the preview marks the one it
    // shows).
    TimelineItem *itemShowing(vc::Show::Id mode) const;
    // Bumped by every new zoom: an item laid out at an older one is laid
    // out again before it is shown.
    int layoutGeneration() const { return m_generation; }

    TimelineHeaders *ruler() const { return m_ruler; }
    MyLabel *rowLabel() const { return m_rowLabel; }
    void setRowLabel(MyLabel *label);

    // The current track draws itself and its row label highlighted.
    bool isActive() const { return m_active; }
    void setActive(bool active);

    // The item being dragged on this track, if any.
    TimelineItem *dragged() const { return m_dragged; }
    void setDragged(TimelineItem *item) { m_dragged = item; }
    // Drag state kept by the track under the pointer, in pixels.
    struct DragState
    {
        int grabOffset = 0;
        int leftLimit = 0;
        int rightLimit = 0;
        int startX = 0;
    };
    DragState &dragState() { return m_drag; }

    // The insert preview: a translucent red bar over the span a new mode
    // would take.
    QWidget *ghost() const { return m_ghost; }
    void showGhost(int startMs, int lengthMs);
    void hideGhost();

signals:
    void timelineMultiUpdated();
    void timelineDeleteClicked();
    void tlDuplicated_clicked(Timeline *track);
    void itemClicked(TimelineItem *item, bool flag);
    void itemDragEnd(QByteArray orig, TimelineItem *item, Timeline *orig_tl);
    void dragIn(Timeline *track);
    void timelineDoubleClicked();
    void timelinePressed(Timeline *track, bool byUser);
    // An item left the track through its own menu (remove or cut).
    void itemRemoved(TimelineItem *item);

public slots:
    // Lays out the items a person can see (with a screen's width either
    // side) at the present zoom, and parks items left at an older zoom out
    // of sight: the cost of a zoom or scroll step follows what is in view,
    // not the length of the track.
    void layOutSeen();
    void on_label_pressed(QMouseEvent *event);
    void on_tlDuplicated_clicked();
    void on_itemDoubleClicked(TimelineItem *item);
    void on_itemClicked(TimelineItem *item, bool flag);
    void sortItems();
    // Removes the item's mode from the show; the item goes with it.
    void deleteTimelineItem(TimelineItem *item);
    // Puts an item on the track, at the end of its list (taking it off the
    // track it was on, this one included). An item made by hand becomes a
    // new mode of the show.
    void addTimelineItem(TimelineItem *item);
    // Pastes the clipboard's mode at the play indicator; returns nothing
    // when the clipboard holds no mode.
    void on_itemPaste_clicked();
    // Places `item` on this track: it wins against every item it overlaps.
    void on_itemDragEnd(QByteArray orig, TimelineItem *item, QWidget *orig_parent);
    void on_itemDragEnd(QByteArray orig, TimelineItem *item);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void on_itemRemoveRequested(TimelineItem *item);
    // Makes the items a screen either side of the view that have none yet.
    void makeLater();

private:
    void press(Qt::MouseButton button, const QPoint &globalPos);
    void adopt(TimelineItem *item);
    // Shows an item laid out at the present zoom.
    void reveal(TimelineItem *item);
    // Reveals an item shown already or in view; one not shown yet stays
    // hidden until it comes into view.
    void settle(TimelineItem *item);
    // Lays out what is in view, and a screen either side of it now or,
    // for the items not made yet, when the editor is idle.
    void layOut(bool marginLater);
    // The indices [first, last) of the track's modes drawn between two x.
    QPair<int, int> modesBetween(int fromX, int toX) const;
    // Whether a mode at these times is drawn within the laid-out pixels.
    bool inView(int startMs, int endMs) const;
    // The item of a mode of this track, made if it has none yet (or one
    // parked that nobody holds, given this mode to show instead).
    TimelineItem *viewOf(const vc::Show::Mode &mode) const;
    // An item on its way out of the track's hands: kept for its mode from
    // now on.
    TimelineItem *handOut(TimelineItem *item) const;
    // The pixels [left, right) of the track in view; all of it while the
    // track is not shown.
    QPair<int, int> seenPixels() const;
    void detach(TimelineItem *item);
    // Where the dragged item may go: the end of its left neighbour and the
    // start of its right one, looked up beside its present place.
    void updateLimits(TimelineItem *item);
    int indicatorMs() const;

    mutable QList<TimelineItem *> m_items;
    mutable bool m_itemsStale = false;
    // Items laid out at m_generation; every other item is parked out of
    // sight (showing and hiding widgets costs more than moving them).
    QSet<TimelineItem *> m_shown;
    // Parked items nothing outside the track holds: a mode coming into view
    // takes one of these before a new widget is made, so scrolling through
    // a long show reuses a screenful of items instead of making (and
    // keeping) one per mode it passes.
    mutable QSet<TimelineItem *> m_spares;
    // The order spares are taken in: those parked longest ago first, and of
    // those parked together the farthest from the view, so that a scroll
    // takes the items of modes it has left behind, not those of modes it is
    // coming to. An entry no longer in m_spares is skipped.
    mutable QVector<TimelineItem *> m_spareOrder;
    mutable int m_spareHead = 0;
    int m_generation = 0;
    int m_shownGeneration = 0;
    // The pixels the shown items cover, as the last layOutSeen set them.
    QPair<int, int> m_laidPixels{0, std::numeric_limits<int>::max()};
    bool m_madeLater = false; // makeLater() is queued
    TimelineItem *m_dragged = nullptr;
    MyLabel *m_rowLabel = nullptr;
    TimelineHeaders *m_ruler = nullptr;
    const vc::TimeAxis *m_axis = nullptr;
    vc::Show *m_show = nullptr;
    vc::Show::Id m_trackId = 0;
    // The item of each mode on the track.
    QHash<quintptr, TimelineItem *> m_views;
    DragState m_drag;
    bool m_active = false;
    QWidget *m_ghost = nullptr;
};
