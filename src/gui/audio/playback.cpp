#include "gui/audio/playback.h"

#include "core/timeline/timescale.h"
#include "gui/audio/mytime.h"
#include "gui/audio/songloader.h"
#include "gui/audio/timelineheaders.h"

#include <QAbstractButton>
#include <QDebug>
#include <QFileInfo>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTimeEdit>
#include <QUrl>

namespace ts = vc::timescale;

namespace vc {

namespace {

QTime timeOf(qint64 msecs)
{
    return QTime(0, 0).addMSecs(static_cast<int>(qMax<qint64>(0, msecs)));
}

int msOf(const QTime &t)
{
    return t.isValid() ? t.msecsSinceStartOfDay() : 0;
}

} // namespace

Playback::Playback(const Widgets &widgets, SongLoader *song, QObject *parent)
    : QObject(parent), m_w(widgets), m_song(song),
      m_player(new QMediaPlayer(this, QMediaPlayer::StreamPlayback))
{
    m_player->setNotifyInterval(10);
}

const QObject *Playback::previewedItem() const
{
    return getPreviewed ? getPreviewed() : m_previewed.data();
}

void Playback::setPreviewedItem(const QObject *item)
{
    if (setPreviewed)
        setPreviewed(const_cast<QObject *>(item));
    else
        m_previewed = const_cast<QObject *>(item);
}

bool Playback::songPresent() const
{
    return m_song && m_song->songPresent();
}

bool Playback::isPlaying() const
{
    if (songPresent())
        return m_player->state() == QMediaPlayer::PlayingState;
    return m_w.clock && m_w.clock->isRunning();
}

void Playback::connectPlayer()
{
    disconnect(m_player, nullptr, this, nullptr);
    connect(m_player, &QMediaPlayer::positionChanged, this, &Playback::positionChanged);
    connect(m_player, &QMediaPlayer::stateChanged, this, &Playback::stateChanged);
}

void Playback::setMedia(const QString &path)
{
    const QFileInfo file(path);
    // A missing file is reported by the song loader; the player keeps no media.
    m_player->setMedia(file.exists() ? QMediaContent(QUrl::fromLocalFile(file.absoluteFilePath()))
                                     : QMediaContent());
}

void Playback::songDecoded(qint64 durationMs)
{
    const ts::SongRange range = ts::songRange(durationMs);
    emit timelineLengthRequested(range.timelineMs);
    if (m_w.slider)
        m_w.slider->setMaximum(range.sliderMax);
    showTime(durationMs);
    if (m_w.playButton)
        m_w.playButton->setEnabled(true);
    // Prime the back end so the first Play starts at once.
    m_player->play();
    m_player->stop();
    m_player->pause();
    if (m_song && m_song->generation() == m_rewindGeneration)
        stop();
    emit songReady();
}

void Playback::showTime(qint64 msecs)
{
    if (!m_w.clock)
        return;
    const QSignalBlocker block(m_w.clock);
    m_w.clock->setTime(timeOf(msecs));
}

void Playback::setPlayIcon(bool playing)
{
    if (m_w.playButton)
        m_w.playButton->setIcon(QIcon(playing ? QStringLiteral(":/icon/pause.png")
                                              : QStringLiteral(":/icon/play.png")));
}

void Playback::placeIndicator(qint64 msecs)
{
    if (m_w.ruler)
        m_w.ruler->indicator()->placeAt(msecs, false);
}

void Playback::keepInView(int x)
{
    if (!m_w.scroll)
        return;
    QScrollBar *bar = m_w.scroll->horizontalScrollBar();
    const int v = ts::scrollToShow(x, bar->value(), m_w.scroll->width());
    if (v != bar->value())
        bar->setValue(v);
}

void Playback::centreIndicator()
{
    if (!m_w.scroll || !m_w.ruler)
        return;
    m_w.scroll->horizontalScrollBar()->setValue(m_w.ruler->indicator()->x() -
                                                m_w.scroll->width() / 2);
}

void Playback::play()
{
    m_player->blockSignals(false);
    if (!songPresent()) {
        if (!m_w.clock)
            return;
        if (m_w.clock->isRunning()) {
            setPlayIcon(false);
            m_w.clock->stop();
        } else {
            setPlayIcon(true);
            m_w.clock->restart(m_w.ruler ? m_w.ruler->indicator()->msecs() : 0);
            m_w.clock->start();
        }
        return;
    }
    if (m_player->state() == QMediaPlayer::PlayingState) {
        m_player->pause();
        return;
    }
    if (m_w.modeStart && m_w.clock && !(hasSelection && hasSelection()))
        m_w.modeStart->setTime(m_w.clock->time());
    setPreviewedItem(nullptr);
    m_player->play();
}

void Playback::pause()
{
    m_player->blockSignals(false);
    if (!songPresent()) {
        if (m_w.clock)
            m_w.clock->stop();
        setPlayIcon(false);
    } else {
        m_player->pause();
    }
}

void Playback::rewindWhenDecoded(int generation)
{
    m_rewindGeneration = generation;
}

void Playback::stop()
{
    pause();
    if (songPresent())
        m_player->setPosition(0);
    if (m_w.slider)
        m_w.slider->setValue(0);
    if (m_w.ruler)
        m_w.ruler->indicator()->placeAt(0, false);
    showTime(0);
}

void Playback::sliderMoved(int position)
{
    qDebug() << "song slider moved" << position;
    if (!songPresent() || m_player->state() == QMediaPlayer::PlayingState) {
        if (m_w.clock)
            m_w.clock->restart(position);
    } else {
        m_player->setPosition(position);
    }
}

void Playback::timeEdited()
{
    if (!m_w.clock)
        return;
    const int t = msOf(m_w.clock->time());
    qDebug() << "song time change" << t;
    if (songPresent() && m_player->state() != QMediaPlayer::PlayingState) {
        m_player->setPosition(t);
    } else if (!m_w.clock->isRunning()) {
        m_w.clock->restart(t);
    }
}

void Playback::timerTimeout(qlonglong msecs)
{
    if (m_w.slider)
        m_w.slider->setValue(static_cast<int>(msecs));
    placeIndicator(msecs);
    m_player->blockSignals(false);
}

void Playback::positionChanged(qint64 msecs)
{
    if (m_w.slider)
        m_w.slider->setValue(static_cast<int>(msecs));
    showTime(msecs);
    placeIndicator(msecs);
    m_player->blockSignals(false);
}

void Playback::stateChanged(QMediaPlayer::State state)
{
    setPlayIcon(state == QMediaPlayer::PlayingState);
}

void Playback::indicatorMoved(int x, bool byUser)
{
    if (!m_w.ruler)
        return;
    const int t = qMax(0, m_w.ruler->indicator()->msecs());
    const ItemUnder under = itemAt ? itemAt(x + 1) : ItemUnder{};

    if (byUser) {
        if (!songPresent()) {
            if (m_w.clock)
                m_w.clock->restart(t);
        } else {
            m_player->blockSignals(true);
            m_player->setPosition(t);
            positionChanged(t);
        }
    }

    if (!under.item) {
        if (previewedItem()) {
            if (previewBlack)
                previewBlack();
            setPreviewedItem(nullptr);
            if (cancelSelect)
                cancelSelect();
        }
    } else {
        if (byUser && previewSeek)
            previewSeek(t, under.start, under.end);
        if (under.item != previewedItem()) {
            if (previewItem)
                previewItem(under);
            setPreviewedItem(under.item);
        }
    }

    if (m_w.modeStart && !(hasSelection && hasSelection()))
        m_w.modeStart->setTime(timeOf(t));

    keepInView(x);
}

void Playback::setTimelineLength(int msecs)
{
    if (m_w.ruler)
        m_w.ruler->setTotalLength(msecs);
}

} // namespace vc
