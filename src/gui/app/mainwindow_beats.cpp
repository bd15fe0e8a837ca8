// Main-window set-up of the song's beat marks: the tempo beside the song's
// time and the Edit menu's snapping entry.
#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include "gui/audio/beatmarks.h"

#include <QLabel>

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
}
