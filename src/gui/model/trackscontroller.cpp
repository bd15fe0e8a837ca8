#include "gui/model/trackscontroller.h"

#include "core/model/show.h"
#include "gui/audio/timelineheaders.h"
#include "gui/common/prompter.h"
#include "gui/timeline/smallwidgets.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSpinBox>
#include <QTimeEdit>

namespace vc {

TracksController::TracksController(const Widgets &widgets, Project *project, const TimeAxis *axis,
                                   QObject *parent)
    : QObject(parent), m_w(widgets), m_project(project), m_show(project->show()), m_axis(axis)
{
    connect(m_show, &Show::tracksChanged, this, &TracksController::syncTracks);
    connect(m_show, &Show::currentTrackChanged, this, &TracksController::syncCurrent);
    // A scroll brings other items into view.
    if (m_w.scroll)
        connect(m_w.scroll->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] {
            for (Timeline *t : qAsConst(m_tracks))
                t->layOutSeen();
        });
    syncTracks();
}

TracksController::~TracksController() = default;

// ---------------------------------------------------------------- tracks

int TracksController::layoutPosition(const Timeline *track) const
{
    return m_w.layout->indexOf(const_cast<Timeline *>(track));
}

QList<Timeline *> TracksController::tracksByNumber() const
{
    QList<Timeline *> out;
    const int n = m_tracks.size();
    for (int position = n; position >= 1; --position) {
        auto *t = qobject_cast<Timeline *>(m_w.layout->itemAt(position)->widget());
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
    connect(t, &Timeline::itemClicked, this, [this](TimelineItem *item) { selectItem(item); });
    connect(t, &Timeline::itemDragEnd, this,
            [this](const QByteArray &, TimelineItem *item) { itemDragEnded(item); });
    connect(t, &Timeline::timelinePressed, this, &TracksController::makeCurrent);
    connect(t, &Timeline::dragIn, this, &TracksController::moveDraggedItem);
    connect(t, &Timeline::tlDuplicated_clicked, this, &TracksController::duplicateTrack);
    connect(t, &Timeline::timelineDeleteClicked, this, &TracksController::removeCurrentTrack);
    connect(t, &Timeline::itemRemoved, this, &TracksController::onItemRemoved);
}

int TracksController::showIndexAt(int p) const
{
    // Layout position q (1 is the top) among n tracks is track number
    // n - q + 2, index n - q + 1.
    const int n = int(m_show->trackCount());
    const int q = std::min(p > 0 ? p : 1, n + 1);
    return n - q + 1;
}

Timeline *TracksController::addTimeline(short p)
{
    return m_views.value(m_show->addTrack(showIndexAt(p)));
}

void TracksController::syncTracks()
{
    const QVector<Show::Track> &tracks = m_show->tracks();
    // A hidden track hands its focus on, and the scroll area would scroll
    // to the widget that takes it: the view stays where it was.
    const int scroll = horizontalScroll();
    // Views of tracks that are gone.
    for (auto it = m_views.begin(); it != m_views.end();) {
        if (m_show->trackIndex(it.key()) >= 0) {
            ++it;
            continue;
        }
        Timeline *t = it.value();
        it = m_views.erase(it);
        m_tracks.removeOne(t);
        if (m_selected && m_selected->track() == t)
            emit selectionCancelled();
        if (m_previewed && m_previewed->track() == t)
            setPreviewedItem(nullptr);
        t->hideGhost();
        t->hide();
        m_w.layout->removeWidget(t);
        if (MyLabel *label = t->rowLabel()) {
            label->hide();
            m_w.rowHeaderLayout->removeWidget(label);
            label->deleteLater();
        }
        t->deleteLater();
    }
    // Views of new tracks.
    for (const Show::Track &track : tracks) {
        if (m_views.contains(track.id))
            continue;
        auto *t = new Timeline(m_w.area, m_w.ruler, m_axis, m_show, track.id);
        connectTrack(t);
        auto *label = new MyLabel(m_w.rowHeader);
        label->setFixedSize(20, Timeline::TrackHeight);
        label->setMargin(0);
        label->setAlignment(Qt::AlignCenter);
        connect(label, &MyLabel::mousePress, t, &Timeline::on_label_pressed);
        t->setRowLabel(label);
        m_views.insert(track.id, t);
        m_tracks.append(t);
        t->sync();
    }
    // Layout: a spacer at 0, the tracks at 1..N from the top, then a line.
    // Placed from the top down, each move leaves the ones above in place.
    const int n = int(tracks.size());
    for (int position = 1; position <= n; ++position) {
        Timeline *t = m_views.value(tracks.at(n - position).id);
        if (m_w.layout->indexOf(t) != position) {
            m_w.layout->removeWidget(t);
            m_w.layout->insertWidget(position, t);
        }
        MyLabel *label = t->rowLabel();
        if (m_w.rowHeaderLayout->indexOf(label) != position) {
            m_w.rowHeaderLayout->removeWidget(label);
            m_w.rowHeaderLayout->insertWidget(position, label);
        }
    }
    syncCurrent();
    renumber();
    setHorizontalScroll(scroll);
}

void TracksController::syncCurrent()
{
    Timeline *current = m_views.value(m_show->currentTrack());
    if (m_current && m_current != current)
        m_current->setActive(false);
    m_current = current;
    if (m_current)
        m_current->setActive(true);
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
    // An editing step: undo takes the new track away again.
    const Project::Edit step(m_project);
    addTimeline(short(m_current ? layoutPosition(m_current) : -1));
}

void TracksController::removeCurrentTrack()
{
    const int scroll = horizontalScroll();
    if (m_tracks.size() <= 1 || !m_current)
        return;
    const auto answer = prompter().warning(m_w.dialogParent, tr("確認移除軌道？"),
                                           tr("<font color='white'>此動作無法復原</font>"),
                                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;

    m_show->removeTrack(m_current->trackId());
    // The first track of the list becomes current, wherever it was moved.
    if (!m_tracks.isEmpty())
        m_show->setCurrentTrack(m_tracks.first()->trackId());
    // Leaving apply mode stays possible while an item on another track is
    // still selected.
    if (m_w.cancelSelect)
        m_w.cancelSelect->setEnabled(m_selected != nullptr);
    setHorizontalScroll(scroll);
}

void TracksController::moveTrack(Timeline *t, int position)
{
    m_show->moveTrack(t->trackId(), int(m_show->trackCount()) - position);
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
    // Directly above the current track, as a new track goes.
    const Project::Edit step(m_project);
    m_show->duplicateTrack(source->trackId(),
                           showIndexAt(m_current ? layoutPosition(m_current) : -1));
}

void TracksController::makeCurrent(Timeline *track, bool byUser)
{
    if (!track || !m_tracks.contains(track))
        return;
    m_show->setCurrentTrack(track->trackId());
    if (!byUser)
        return;
    emit selectionCancelled();
    if (TimelineItem *item = track->itemAt(indicatorMs())) {
        setPreviewedItem(item);
        emit previewItem(item);
    } else {
        emit previewNothing();
    }
}

void TracksController::moveDraggedItem(Timeline *target)
{
    if (!m_current || !target || !m_current->dragged())
        return;
    const int scroll = horizontalScroll();
    TimelineItem *item = m_current->dragged();
    target->addTimelineItem(item);
    target->setDragged(item);
    item->show();
    setHorizontalScroll(scroll);
}

void TracksController::clearProject()
{
    emit selectionCancelled();
    m_selected = nullptr;
    setPreviewedItem(nullptr);
    // The history names the tracks and modes that are about to go.
    m_project->clearHistory();
    {
        const Project::Untracked replacing(m_project);
        m_show->clear();
    }
    m_project->startHistory();
}

// ---------------------------------------------------------------- items

TimelineItem *TracksController::itemAt(int ms) const
{
    return m_current ? m_current->itemAt(ms) : nullptr;
}

int TracksController::itemCount() const
{
    return m_show->modeCount();
}

bool TracksController::isLive(const TimelineItem *item) const
{
    Timeline *t = item ? item->track() : nullptr;
    return t && m_tracks.contains(t) && t->holds(item);
}

void TracksController::setPreviewedItem(TimelineItem *item)
{
    // Named by the preview, an item must not show another mode.
    if (m_previewed && m_previewed != item)
        m_previewed->setPreviewed(false);
    if (item)
        item->setPreviewed(true);
    m_previewed = item;
}

void TracksController::selectItem(TimelineItem *item)
{
    if (!item)
        return;
    item->keep();
    if (m_selected && m_selected != item)
        m_selected->setSelected(false);
    m_selected = item;
    setPreviewedItem(item);
    emit itemOpened(item);
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
    const Project::Edit step(m_project);
    TimelineItem *item = m_selected;
    if (Timeline *t = item->track())
        t->deleteTimelineItem(item);
    // Leaving apply mode: the editor must not edit an item off the tracks.
    emit selectionCancelled();
    refreshCounters();
    setHorizontalScroll(scroll);
}

void TracksController::onItemRemoved(TimelineItem *item)
{
    if (item == m_selected)
        emit selectionCancelled();
    // Removing through the item's menu is an editing step like the Delete
    // key: recorded, so one undo brings the item back.
    refreshCounters();
}

// ---------------------------------------------------------------- counters

void TracksController::refreshCounters()
{
    if (m_selected && !isLive(m_selected))
        emit selectionCancelled();
    m_project->flush();
}

void TracksController::undo()
{
    if (m_project->undo())
        emit selectionCancelled();
}

void TracksController::redo()
{
    if (m_project->redo())
        emit selectionCancelled();
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
        const int start = m_w.modeStart ? m_w.modeStart->time().msecsSinceStartOfDay() : 0;
        const int length = m_w.modeLength ? int(m_w.modeLength->value() * 1000.0) : 0;
        m_current->showGhost(start, length);
        return;
    }
    for (Timeline *t : qAsConst(m_tracks))
        t->hideGhost();
}

// ---------------------------------------------------------------- helpers

int TracksController::horizontalScroll() const
{
    return m_w.scroll ? m_w.scroll->horizontalScrollBar()->value() : 0;
}

void TracksController::setHorizontalScroll(int value)
{
    if (m_w.scroll)
        m_w.scroll->horizontalScrollBar()->setValue(value);
}

int TracksController::indicatorMs() const
{
    if (!m_w.ruler)
        return 0;
    const QTime t = m_w.ruler->indicator()->time();
    return t.isValid() ? t.msecsSinceStartOfDay() : 0;
}

} // namespace vc
