#include "gui/timeline/timeline.h"

#include "core/model/show.h"
#include "core/model/trackorder.h"
#include "core/timeline/timeaxis.h"
#include "core/timeline/timescale.h"
#include "gui/audio/timelineheaders.h"
#include "gui/timeline/smallwidgets.h"
#include "gui/timeline/timelineitem.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <limits>

namespace {

const char *const LabelStyle = "color: rgb(255,255,255); background-color: rgba(255,255,255,20); "
                               "border: 1px solid rgb(30,35,40);";
const char *const CurrentLabelStyle = "color: rgb(255,255,255); background-color: "
                                      "rgba(100,100,255,70); border: 1px solid rgb(30,35,40);";

} // namespace

Timeline::Timeline(QWidget *parent, TimelineHeaders *ruler, const vc::TimeAxis *axis,
                   vc::Show *show, vc::Show::Id track)
    : QFrame(parent), m_ruler(ruler), m_axis(axis), m_show(show ? show : new vc::Show(this)),
      m_trackId(track ? track : m_show->currentTrack())
{
    connect(m_show, &vc::Show::modesEdited, this,
            [this](vc::Show::Id id, const vc::Show::ModeChange &change) {
                if (id == m_trackId)
                    applyChange(change);
            });
    // A new zoom lays the items out again, those in view at once.
    if (m_axis)
        connect(m_axis, &vc::TimeAxis::scaleChanged, this, &Timeline::timelineMultiUpdated);
    connect(this, &Timeline::timelineMultiUpdated, this, [this] {
        ++m_generation;
        layOut(true);
    });
    setFixedHeight(TrackHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);

    m_ghost = new QWidget(this);
    m_ghost->setAttribute(Qt::WA_StyledBackground);
    m_ghost->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_ghost->setStyleSheet(QStringLiteral("background-color: rgba(255, 0, 0, 0.5);"));
    m_ghost->hide();
}

TimelineItem *Timeline::itemAt(int ms) const
{
    const int i = m_show->modeIndexAt(m_trackId, ms);
    const vc::Show::Track *track = i < 0 ? nullptr : m_show->track(m_trackId);
    return track ? handOut(viewOf(track->modes.at(i))) : nullptr;
}

TimelineItem *Timeline::itemOf(vc::Show::Id mode) const
{
    vc::Show::Id holder = 0;
    const vc::Show::Mode *m = m_show->mode(mode, &holder);
    return m && holder == m_trackId ? handOut(viewOf(*m)) : nullptr;
}

TimelineItem *Timeline::itemShowing(vc::Show::Id mode) const
{
    vc::Show::Id holder = 0;
    const vc::Show::Mode *m = m_show->mode(mode, &holder);
    return m && holder == m_trackId ? viewOf(*m) : nullptr;
}

TimelineItem *Timeline::handOut(TimelineItem *item) const
{
    item->keep();
    m_spares.remove(item);
    return item;
}

TimelineItem *Timeline::viewOf(const vc::Show::Mode &mode) const
{
    if (TimelineItem *item = m_views.value(mode.id))
        return item;
    // A mode gets its item when it is first seen or asked for: a long show
    // holds far more modes than a screen shows, and an item is a widget.
    auto *self = const_cast<Timeline *>(this);
    while (!m_spares.isEmpty() && m_spareHead < m_spareOrder.size()) {
        // Out of view and held by nobody: it shows this mode from now on
        // (its own mode gets an item again when it is seen again).
        TimelineItem *item = m_spareOrder.at(m_spareHead++);
        if (!m_spares.remove(item))
            continue; // shown again or gone since it was parked
        if (item->isKept())
            continue; // handed out since it was parked
        self->m_views.remove(item->modeId());
        self->m_views.insert(mode.id, item);
        self->m_itemsStale = true;
        item->showMode(mode);
        self->settle(item);
        return item;
    }
    // Made without a parent and adopted after: a button asks its style for
    // its margins as it is made, which under the window's style sheet means
    // matching every rule once more than polishing it does anyway.
    auto *item = new TimelineItem(mode.bytes, mode.record, mode.complete,
                                  mode.complete ? int(mode.bytes.size()) : 0, nullptr, false);
    self->m_views.insert(mode.id, item);
    self->m_itemsStale = true;
    item->showMode(mode);
    self->adopt(item);
    return item;
}

TimelineItem *Timeline::itemAtX(int x) const
{
    return itemAt(vc::timescale::xToMsTrunc(x, msPerPixel()));
}

