#include "gui/timeline/timelineview.h"

#include "core/timeline/timeaxis.h"
#include "core/timeline/timescale.h"
#include "gui/audio/playback.h"
#include "gui/audio/songloader.h"
#include "gui/audio/timelineheaders.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpacerItem>
#include <QSplitter>

namespace vc {

TimelineView::TimelineView(const Widgets &widgets, TimeAxis *axis, Playback *playback,
                           SongLoader *song, QObject *parent)
    : QObject(parent), m_w(widgets), m_playback(playback), m_song(song), m_axis(axis)
{
    if (m_w.verticalBar) {
        // The vertical scroll bar drives the tracks and their row labels.
        connect(m_w.verticalBar, &QScrollBar::valueChanged, this, [this](int v) {
            if (m_w.tracks)
                m_w.tracks->verticalScrollBar()->setValue(v);
            if (m_w.rowHeader)
                m_w.rowHeader->verticalScrollBar()->setValue(v);
        });
    }
    if (m_w.tracks)
        connect(m_w.tracks->verticalScrollBar(), &QScrollBar::rangeChanged, this,
                &TimelineView::verticalRangeChanged);
    if (m_w.splitter) {
        // The tracks take what the window gains; the waveform keeps its
        // height until the user moves the splitter.
        m_w.splitter->setStretchFactor(0, 1);
        m_w.splitter->setStretchFactor(1, 0);
        m_w.splitter->setSizes({400, 60});
    }
    // Any change of the track area's or the column's height re-levels the
    // labels, not only a splitter move.
    for (QWidget *w : {static_cast<QWidget *>(m_w.tracks), m_w.rowHeaderColumn})
        if (w)
            w->installEventFilter(this);
}

bool TimelineView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move)
        alignRowLabels();
    return QObject::eventFilter(watched, event);
}

void TimelineView::alignRowLabels()
{
    if (!m_w.tracks || !m_w.rowHeaderColumn || !m_w.rowHeaderColumn->layout())
        return;
    QLayout *column = m_w.rowHeaderColumn->layout();
    QWidget *top = m_w.rowHeaderColumn->window();
    const int columnTop = m_w.rowHeaderColumn->mapTo(top, QPoint(0, 0)).y();
    const int tracksTop = m_w.tracks->mapTo(top, QPoint(0, 0)).y();
    const int above = qMax(0, tracksTop - columnTop);
    const int below = qMax(0, m_w.rowHeaderColumn->height() - (above + m_w.tracks->height()));

    bool changed = false;
    auto setHeight = [&changed](QSpacerItem *spacer, int h) {
        if (!spacer || spacer->sizeHint().height() == h)
            return;
        spacer->changeSize(spacer->sizeHint().width(), h, QSizePolicy::Fixed, QSizePolicy::Fixed);
        changed = true;
    };
    // The first item of the column is the spacer beside the ruler, the
    // last one audio_spacer beside the waveform and the scroll bar.
    if (column->count() > 0)
        setHeight(column->itemAt(0)->spacerItem(), above);
    setHeight(m_w.audioSpacer, below);
    if (changed)
        column->invalidate();
}

void TimelineView::flushLayout()
{
    // The scroll range follows the new ruler width only after the layouts
    // have run; run them now so the scroll value set next is not clamped
    // to the old range.
    if (m_w.scroll && m_w.scroll->widget()) {
        if (QLayout *l = m_w.scroll->widget()->layout())
            l->activate();
        QCoreApplication::sendPostedEvents(m_w.scroll->widget(), QEvent::LayoutRequest);
        QCoreApplication::sendPostedEvents(m_w.scroll, QEvent::LayoutRequest);
    }
}

void TimelineView::zoom(int sliderValue)
{
    m_axis->setMsPerPixel(timescale::scaleForZoom(sliderValue));
    if (m_w.ruler)
        m_w.ruler->rescale();
    if (m_song)
        m_song->resizeView();
    flushLayout();
    if (m_playback)
        m_playback->centreIndicator();
}

void TimelineView::scrolled(int delta, bool ctrl)
{
    if (ctrl) {
        if (m_w.scaler)
            m_w.scaler->setValue(m_w.scaler->value() + delta);
    } else if (m_w.verticalBar) {
        m_w.verticalBar->setValue(m_w.verticalBar->value() - 2 * delta);
    }
}

void TimelineView::verticalRangeChanged(int min, int max)
{
    if (!m_w.tracks)
        return;
    const int page = m_w.tracks->verticalScrollBar()->pageStep();
    if (m_w.verticalBar) {
        m_w.verticalBar->setRange(min, max);
        m_w.verticalBar->setPageStep(page);
    }
    if (m_w.rowHeader) {
        m_w.rowHeader->verticalScrollBar()->setRange(min, max);
        m_w.rowHeader->verticalScrollBar()->setPageStep(page);
    }
}

void TimelineView::splitterMoved(int pos, int index)
{
    Q_UNUSED(index);
    Q_UNUSED(pos);
    // The row labels follow by themselves: the move resizes the track
    // area, which the event filter watches.
    if (m_song)
        m_song->resizeView();
}

} // namespace vc
