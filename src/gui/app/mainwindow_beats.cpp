// Main-window set-up of the song's beat marks: the tempo beside the song's
// time, the Edit menu's snapping entry, and the Beats menu whose
// corrections are steps of the project.
#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include "gui/audio/beatcorrections.h"
#include "gui/audio/beatmarks.h"
#include "gui/model/trackscontroller.h"
#include "gui/timeline/timelineitem.h"

#include <QLabel>
#include <QMenu>

void MainWindow::setupBeats()
{
    auto *tempo = new QLabel(ui->Song_time->parentWidget());
    tempo->setObjectName(QStringLiteral("song_tempo"));
    tempo->setMinimumWidth(tempo->fontMetrics().horizontalAdvance(QStringLiteral("000 BPM")) + 4);
    ui->song_frame_layout->insertWidget(ui->song_frame_layout->indexOf(ui->Song_time) + 1, tempo);

    auto *snap = new QAction(tr("對齊節拍"), this);
    snap->setObjectName(QStringLiteral("actionSnapToBeats"));
    // After Copy and Paste, before the next group.
    const QList<QAction *> edit = ui->menu_4->actions();
    const int paste = edit.indexOf(ui->actionPaste);
    ui->menu_4->insertAction(edit.value(paste + 1), snap);

    vc::BeatMarks::Widgets w;
    w.ruler = ui->timeline_headers;
    w.waveform = m_chartView;
    w.tempo = tempo;
    w.snapToBeats = snap;
    m_beatMarks = new vc::BeatMarks(w, m_song, this);

    vc::BeatCorrections::Widgets cw;
    cw.ruler = ui->timeline_headers;
    cw.waveform = m_chartView;
    cw.tempo = tempo;
    m_beatCorrections = new vc::BeatCorrections(cw, m_project, this);
    connect(m_beatMarks, &vc::BeatMarks::beatsShown, m_beatCorrections,
            &vc::BeatCorrections::setFound);
    addAction(m_beatCorrections->tapAction());
    m_beatCorrections->setSelectedMode([this]() -> vc::Show::Id {
        const TimelineItem *item = m_tracks->selectedItem();
        return item ? item->modeId() : 0;
    });
    connect(m_beatCorrections, &vc::BeatCorrections::modesLaidOut, m_tracks,
            &vc::TracksController::refreshCounters);
    // Built as it opens, so that it shows the grid as it is then.
    auto *beats = new QMenu(tr("節拍"), ui->menuBar);
    beats->setObjectName(QStringLiteral("menuBeats"));
    ui->menuBar->insertMenu(ui->menu_2->menuAction(), beats);
    connect(beats, &QMenu::aboutToShow, this, [this, beats] {
        beats->clear();
        m_beatCorrections->fillMenu(beats);
    });
}