const QList<TimelineItem *> &Timeline::items() const
{
    if (!m_itemsStale)
        return m_items;
    m_items.clear();
    // Handed out, every one of them: no item may take another mode while
    // the list is made.
    for (TimelineItem *item : qAsConst(m_spares))
        item->keep();
    m_spares.clear();
    m_spareOrder.clear();
    m_spareHead = 0;
    if (const vc::Show::Track *track = m_show->track(m_trackId)) {
        m_items.reserve(track->modes.size());
        for (const vc::Show::Mode &m : track->modes) {
            m_items.append(viewOf(m));
            m_items.last()->keep();
        }
    }
    m_itemsStale = false;
    return m_items;
}

bool Timeline::holds(const TimelineItem *item) const
{
    return item && item->modeId() && m_views.value(item->modeId()) == item;
}

void Timeline::setRowLabel(MyLabel *label)
{
    m_rowLabel = label;
    if (m_rowLabel)
        m_rowLabel->setStyleSheet(QLatin1String(m_active ? CurrentLabelStyle : LabelStyle));
}

float Timeline::msPerPixel() const
{
    return m_axis ? m_axis->msPerPixel() : vc::TimeAxis::DefaultMsPerPixel;
}

void Timeline::setActive(bool active)
{
    m_active = active;
    if (m_rowLabel)
        m_rowLabel->setStyleSheet(QLatin1String(active ? CurrentLabelStyle : LabelStyle));
    update();
}

void Timeline::showGhost(int startMs, int lengthMs)
{
    const float scale = msPerPixel();
    m_ghost->setGeometry(int(float(std::max(startMs, 0)) / scale), 0,
                         int(float(std::max(lengthMs, 0)) / scale), height());
    m_ghost->raise();
    m_ghost->show();
}

void Timeline::hideGhost()
{
    m_ghost->hide();
}

// ---------------------------------------------------------------- items

void Timeline::sync()
{
    vc::Show::ModeChange all;
    all.reset = true;
    applyChange(all);
}

void Timeline::applyChange(const vc::Show::ModeChange &change)
{
    const vc::Show::Track *track = m_show->track(m_trackId);
    m_itemsStale = true;
    QVector<vc::Show::Id> ids;
    if (change.reset) {
        // Every mode of the track and every item there is now.
        ids.reserve(m_views.size() + (track ? track->modes.size() : 0));
        for (auto it = m_views.cbegin(); it != m_views.cend(); ++it)
            ids.append(it.key());
        if (track) {
            for (const vc::Show::Mode &m : track->modes)
                ids.append(m.id);
        }
    } else {
        ids = change.removed + change.changed + change.inserted;
    }
    // Where each named mode is on the track: scanned for a few, indexed for
    // many.
    QHash<vc::Show::Id, int> index;
    const bool many = ids.size() > 8;
    if (track && many) {
        index.reserve(track->modes.size());
        for (int i = 0; i < track->modes.size(); ++i)
            index.insert(track->modes.at(i).id, i);
    }
    auto find = [&](vc::Show::Id id) -> const vc::Show::Mode * {
        if (!track)
            return nullptr;
        if (many) {
            const int i = index.value(id, -1);
            return i < 0 ? nullptr : &track->modes.at(i);
        }
        for (const vc::Show::Mode &m : track->modes) {
            if (m.id == id)
                return &m;
        }
        return nullptr;
    };
    for (vc::Show::Id id : qAsConst(ids)) {
        const vc::Show::Mode *m = find(id);
        TimelineItem *item = m_views.value(id);
        if (!m) {
            // The mode left the track: its item goes (later, as it may be
            // the one whose menu or drag removed it).
            if (item) {
                m_views.remove(id);
                detach(item);
                item->deleteLater();
            }
            continue;
        }
        if (!item) {
            // Made when it comes into view (many: by the layout below).
            if (!many && inView(m->record.startMs(), m->record.endMs()))
                viewOf(*m);
            continue;
        }
        item->showMode(*m);
        if (!many)
            settle(item);
    }
    // Many new items: only those in view stay shown.
    if (many)
        layOutSeen();
}

QPair<int, int> Timeline::seenPixels() const
{
    if (!isVisible())
        return {0, std::numeric_limits<int>::max()};
    // Clipped by every widget it stands in (the scroll area's viewport).
    int left = 0;
    int right = width();
    QPoint offset;
    for (const QWidget *w = this; !w->isWindow() && w->parentWidget(); w = w->parentWidget()) {
        offset += w->pos();
        left = std::max(left, -offset.x());
        right = std::min(right, w->parentWidget()->width() - offset.x());
    }
    return {left, std::max(left, right)};
}

