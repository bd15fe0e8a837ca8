// Main-window slots of playback, the time ruler and the song.
#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/model/show.h"
#include "gui/app/prompter.h"
#include "gui/audio/playback.h"
#include "gui/audio/songloader.h"

#include <QDir>
#include <QMediaContent>

void MainWindow::on_SongRead_Button_clicked()
{
    on_Song_Stop_clicked();
    const QString path = vc::prompter().openFileName(this, tr("選歌"), QDir::homePath() + "/Music",
                                                     tr("(*.mp3 *.wav);;All files (*.*)"));
    if (!path.isEmpty())
        ReadSong(path);
}

void MainWindow::ReadSong(const QString &path)
{
    ui->Song_dir->setText(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
    m_playback->connectPlayer();
    m_playback->setMedia(path);
    m_song->load(path);
    m_show->setSongPath(m_song->sourceFile());
}

void MainWindow::cancel_decoder()
{
    m_song->cancel_decoder();
}

void MainWindow::on_Song_dir_linkHovered(const QString &link)
{
    Q_UNUSED(link);
    ui->Song_dir->setText(m_playback->player()->media().request().url().toString());
}

void MainWindow::on_Song_play_clicked()
{
    m_playback->play();
}

void MainWindow::on_Song_play_2_triggered()
{
    m_playback->play();
}

void MainWindow::on_Song_Stop_clicked()
{
    m_playback->stop();
}

void MainWindow::on_Song_Slider_sliderMoved(int position)
{
    m_playback->sliderMoved(position);
}

void MainWindow::on_Song_time_editingFinished()
{
    m_playback->timeEdited();
}

void MainWindow::on_timeline_headers_indicatorMoved(int x, bool byUser)
{
    m_playback->indicatorMoved(x, byUser);
}

void MainWindow::on_timeline_max_timeChanged(const QTime &time)
{
    m_playback->setTimelineLength(time.isValid() ? time.msecsSinceStartOfDay() : 0);
}
