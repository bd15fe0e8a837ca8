#include "timeline/timelineview.h"

#include "audio/playback.h"
#include "audio/songloader.h"
#include "audio/timelineheaders.h"
#include "model/showglobals.h"
#include "timeline/timescale.h"

#include <QCoreApplication>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpacerItem>
#include <QSplitter>

namespace vc {

TimelineView::TimelineView(const Widgets &widgets, Playback *playback, SongLoader *song,
                           QObject *parent)
    : QObject(parent), m_w(widgets), m_playback(playback), m_song(song)
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
    globals().msPerPixel = timescale::scaleForZoom(sliderValue);
    if (m_w.ruler)
        m_w.ruler->rescale();
    if (relayoutTracks)
        relayoutTracks();
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
    if (m_w.splitter && m_w.audioSpacer) {
        const int h = qMax(0, m_w.splitter->height() - pos + 1);
        m_w.audioSpacer->changeSize(m_w.audioSpacer->sizeHint().width(), h, QSizePolicy::Fixed,
                                    QSizePolicy::Fixed);
        if (m_w.rowHeaderColumn && m_w.rowHeaderColumn->layout())
            m_w.rowHeaderColumn->layout()->invalidate();
    }
    if (m_song)
        m_song->resizeView();
}

} // namespace vc