QPair<int, int> Timeline::modesBetween(int fromX, int toX) const
{
    const vc::Show::Track *track = m_show->track(m_trackId);
    if (!track)
        return {0, 0};
    const float scale = msPerPixel();
    return m_show->modeRange(m_trackId, int(float(std::max(fromX, 0)) * scale),
                             int(float(toX) * scale) + 1);
}

void Timeline::layOutSeen()
{
    layOut(false);
}

void Timeline::layOut(bool marginLater)
{
    const QPair<int, int> seen = seenPixels();
    const bool all = seen.second == std::numeric_limits<int>::max();
    const int margin = seen.second - seen.first;
    const int fromX = all ? 0 : seen.first - margin;
    const int toX = all ? seen.second : seen.second + margin;
    QPair<int, int> range{0, 0};
    QPair<int, int> inView{0, 0};
    const vc::Show::Track *track = m_show->track(m_trackId);
    if (track) {
        range = all ? QPair<int, int>{0, int(track->modes.size())} : modesBetween(fromX, toX);
        inView = all ? range : modesBetween(seen.first, seen.second);
    }
    // Items in view are made now; after a new zoom, those a screen either
    // side of it that have none yet are made while the editor is idle, so
    // the zoom waits only for what it shows.
    QSet<TimelineItem *> shown;
    bool later = false;
    for (int i = range.first; i < range.second; ++i) {
        const vc::Show::Mode &m = track->modes.at(i);
        const bool now = !marginLater || (i >= inView.first && i < inView.second);
        TimelineItem *item = now ? viewOf(m) : m_views.value(m.id);
        if (!item) {
            later = true;
            continue;
        }
        reveal(item);
        shown.insert(item);
    }
    m_laidPixels = later ? seen : QPair<int, int>{fromX, toX};
    if (later && !m_madeLater) {
        m_madeLater = true;
        QTimer::singleShot(0, this, &Timeline::makeLater);
    }
    // Items that scrolled out of the laid-out pixels stay where they are
    // while they are a few, so that a small scroll back finds them; a new
    // zoom, or more of them, parks them out of sight, where the modes a
    // scroll brings into view can take them over.
    const bool stale = m_shownGeneration != m_generation;
    m_shownGeneration = m_generation;
    if (!stale && m_shown.size() <= shown.size() + 64)
        return;
    // The dragged item stays where the pointer has it.
    if (m_dragged && m_shown.contains(m_dragged))
        shown.insert(m_dragged);
    QVector<QPair<int, TimelineItem *>> parked;
    const int centreMs = int(float(seen.first / 2 + seen.second / 2) * msPerPixel());
    for (TimelineItem *item : qAsConst(m_shown)) {
        if (shown.contains(item))
            continue;
        item->park();
        if (!item->isKept())
            parked.append({-std::abs(item->startMs() - centreMs), item});
    }
    m_shown = shown;
    std::sort(parked.begin(), parked.end());
    if (m_spareOrder.size() - m_spareHead > 2 * m_spares.size() + 256) {
        // Mostly items shown again or gone since: keep the spares, once each.
        QVector<TimelineItem *> live;
        QSet<TimelineItem *> once;
        for (int i = m_spareHead; i < m_spareOrder.size(); ++i) {
            TimelineItem *item = m_spareOrder.at(i);
            if (m_spares.contains(item) && !once.contains(item)) {
                once.insert(item);
                live.append(item);
            }
        }
        m_spareOrder = live;
        m_spareHead = 0;
    } else if (m_spareHead > m_spareOrder.size() / 2) {
        m_spareOrder.remove(0, m_spareHead);
        m_spareHead = 0;
    }
    for (const auto &p : qAsConst(parked)) {
        m_spares.insert(p.second);
        m_spareOrder.append(p.second);
    }
}

void Timeline::makeLater()
{
    m_madeLater = false;
    const QPair<int, int> seen = seenPixels();
    const vc::Show::Track *track = m_show->track(m_trackId);
    if (!track || seen.second == std::numeric_limits<int>::max())
        return;
    const int margin = seen.second - seen.first;
    const int fromX = seen.first - margin;
    const int toX = seen.second + margin;
    const QPair<int, int> range = modesBetween(fromX, toX);
    // A few milliseconds at a time, so that input is never kept waiting.
    QElapsedTimer clock;
    clock.start();
    for (int i = range.first; i < range.second; ++i) {
        const vc::Show::Mode &m = track->modes.at(i);
        if (m_views.contains(m.id))
            continue;
        if (clock.elapsed() >= 4) {
            m_madeLater = true;
            QTimer::singleShot(0, this, &Timeline::makeLater);
            return;
        }
        reveal(viewOf(m));
    }
    m_laidPixels = {fromX, toX};
}

