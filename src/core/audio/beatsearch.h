#pragma once

#include "core/app/backgroundjob.h"
#include "core/audio/beattracker.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QThread;

namespace vc {

class BeatSearchWorker;

// Finds a song's beats in the background: decodes it a second time, at the
// rate the beat tracker is made for, on a thread of its own, so the
// waveform's own decoding stays as it is. Each search replaces the one
// before; what an earlier search still sends is dropped.
class BeatSearch : public QObject
{
    Q_OBJECT
public:
    explicit BeatSearch(QObject *parent = nullptr);
    ~BeatSearch() override;

    // Starts searching the file; returns at once. Forgets earlier beats.
    void start(const QString &path);
    // Stops a running search and forgets the beats.
    void cancel();
    bool isSearching() const { return m_job.isRunning(); }
    const SongBeats &beats() const { return m_beats; }

    // Searches the file and waits for the result (for command-line use).
    // Returns false when the file could not be decoded.
    static bool search(const QString &path, SongBeats *beats);

signals:
    // The search ended; no beats when the song has none or could not be
    // decoded.
    void found(const vc::SongBeats &beats);

private:
    BackgroundJob m_job;
    SongBeats m_beats;
    int m_generation = 0;
};

} // namespace vc

Q_DECLARE_METATYPE(vc::SongBeats)
