#include "gui/audio/beatmarks.h"

#include "core/app/appsettings.h"
#include "gui/audio/chartview.h"
#include "gui/audio/songloader.h"
#include "gui/audio/timelineheaders.h"

#include <QAction>
#include <QLabel>

namespace vc {

BeatMarks::BeatMarks(const Widgets &widgets, SongLoader *song, QObject *parent)
    : QObject(parent), m_w(widgets), m_song(song)
{
    connect(m_song, &SongLoader::decoded, this, &BeatMarks::songDecoded);
    connect(m_song, &SongLoader::beatsFound, this,
            [this](const SongBeats &beats) { show(beats, m_song->sourceFile()); });
    // A cancelled load leaves the song there was, and its marks with it.
    connect(m_song, &SongLoader::cancelled, this, &BeatMarks::keepOnlyPresentSong);
    connect(m_song, &SongLoader::unloaded, this, [this] { show({}, {}); });

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

void BeatMarks::songDecoded(qint64 durationMs)
{
    if (durationMs <= 0) {
        // Not a song: the one there was stays, and so do its marks.
        keepOnlyPresentSong();
        return;
    }
    // A new song's waveform takes the old marks away; its own beats come
    // a little later, from the same pass (beatsFound).
    show({}, {});
}

void BeatMarks::keepOnlyPresentSong()
{
    if (!m_song->songPresent() || m_song->sourceFile() != m_shownSource)
        show({}, {});
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
