#pragma once

#include "core/audio/beattracker.h"

#include <QObject>
#include <QString>

class ChartView;
class QAction;
class QLabel;
class TimelineHeaders;

namespace vc {

class SongLoader;

// The song's beats on the time axis: found while every song loaded decodes,
// marked along the ruler and across the waveform once the
// waveform is there, with the tempo beside the song's time; and the
// setting that makes edits snap to them. The found beats are not stored
// with the project; a corrected grid is (see BeatCorrections).
class BeatMarks : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        TimelineHeaders *ruler = nullptr;
        ChartView *waveform = nullptr;
        QLabel *tempo = nullptr;
        QAction *snapToBeats = nullptr; // checkable
    };
    BeatMarks(const Widgets &widgets, SongLoader *song, QObject *parent = nullptr);

    // The beats shown now.
    const SongBeats &beats() const { return m_shown; }

signals:
    // The marks changed: a song's beats appeared, or they went.
    void beatsShown(const vc::SongBeats &beats);

private:
    void songDecoded(qint64 durationMs);
    // Takes the marks away unless the song they belong to is still there.
    void keepOnlyPresentSong();
    void show(const SongBeats &beats, const QString &source);
    void setSnapping(bool on);

    Widgets m_w;
    SongLoader *m_song = nullptr;
    SongBeats m_shown;
    QString m_shownSource;
};

} // namespace vc
