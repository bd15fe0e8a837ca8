#include "gui/model/trackscontroller.h"

#include "core/model/show.h"
#include "gui/app/mainwindow.h"
#include "gui/app/prompter.h"
#include "gui/audio/timelineheaders.h"
#include "gui/timeline/smallwidgets.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>

namespace vc {

namespace {

History::Id idOf(const QObject *o)
{
    return History::Id(o);
}

} // namespace

History::Snapshot snapshotOf(const QList<Timeline *> &tracks)
{
    History::Snapshot s;
    s.reserve(tracks.size());
    for (const Timeline *t : tracks) {
        History::Track track;
        track.id = idOf(t);
        track.items.reserve(t->items().size());
        for (const TimelineItem *item : t->items())
            track.items.append(History::Item{idOf(item), item->data()});
        s.append(std::move(track));
    }
    return s;
}

TracksController::TracksController(MainWindow *window)
    : QObject(window), m_window(window), m_ui(window->form())
{
}

TracksController::~TracksController() = default;

// ---------------------------------------------------------------- tracks

int TracksController::layoutPosition(const Timeline *track) const
{
    return m_ui->timeline_layout->indexOf(const_cast<Timeline *>(track));
}

QList<Timeline *> TracksController::tracksByNumber() const
{
    QList<Timeline *> out;
    const int n = m_tracks.size();
    for (int position = n; position >= 1; --position) {
        auto *t = qobject_cast<Timeline *>(m_ui->timeline_layout->itemAt(position)->widget());
        if (t)
            out.append(t);
    }
    return out;
}

int TracksController::trackNumber(const Timeline *track) const
{
    if (!m_tracks.contains(const_cast<Timeline *>(track)))
        return 0;
    return m_tracks.size() - layoutPosition(track) + 1;
}

void TracksController::connectTrack(Timeline *t)
{
    connect(t, &Timeline::itemClicked, m_window, &MainWindow::on_timelineItem_Clicked);
    connect(t, &Timeline::itemDragEnd, m_window, &MainWindow::on_timelineItem_dragEnd);
    connect(t, &Timeline::timelinePressed, m_window, &MainWindow::on_timeline_Pressed);
    connect(t, &Timeline::dragIn, m_window, &MainWindow::on_timeline_dragIn);
    connect(t, &Timeline::tlDuplicated_clicked, m_window, &MainWindow::on_tlDuplicated_clicked);
    connect(t, &Timeline::timelineDeleteClicked, this, &TracksController::removeCurrentTrack);
    connect(t, &Timeline::itemRemoved, this, &TracksController::onItemRemoved);
}

Timeline *TracksController::addTimeline(short p)
{
    auto *t = new Timeline(m_ui->timeline_widget, m_ui->timeline_headers, m_window->timeAxis(),
                           m_window->document());
    if (m_current)
        m_current->setActive(false);
    connectTrack(t);

    // Layout: a spacer at 0, the tracks at 1..N, then a line.
    const int q = std::min(p > 0 ? int(p) : 1, m_tracks.size() + 1);
    m_ui->timeline_layout->insertWidget(q, t);
    if (q >= m_tracks.size())
        m_tracks.append(t);
    else
        m_tracks.insert(q, t);

    auto *label = new MyLabel(m_ui->timeline_rowheader_contents);
    label->setFixedSize(20, Timeline::TrackHeight);
    label->setMargin(0);
    label->setAlignment(Qt::AlignCenter);
    connect(label, &MyLabel::mousePress, t, &Timeline::on_label_pressed);
    m_ui->timeline_rowheader_layout->insertWidget(q, label);
    t->setRowLabel(label);

    m_current = t;
    t->setActive(true);
    renumber();
    return t;
}

void TracksController::renumber()
{
    const int n = m_tracks.size();
    for (Timeline *t : qAsConst(m_tracks)) {
        if (t->rowLabel())
            t->rowLabel()->setText(QString::number(n - layoutPosition(t) + 1));
    }
}

void TracksController::addTrack()
{
    addTimeline(short(m_current ? layoutPosition(m_current) : -1));
}

void TracksController::removeCurrentTrack()
{
    const int scroll = horizontalScroll();
    if (m_tracks.size() <= 1 || !m_current)
        return;
    const auto answer =
        prompter().warning(m_window, MainWindow::tr("確認移除軌道？"),
                           MainWindow::tr("<font color='white'>此動作無法復原</font>"),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;

    Timeline *t = m_current;
    // A selected item on the removed track cannot stay open in the editor.
    if (m_selected && m_selected->track() == t)
        m_window->on_cancelSelect_clicked();
    if (m_previewed && m_previewed->track() == t)
        m_previewed = nullptr;
    m_tracks.removeOne(t);
    t->setActive(false);
    t->hideGhost();
    t->hide();
    m_ui->timeline_layout->removeWidget(t);
    if (MyLabel *label = t->rowLabel()) {
        label->hide();
        m_ui->timeline_rowheader_layout->removeWidget(label);
    }
    // Kept hidden while the history may name it, so no new track takes its
    // identity; removing a track is not undone.
    m_removedTracks.append(t);

    m_current = m_tracks.first();
    m_current->setActive(true);
    // Leaving apply mode stays possible while an item on another track is
    // still selected.
    m_ui->cancelSelect->setEnabled(m_selected != nullptr);
    renumber();
    countModes();
    setHorizontalScroll(scroll);
}

void TracksController::moveTrack(Timeline *t, int position)
{
    m_ui->timeline_layout->removeWidget(t);
    m_ui->timeline_layout->insertWidget(position, t);
    if (MyLabel *label = t->rowLabel()) {
        m_ui->timeline_rowheader_layout->removeWidget(label);
        m_ui->timeline_rowheader_layout->insertWidget(position, label);
    }
    renumber();
}

void TracksController::moveCurrentTrackUp()
{
    if (!m_current)
        return;
    const int b = layoutPosition(m_current);
    if (b > 1 && m_tracks.size() >= 2)
        moveTrack(m_current, b - 1);
}

void TracksController::moveCurrentTrackDown()
{
    if (!m_current)
        return;
    const int b = layoutPosition(m_current);
    if (m_tracks.size() >= 2 && b < m_tracks.size())
        moveTrack(m_current, b + 1);
}

void TracksController::duplicateTrack(Timeline *source)
{
    if (!source)
        return;
    QList<QByteArray> records;
    for (const TimelineItem *item : source->items())
        records.append(item->data());
    Timeline *t = addTimeline(short(m_current ? layoutPosition(m_current) : -1));
    for (const QByteArray &r : qAsConst(records))
        t->addTimelineItem(new TimelineItem(r, t));
    refreshCounters();
}

void TracksController::makeCurrent(Timeline *track, bool byUser)
{
    if (!track || !m_tracks.contains(track))
        return;
    if (m_current && m_current != track)
        m_current->setActive(false);
    m_current = track;
    track->setActive(true);
    if (!byUser)
        return;
    m_window->on_cancelSelect_clicked();
    if (TimelineItem *item = track->itemAt(indicatorMs())) {
        m_previewed = item;
        m_window->glpreview_change(false, item->thumbPixmap(), m_window->document()->leds(),
                                   int(m_window->document()->frameRate()),
                                   item->durationMs() / 1000.0, item->loops());
    } else {
        m_window->Oviewer_change(0, 0, 0);
    }
}

void TracksController::moveDraggedItem(Timeline *target)
{
    if (!m_current || !target || !m_current->dragged())
        return;
    const int scroll = horizontalScroll();
    TimelineItem *item = m_current->dragged();
    m_current->deleteTimelineItem(item);
    target->addTimelineItem(item);
    target->setDragged(item);
    item->show();
    setHorizontalScroll(scroll);
}

void TracksController::clearProject()
{
    m_window->on_cancelSelect_clicked();
    m_selected = nullptr;
    m_previewed = nullptr;
    const QList<Timeline *> all = m_tracks + m_removedTracks;
    for (Timeline *t : all) {
        t->hide();
        m_ui->timeline_layout->removeWidget(t);
        if (MyLabel *label = t->rowLabel()) {
            label->hide();
            m_ui->timeline_rowheader_layout->removeWidget(label);
            label->deleteLater();
        }
        t->deleteLater();
    }
    // Items off every track are kept by the track area.
    const auto loose =
        m_ui->timeline_widget->findChildren<TimelineItem *>(QString(), Qt::FindDirectChildrenOnly);
    for (TimelineItem *item : loose) {
        item->hide();
        item->deleteLater();
    }
    m_tracks.clear();
    m_removedTracks.clear();
    m_current = nullptr;
    resetHistory();
    addTimeline(-1);
    countModes();
}

// ---------------------------------------------------------------- items

TimelineItem *TracksController::itemAt(int ms) const
{
    return m_current ? m_current->itemAt(ms) : nullptr;
}

int TracksController::itemCount() const
{
    int n = 0;
    for (const Timeline *t : m_tracks)
        n += t->items().size();
    return n;
}

bool TracksController::isLive(const TimelineItem *item) const
{
    Timeline *t = item ? item->track() : nullptr;
    return t && m_tracks.contains(t) && t->items().contains(const_cast<TimelineItem *>(item));
}

void TracksController::selectItem(TimelineItem *item)
{
    if (!item)
        return;
    if (m_selected && m_selected != item)
        m_selected->setSelected(false);
    m_selected = item;
    m_previewed = item;
    m_window->openItemInEditor(item);
}

void TracksController::itemDragEnded(TimelineItem *item)
{
    selectItem(item);
    refreshCounters();
}

void TracksController::clearSelection()
{
    if (m_selected)
        m_selected->setSelected(false);
    m_selected = nullptr;
}

void TracksController::deleteSelected()
{
    if (!m_selected)
        return;
    const int scroll = horizontalScroll();
    TimelineItem *item = m_selected;
    if (Timeline *t = item->track())
        t->deleteTimelineItem(item);
    // Leaving apply mode: the editor must not edit an item off the tracks.
    m_window->on_cancelSelect_clicked();
    refreshCounters();
    setHorizontalScroll(scroll);
}

void TracksController::onItemRemoved(TimelineItem *item)
{
    if (item == m_selected)
        m_window->on_cancelSelect_clicked();
    // Removing through the item's menu is an editing step like the Delete
    // key: recorded, so one undo brings the item back.
    refreshCounters();
}

// ---------------------------------------------------------------- counters

void TracksController::refreshCounters()
{
    countModes();
    if (m_selected && !isLive(m_selected))
        m_window->on_cancelSelect_clicked();

    if (m_history.record(snapshotOf(m_tracks))) {
        for (const Timeline *t : qAsConst(m_tracks)) {
            for (TimelineItem *item : t->items())
                m_known.insert(idOf(item), item);
        }
        m_modified = true;
        QString title = m_window->windowTitle();
        if (title.size() > 13) {
            title[title.size() - 1] = QLatin1Char('*');
            m_window->setWindowTitle(title);
        }
    }
    collectGarbage();
}

void TracksController::countModes()
{
    m_window->document()->setModeCount(itemCount());
}

void TracksController::resetHistory()
{
    m_history.reset();
    m_known.clear();
}

void TracksController::apply(const History::Snapshot &state)
{
    for (Timeline *t : qAsConst(m_tracks)) {
        const History::Track *entry = History::find(state, idOf(t));
        const QList<TimelineItem *> present = t->items();
        if (!entry) {
            for (TimelineItem *item : present)
                t->deleteTimelineItem(item);
            continue;
        }
        QSet<History::Id> wanted;
        for (const History::Item &i : entry->items)
            wanted.insert(i.id);
        for (TimelineItem *item : present) {
            if (!wanted.contains(idOf(item)))
                t->deleteTimelineItem(item);
        }
        QSet<const TimelineItem *> listed;
        for (const TimelineItem *item : t->items())
            listed.insert(item);
        for (const History::Item &i : entry->items) {
            TimelineItem *item = m_known.value(i.id);
            if (!item)
                continue; // destroyed behind the history's back: nothing to put back
            // An item's fields always mirror its bytes, so equal bytes need
            // no second reading (not even for an item coming back).
            if (!History::sameBytes(item->data(), i.bytes))
                item->setData(i.bytes);
            if (!listed.contains(item))
                t->addTimelineItem(item);
        }
        t->orderByStart();
    }
    countModes();
}

void TracksController::undo()
{
    if (const History::Snapshot *s = m_history.undo()) {
        apply(*s);
        m_window->on_cancelSelect_clicked();
    }
}

void TracksController::redo()
{
    if (const History::Snapshot *s = m_history.redo()) {
        apply(*s);
        m_window->on_cancelSelect_clicked();
    }
}

// Items off the tracks and removed tracks are kept only while the history
// names them; then they are destroyed.
void TracksController::collectGarbage()
{
    for (int i = m_removedTracks.size() - 1; i >= 0; --i) {
        Timeline *t = m_removedTracks.at(i);
        if (m_history.namesTrack(idOf(t)))
            continue;
        const QList<TimelineItem *> items = t->items();
        for (TimelineItem *item : items)
            t->deleteTimelineItem(item); // to the track area, judged below
        if (MyLabel *label = t->rowLabel())
            label->deleteLater();
        t->deleteLater();
        m_removedTracks.removeAt(i);
    }
    const auto loose =
        m_ui->timeline_widget->findChildren<TimelineItem *>(QString(), Qt::FindDirectChildrenOnly);
    for (TimelineItem *item : loose) {
        if (m_history.namesItem(idOf(item)) || item == m_selected)
            continue;
        m_known.remove(idOf(item));
        item->deleteLater();
    }
    for (auto it = m_known.begin(); it != m_known.end();) {
        if (!it.value() || !m_history.namesItem(it.key()))
            it = m_known.erase(it);
        else
            ++it;
    }
}

// ---------------------------------------------------------------- clipboard

void TracksController::copySelected()
{
    if (m_selected)
        m_selected->on_itemCopy_clicked();
}

void TracksController::pasteToCurrent()
{
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    if (!m_current || !mime || !mime->hasFormat(TimelineItem::MimeType))
        return;
    m_current->on_itemPaste_clicked();
}

// ---------------------------------------------------------------- preview

void TracksController::showInsertPreview(bool hovered)
{
    const bool playing = m_isPlaying && m_isPlaying();
    if (hovered && !m_selected && !playing && m_current) {
        const int start = m_ui->Mode_t1->time().msecsSinceStartOfDay();
        const int length = int(m_ui->Mode_last->value() * 1000.0);
        m_current->showGhost(start, length);
        return;
    }
    for (Timeline *t : qAsConst(m_tracks))
        t->hideGhost();
}

// ---------------------------------------------------------------- helpers

int TracksController::horizontalScroll() const
{
    return m_ui->timeline_scroll->horizontalScrollBar()->value();
}

void TracksController::setHorizontalScroll(int value)
{
    m_ui->timeline_scroll->horizontalScrollBar()->setValue(value);
}

int TracksController::indicatorMs() const
{
    const QTime t = m_ui->timeline_headers->indicator()->time();
    return t.isValid() ? t.msecsSinceStartOfDay() : 0;
}

} // namespace vc