void Timeline::reveal(TimelineItem *item)
{
    if (item->laidOutAt() != m_generation || item->isParked())
        item->update_timeline_multi();
    if (item->isHidden())
        item->show();
    m_shown.insert(item);
    m_spares.remove(item);
}

void Timeline::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    layOutSeen();
}

void Timeline::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    // (A new zoom changes the width.)
    layOut(true);
}

void Timeline::adopt(TimelineItem *item)
{
    if (item->parentWidget() != this)
        item->setParent(this);
    connect(item, &TimelineItem::itemDeleted, this, &Timeline::on_itemRemoveRequested);
    connect(item, &TimelineItem::itemClicked, this, &Timeline::on_itemClicked);
    connect(item, &TimelineItem::itemDoubleClicked, this, &Timeline::on_itemDoubleClicked);
    connect(item, &TimelineItem::dragEnd, this,
            qOverload<QByteArray, TimelineItem *, QWidget *>(&Timeline::on_itemDragEnd));
    item->setFixedHeight(height() - 10);
    item->update_timeline_multi();
    settle(item);
}

void Timeline::settle(TimelineItem *item)
{
    if (inView(item->startMs(), item->endMs()) || !item->isHidden())
        reveal(item);
}

bool Timeline::inView(int startMs, int endMs) const
{
    namespace ts = vc::timescale;
    const float scale = msPerPixel();
    const int left = ts::itemX(startMs, scale);
    const int right = std::max(ts::itemX(endMs, scale), left + int(20.0f / scale));
    return right >= m_laidPixels.first && left <= m_laidPixels.second;
}

void Timeline::detach(TimelineItem *item)
{
    if (m_dragged == item)
        m_dragged = nullptr;
    m_shown.remove(item);
    m_spares.remove(item);
    m_itemsStale = true;
    disconnect(item, nullptr, this, nullptr);
    disconnect(this, nullptr, item, nullptr);
    item->hide();
    if (item->parentWidget() == this)
        item->setParent(parentWidget());
}

TimelineItem *Timeline::releaseView(quintptr modeId)
{
    TimelineItem *item = m_views.take(modeId);
    if (item) {
        m_itemsStale = true;
        m_shown.remove(item);
        m_spares.remove(item);
        if (m_dragged == item)
            m_dragged = nullptr;
        disconnect(item, nullptr, this, nullptr);
        disconnect(this, nullptr, item, nullptr);
    }
    return item;
}

void Timeline::deleteTimelineItem(TimelineItem *item)
{
    if (!item)
        return;
    if (item->modeId() && m_views.value(item->modeId()) == item) {
        m_show->removeMode(item->modeId());
        return;
    }
    detach(item);
}

void Timeline::addTimelineItem(TimelineItem *item)
{
    if (!item)
        return;
    Timeline *old = item->track();
    const quintptr id = item->modeId();
    if (old && id && old->m_views.value(id) == item) {
        // A mode of the show: it moves here, to the end of the list (this
        // track's too), with its view.
        if (old != this) {
            old->releaseView(id);
            m_views.insert(id, item);
            adopt(item);
        }
        m_show->moveMode(id, m_trackId);
        return;
    }
    // An item made by hand: its record becomes a new mode of this track,
    // shown by the item itself.
    const vc::Show::Batch batch(m_show);
    const QByteArray bytes = item->data();
    const quintptr added =
        m_show->appendMode(m_trackId, bytes, item->record(), item->isComplete(), int(bytes.size()));
    if (!added)
        return;
    item->setModeId(added);
    m_views.insert(added, item);
    adopt(item);
}

void Timeline::on_itemRemoveRequested(TimelineItem *item)
{
    deleteTimelineItem(item);
    emit itemRemoved(item);
}

void Timeline::sortItems()
{
    m_show->sortTrack(m_trackId);
}

