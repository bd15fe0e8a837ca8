#include "gui/audio/beatmarks.h"

#include "core/app/appsettings.h"
#include "core/audio/beatsearch.h"
#include "gui/audio/chartview.h"
#include "gui/audio/songloader.h"
#include "gui/audio/timelineheaders.h"

#include <QAction>
#include <QLabel>

namespace vc {

BeatMarks::BeatMarks(const Widgets &widgets, SongLoader *song, QObject *parent)
    : QObject(parent), m_w(widgets), m_song(song), m_search(new BeatSearch(this))
{
    connect(m_song, &SongLoader::loading, this, &BeatMarks::songLoading);
    connect(m_song, &SongLoader::decoded, this, &BeatMarks::songDecoded);
    // A cancelled load leaves the song there was, and its marks with it.
    connect(m_song, &SongLoader::cancelled, this, [this] {
        m_search->cancel();
        keepOnlyPresentSong();
    });
    connect(m_song, &SongLoader::unloaded, this, [this] {
        m_search->cancel();
        show({}, {});
    });
    connect(m_search, &BeatSearch::found, this, &BeatMarks::searchEnded);

    if (m_w.snapToBeats) {
        m_w.snapToBeats->setCheckable(true);
        m_w.snapToBeats->setChecked(
            settings::open().value(QLatin1String(settings::SnapToBeats), false).toBool());
        setSnapping(m_w.snapToBeats->isChecked());
        connect(m_w.snapToBeats, &QAction::toggled, this, [this](bool on) {
            settings::open().setValue(QLatin1String(settings::SnapToBeats), on);
            setSnapping(on);
        });
    }
    show({}, {});
}

void BeatMarks::setSnapping(bool on)
{
    if (m_w.ruler)
        m_w.ruler->setSnapToBeats(on);
}

// A new song's beats are searched at once, side by side with its waveform;
// the old song's marks stay until the new waveform replaces it.
void BeatMarks::songLoading(const QString &path)
{
    m_searchGeneration = m_song->generation();
    m_searchSource = path;
    m_search->start(path);
}

void BeatMarks::songDecoded(qint64 durationMs)
{
    if (durationMs <= 0) {
        // Not a song: the one there was stays, and so do its marks.
        m_search->cancel();
        keepOnlyPresentSong();
        return;
    }
    if (m_searchGeneration != m_song->generation() || m_song->sourceFile() != m_searchSource) {
        show({}, {});
        return;
    }
    // The waveform comes first; the beats when the search has them.
    show(m_search->isSearching() ? SongBeats() : m_search->beats(), m_searchSource);
}

void BeatMarks::keepOnlyPresentSong()
{
    if (!m_song->songPresent() || m_song->sourceFile() != m_shownSource)
        show({}, {});
}

void BeatMarks::searchEnded()
{
    if (m_searchGeneration != m_song->generation() || m_song->isDecoding() ||
        !m_song->songPresent() || m_song->sourceFile() != m_searchSource)
        return; // shown when the waveform is
    show(m_search->beats(), m_searchSource);
}

void BeatMarks::show(const SongBeats &beats, const QString &source)
{
    m_shown = beats;
    m_shownSource = beats.isEmpty() ? QString() : source;
    if (m_w.ruler)
        m_w.ruler->setBeats(beats.ms);
    if (m_w.waveform)
        m_w.waveform->setBeats(beats.ms);
    if (m_w.tempo)
        m_w.tempo->setText(beats.isEmpty() ? QString() : tr("%1 BPM").arg(qRound(beats.bpm)));
    emit beatsShown(beats);
}

} // namespace vc
