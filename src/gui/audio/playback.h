#pragma once

#include <QMediaPlayer>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <functional>

class QAbstractButton;
class QScrollArea;
class QSlider;
class QTimeEdit;
class TimelineHeaders;
class myTime;

namespace vc {

class SongLoader;

// The play position: one "now" for the whole editor. It advances from the
// media player when a song is present, otherwise from the song clock box's
// wall-clock timer, and drives the song slider, the time box and the ruler's
// indicator. Every indicator move feeds the preview with the mode under it,
// lets the editor's start time follow and keeps the indicator in view.
class Playback : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QSlider *slider = nullptr;             // Song_Slider
        myTime *clock = nullptr;               // Song_time
        QAbstractButton *playButton = nullptr; // Song_play
        TimelineHeaders *ruler = nullptr;      // timeline_headers
        QScrollArea *scroll = nullptr;         // timeline_scroll
        QTimeEdit *modeStart = nullptr;        // Mode_t1
    };

    // A mode of the current track, as the preview needs it.
    struct ItemUnder
    {
        const QObject *item = nullptr; // identity; none when empty
        QPixmap pattern;
        int start = 0;
        int end = 0;
        int loops = 1;
    };

    Playback(const Widgets &widgets, SongLoader *song, QObject *parent = nullptr);

    QMediaPlayer *player() const { return m_player; }
    bool songPresent() const;
    bool isPlaying() const;

    // Hooks into the tracks and the preview, set by the main window.
    std::function<ItemUnder(int x)> itemAt;             // item of the current track at (x, 10)
    std::function<bool()> hasSelection;                 // an item is open in the editor
    std::function<void()> cancelSelect;                 // clear the selection
    std::function<void(const ItemUnder &)> previewItem; // hand the item to the preview
    std::function<void()> previewBlack;
    std::function<void(int t, int start, int end)> previewSeek;

    // The item last handed to the preview; kept by the tracks when they
    // install these hooks, else here.
    std::function<QObject *()> getPreviewed;
    std::function<void(QObject *)> setPreviewed;
    const QObject *previewedItem() const;
    void setPreviewedItem(const QObject *item);

    // Reconnects the player's position and state reports (each song load).
    void connectPlayer();
    // Sets the player's media to a local file.
    void setMedia(const QString &path);
    // A song finished decoding: size the time range to it and prime the player.
    void songDecoded(qint64 durationMs);

    // Places the indicator at t ms (time-driven; emits moved(x, false)).
    void placeIndicator(qint64 msecs);
    // Scrolls the track area so that x is visible.
    void keepInView(int x);
    // Scrolls the track area so that the indicator is in the middle (zoom).
    void centreIndicator();

    // The form's handlers.
    void play();
    void stop();
    // Pauses where it is (the song, or the internal clock).
    void pause();
    // The song of a load (SongLoader::generation()) starts from 0 once it
    // has decoded; a file that is no song leaves the position alone.
    void rewindWhenDecoded(int generation);
    void sliderMoved(int position);
    void timeEdited();
    void timerTimeout(qlonglong msecs);
    void positionChanged(qint64 msecs);
    void stateChanged(QMediaPlayer::State state);
    void indicatorMoved(int x, bool byUser);
    void setTimelineLength(int msecs);

signals:
    // The timeline length the song asks for (the main window's time box).
    void timelineLengthRequested(int msecs);
    // A song became ready (counters refresh).
    void songReady();

private:
    void showTime(qint64 msecs);
    void setPlayIcon(bool playing);

    Widgets m_w;
    SongLoader *m_song = nullptr;
    QMediaPlayer *m_player = nullptr;
    QPointer<QObject> m_previewed;
    int m_rewindGeneration = -1;
};

} // namespace vc