void Timeline::on_itemDragEnd(QByteArray orig, TimelineItem *item, QWidget *orig_parent)
{
    // An item that is not on this track is not placed here; the track is
    // only sorted.
    if (holds(item))
        m_show->placeMode(item->modeId());
    else
        m_show->sortTrack(m_trackId);
    m_dragged = nullptr;
    if (!orig_parent)
        return;
    if (orig_parent == this)
        emit itemDragEnd(orig, item, nullptr);
    else
        emit itemDragEnd(orig, item, qobject_cast<Timeline *>(orig_parent));
}

void Timeline::on_itemDragEnd(QByteArray orig, TimelineItem *item)
{
    on_itemDragEnd(orig, item, nullptr);
}

int Timeline::indicatorMs() const
{
    if (!m_ruler || !m_ruler->indicator())
        return 0;
    const QTime t = m_ruler->indicator()->time();
    return t.isValid() ? t.msecsSinceStartOfDay() : 0;
}

void Timeline::on_itemPaste_clicked()
{
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    if (!mime || !mime->hasFormat(TimelineItem::MimeType))
        return;
    // At the play position, as it was copied (length and repeat count),
    // placed as Insert places a mode: it wins against what it overlaps.
    const quintptr id =
        m_show->pasteMode(m_trackId, mime->data(TimelineItem::MimeType), indicatorMs());
    if (TimelineItem *item = id ? itemOf(id) : nullptr)
        emit itemDragEnd(QByteArray(), item, nullptr);
}

// ---------------------------------------------------------------- track

void Timeline::on_itemClicked(TimelineItem *item, bool flag)
{
    emit itemClicked(item, flag);
}

void Timeline::on_itemDoubleClicked(TimelineItem *item)
{
    if (!item || !m_ruler || !m_ruler->indicator())
        return;
    // To the item's start, or to its end when the indicator stands at the
    // start already: double clicks walk start, end, start...
    Indicator *indicator = m_ruler->indicator();
    const int t = indicator->msecs() == item->startMs() ? item->endMs() : item->startMs();
    indicator->placeAt(t, true);
}

void Timeline::on_tlDuplicated_clicked()
{
    emit tlDuplicated_clicked(this);
}

void Timeline::on_label_pressed(QMouseEvent *event)
{
    press(event->button(), event->globalPos());
}

void Timeline::mousePressEvent(QMouseEvent *event)
{
    press(event->button(), event->globalPos());
}

void Timeline::press(Qt::MouseButton button, const QPoint &globalPos)
{
    emit timelinePressed(this, true);
    if (button != Qt::RightButton)
        return;
    QMenu menu;
    menu.setTitle(tr("圖樣"));
    QAction *paste = menu.addAction(tr("貼上"), this, &Timeline::on_itemPaste_clicked);
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    paste->setEnabled(mime && mime->hasFormat(TimelineItem::MimeType));
    menu.addSeparator();
    menu.addAction(tr("複製時間軸"), this, &Timeline::on_tlDuplicated_clicked);
    menu.addAction(tr("移除時間軸"), this, &Timeline::timelineDeleteClicked);
    menu.exec(globalPos);
}

void Timeline::mouseDoubleClickEvent(QMouseEvent *)
{
    emit timelineDoubleClicked();
}

void Timeline::mouseMoveEvent(QMouseEvent *event)
{
    // The ruler draws its hover line where the pointer is, over the tracks
    // too.
    if (!m_ruler)
        return;
    const QPoint pos = m_ruler->mapFromGlobal(mapToGlobal(event->pos()));
    QMouseEvent moved(event->type(), pos, event->windowPos(), event->screenPos(), event->button(),
                      event->buttons(), event->modifiers(), event->source());
    m_ruler->trackMouse(&moved);
}

// ---------------------------------------------------------------- drags

void Timeline::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (!mime->hasFormat(TimelineItem::DragMimeType)) {
        event->ignore();
        return;
    }
    const TimelineItem::DragPayload payload =
        TimelineItem::decodePayload(mime->data(TimelineItem::DragMimeType));
    if (!payload.valid) {
        event->ignore();
        return;
    }
    m_drag.startX = payload.startX;
    m_drag.grabOffset = payload.grabOffset;
    m_drag.leftLimit = 0;
    m_drag.rightLimit = width();

    TimelineItem *own = nullptr;
    for (TimelineItem *item : qAsConst(m_views)) {
        if (item->id() == payload.id) {
            own = item;
            break;
        }
    }
    if (own) {
        m_dragged = own;
        // Last in the list, so that it wins a start tie in the next sort.
        m_show->moveMode(own->modeId(), m_trackId);
    } else if (mime->hasFormat(TimelineItem::MimeType)) {
        // A whole item from another track: the main window moves it here.
        emit dragIn(this);
    } else {
        // Resizing stays on the item's own track.
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit timelinePressed(this, false);
}

