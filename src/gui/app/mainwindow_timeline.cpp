// Main-window slots of the time axis: zoom, scrolling, and the set-up of
// the playback, song and zoom objects.
#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/model/show.h"
#include "core/timeline/timeaxis.h"
#include "gui/audio/chartview.h"
#include "gui/audio/playback.h"
#include "gui/audio/songloader.h"
#include "gui/common/prompter.h"
#include "gui/model/trackscontroller.h"
#include "gui/render/mygl.h"
#include "gui/timeline/playline.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "gui/timeline/timelineview.h"

void MainWindow::setupTimeAxis()
{
    m_chartView = new ChartView(ui->audio_frame);
    m_chartView->setObjectName(QStringLiteral("waveform_view"));
    m_chartView->hide();
    m_song = new vc::SongLoader(m_chartView, this, this);
    m_song->setTimeAxis(m_timeAxis);
    ui->timeline_headers->setTimeAxis(m_timeAxis);
    ui->timeline_headers->setDocument(m_show);

    // Space plays and pauses through the Play button's shortcut. A button
    // holding the focus takes the key's release as a click of its own, and
    // the shortcut gives the button the focus: Play would start and pause
    // at once. So the button never takes the focus.
    ui->Song_play->setFocusPolicy(Qt::NoFocus);

    vc::Playback::Widgets pw;
    pw.slider = ui->Song_Slider;
    pw.clock = ui->Song_time;
    pw.playButton = ui->Song_play;
    pw.ruler = ui->timeline_headers;
    pw.scroll = ui->timeline_scroll;
    pw.modeStart = ui->Mode_t1;
    m_playback = new vc::Playback(pw, m_song, this);
    m_playback->previewItem = [this](const vc::Playback::ItemUnder &item) {
        const double seconds = (item.end - item.start) / 1000.0;
        glpreview_change(false, item.pattern, m_show->leds(), static_cast<int>(m_show->frameRate()),
                         seconds, item.loops);
    };
    m_playback->previewBlack = [this] { Oviewer_change(0, 0, 0); };
    m_playback->previewSeek = [this](int t, int start, int end) {
        ui->GLWidget->seek(t, start, end);
    };
    // The tracks: the mode under the indicator, the selection, the
    // previewed item.
    m_playback->itemAt = [this](int x) {
        vc::Playback::ItemUnder u;
        Timeline *track = m_tracks ? m_tracks->currentTrack() : nullptr;
        if (!track)
            return u;
        const int index = m_project->modeIndexUnder(track->trackId(), x, track->msPerPixel());
        const vc::Show::Track *shown = index < 0 ? nullptr : m_show->track(track->trackId());
        if (TimelineItem *item = shown ? track->itemShowing(shown->modes.at(index).id) : nullptr) {
            u.item = item;
            u.pattern = item->thumbPixmap();
            u.start = item->startMs();
            u.end = item->endMs();
            u.loops = item->loops();
        }
        return u;
    };
    m_playback->hasSelection = [this] { return m_tracks && m_tracks->selectedItem(); };
    m_playback->cancelSelect = [this] { on_cancelSelect_clicked(); };
    m_playback->getPreviewed = [this]() -> QObject * {
        return m_tracks ? m_tracks->previewedItem() : nullptr;
    };
    m_playback->setPreviewed = [this](QObject *item) {
        if (m_tracks)
            m_tracks->setPreviewedItem(qobject_cast<TimelineItem *>(item));
    };
    if (m_tracks)
        m_tracks->setPlayingQuery([this] { return m_playback->isPlaying(); });
    connect(ui->Song_time, &myTime::timer_timeout, m_playback, &vc::Playback::timerTimeout);
    connect(m_playback, &vc::Playback::timelineLengthRequested, this,
            [this](int msecs) { ui->timeline_max->setTime(QTime(0, 0).addMSecs(msecs)); });
    connect(m_song, &vc::SongLoader::decoded, this, &MainWindow::songDecoded);
    connect(m_chartView, &ChartView::chartClicked, this, &MainWindow::on_Song_Slider_sliderMoved);

    vc::TimelineView::Widgets tw;
    tw.scaler = ui->timeline_scaler;
    tw.ruler = ui->timeline_headers;
    tw.scroll = ui->timeline_scroll;
    tw.tracks = ui->timeline_scroll_2;
    tw.rowHeader = ui->timeline_rowheader;
    tw.verticalBar = ui->timeline_vertical_scrollbar;
    tw.splitter = ui->timeline_splitter;
    tw.audioSpacer = ui->audio_spacer;
    tw.rowHeaderColumn = ui->rowheader_column;
    m_timelineView = new vc::TimelineView(tw, m_timeAxis, m_playback, m_song, this);
    connect(ui->timeline_scroll, &ScrollArea::scrolled_with_key, this,
            &MainWindow::on_timeline_scrolled);
    new PlayLine(ui->timeline_headers, ui->timeline_scroll_contents);

    // The ruler's length and the slider's range start from the timeline length.
    const QTime length = ui->timeline_max->time();
    const int lengthMs = length.isValid() ? length.msecsSinceStartOfDay() : 0;
    m_playback->setTimelineLength(lengthMs);
    ui->Song_Slider->setMaximum(lengthMs);
}

void MainWindow::on_timeline_scaler_valueChanged(int value)
{
    m_timelineView->zoom(value);
}

void MainWindow::on_timeline_scrolled(int delta, bool ctrl)
{
    m_timelineView->scrolled(delta, ctrl);
}

void MainWindow::timeline_vertical_scroll_changed(int min, int max)
{
    m_timelineView->verticalRangeChanged(min, max);
}

void MainWindow::on_timeline_splitter_splitterMoved(int pos, int index)
{
    m_timelineView->splitterMoved(pos, index);
}
