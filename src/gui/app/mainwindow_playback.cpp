// Main-window slots of playback, the time ruler and the song.
#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/app/appsettings.h"
#include "core/model/show.h"
#include "gui/audio/playback.h"
#include "gui/audio/songloader.h"
#include "gui/common/prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QMediaContent>

void MainWindow::on_SongRead_Button_clicked()
{
    // Paused, not stopped: the play position goes back to 0 only once the
    // chosen file has turned out to be a song.
    m_playback->pause();
    const QString path = vc::prompter().openFileName(
        this, tr("選歌"), vc::settings::defaultMusicPath(), tr("(*.mp3 *.wav);;All files (*.*)"));
    if (path.isEmpty())
        return;
    ReadSong(path);
    m_playback->rewindWhenDecoded(m_song->generation());
}

void MainWindow::ReadSong(const QString &path)
{
    // The song playing now stays until the new one has decoded.
    m_song->load(path);
}

void MainWindow::readProjectSong(const QString &path)
{
    // A project brings its own song: the previous one goes, and the
    // project keeps naming its song even where it cannot be read here.
    m_playback->stop();
    m_playback->setMedia(QString());
    m_song->unload();
    ui->Song_dir->setText(QStringLiteral("..."));
    if (path.isEmpty()) {
        m_show->setSongPath(QString());
        return;
    }
    m_show->setSongPath(QFileInfo(path).absoluteFilePath());
    m_song->load(path);
}

void MainWindow::songDecoded(qint64 durationMs)
{
    const QString path = m_song->sourceFile();
    if (durationMs == 0) {
        QString text = tr("「%1」不是本程式能讀取的音樂檔（MP3 或 WAV）。")
                           .arg(QFileInfo(m_song->requestedFile()).fileName());
        if (!m_song->missingDecoder().isEmpty())
            text += QLatin1Char('\n') + m_song->missingDecoder();
        if (m_song->songPresent())
            text += tr("\n原本的音樂「%1」保持不變。").arg(QFileInfo(path).fileName());
        vc::prompter().warning(this, tr("錯誤"), text);
        return;
    }
    ui->Song_dir->setText(QFileInfo(path).fileName());
    m_playback->connectPlayer();
    m_playback->setMedia(path);
    m_show->setSongPath(path);
    m_playback->songDecoded(durationMs);
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