void Timeline::updateLimits(TimelineItem *item)
{
    auto neighbour = [this, item](int x) -> QWidget * {
        QWidget *w = childAt(x, 10);
        // An item's own children (none today) count as the item.
        while (w && w->parentWidget() != this)
            w = w->parentWidget();
        return qobject_cast<TimelineItem *>(w) && w != item ? w : nullptr;
    };
    QWidget *left = neighbour(item->x() - 10);
    QWidget *right = neighbour(item->x() + item->width() + 10);
    m_drag.leftLimit = left ? left->x() + left->width() : 0;
    m_drag.rightLimit = right ? right->x() : width();
}

void Timeline::dragMoveEvent(QDragMoveEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (!mime->hasFormat(TimelineItem::DragMimeType) || !m_dragged) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    TimelineItem *item = m_dragged;
    const QPoint pos = event->pos();
    // A press that hardly moves is a click: nothing moves until the
    // pointer has gone the threshold, then never waits again in this drag.
    const QPoint noOrigin(-10, -10);
    if (item->dragOrigin() != noOrigin) {
        if ((pos - item->dragOrigin()).manhattanLength() < vc::timescale::DragThreshold)
            return;
        item->setDragOrigin(noOrigin);
    }
    updateLimits(item);

    namespace ts = vc::timescale;
    const float scale = msPerPixel();
    const int indicatorX = m_ruler && m_ruler->indicator() ? m_ruler->indicator()->x() : 0;
    // Empty unless snapping to beats is on.
    const QVector<int> beats = m_ruler ? m_ruler->snapBeats() : QVector<int>();
    const int p = pos.x();
    // Never narrower than the item may be drawn, so an end cannot pass the
    // other one.
    const int minWidth = std::max(1, ts::minItemWidth(scale));
    if (mime->hasFormat(TimelineItem::ResizeEndMimeType)) {
        const ts::Snapped end = ts::snapResizeEnd(p, m_drag.rightLimit, indicatorX, beats, scale);
        const int x = std::max(end.x, item->x() + minWidth);
        // On a beat the end takes the beat's own time, not its pixel's.
        item->setTimes(item->start(),
                       x == end.x && end.beatMs >= 0 ? end.beatMs : ts::xToMsTrunc(x, scale));
        QToolTip::showText(mapToGlobal(pos),
                           tr("長度: ") + vc::formatTime(item->durationMs()) + tr("\n結束時間: ") +
                               vc::formatTime(item->endMs()),
                           this);
    } else if (mime->hasFormat(TimelineItem::ResizeStartMimeType)) {
        const int right = item->x() + item->width();
        const ts::Snapped start =
            ts::snapResizeStart(p, m_drag.leftLimit, indicatorX, beats, scale);
        const int x = std::max(0, std::min(start.x, right - minWidth));
        item->setTimes(x == start.x && start.beatMs >= 0 ? start.beatMs : ts::xToMsTrunc(x, scale),
                       item->end());
        QToolTip::showText(mapToGlobal(pos),
                           tr("長度: ") + vc::formatTime(item->durationMs()) + tr("\n開始時間: ") +
                               vc::formatTime(item->startMs()),
                           this);
    } else {
        const ts::Snapped to = ts::snapMove(p - m_drag.grabOffset, item->width(), m_drag.leftLimit,
                                            m_drag.rightLimit, scale, beats);
        item->move(to.x, 5);
        item->setSnappedStart(to.beatMs);
    }
}

void Timeline::dropEvent(QDropEvent *event)
{
    m_dragged = nullptr;
    // Never accepted: the drag ends without an action and the item takes
    // its times from where it stands and is placed by its track.
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
}

void Timeline::paintEvent(QPaintEvent *event)
{
    // Brought into view by a way nothing announced (a scroll bar other than
    // the tracks' own, say): laid out right after this paint.
    if (event->rect().left() < m_laidPixels.first || event->rect().right() >= m_laidPixels.second)
        QMetaObject::invokeMethod(
            this, [this] { layOut(true); }, Qt::QueuedConnection);
    QPainter p(this);
    const QRect r(-2, 0, width() + 4, height());
    if (m_active)
        p.fillRect(r, QColor(100, 100, 255, 70));
    p.setPen(QPen(QColor(30, 35, 40), 2));
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawRect(r);
}
