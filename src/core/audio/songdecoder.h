#pragma once

#include "core/audio/beattracker.h"

#include <QObject>
#include <QPointF>
#include <QString>
#include <QVector>

#include <memory>

typedef struct _GstElement GstElement;

class QTimer;

namespace vc {

// Decodes one song in a single pass, on the thread it lives on: into the
// 480-samples-per-second mono waveform drawn under the tracks and, side by
// side, into the mono samples the beat tracker takes. The waveform is made
// on the decoder's own thread; the beat tracker works on a thread of its
// own that gives way to the decoder until the waveform is complete
// (waveformReady), and the beats follow with `finished`. Runs as a
// BackgroundJob worker or on its own (searchBeats()).
class SongDecoder : public QObject
{
    Q_OBJECT
public:
    enum Output
    {
        Waveform = 1,
        Beats = 2,
        Both = Waveform | Beats
    };
    // The rate the beat tracker gets: half the work of 44.1 kHz, with the
    // tracker's windows spanning the same time.
    static constexpr int BeatRate = BeatTracker::SampleRate / 2;

    explicit SongDecoder(const QString &absolutePath, Output output = Both);
    ~SongDecoder() override;

    // Finds the beats of a song and waits for them (for command-line use).
    // Returns false when the file could not be decoded.
    static bool searchBeats(const QString &path, SongBeats *beats);

public slots:
    void start();
    void stop();

signals:
    // The waveform is complete (emitted before `finished`, and only when no
    // error came before it); the beats are still being looked for.
    void waveformReady(const QVector<QPointF> &points, double peak, qint64 durationMs);
    void positionChanged(qint64 msecs);
    void durationChanged(qint64 msecs);
    // Decoding ended; ok is false when the file could not be decoded, and
    // then `missing` names the decoder to install when one is missing.
    void finished(const QVector<QPointF> &points, double peak, qint64 durationMs, bool ok,
                  const vc::SongBeats &beats, const QString &missing);

private:
    class BeatFeed;
    void poll();
    void end(bool ok);
    void takeWaveform(const qint16 *samples, int count, qint64 ptsNs);
    qint64 reportedDuration() const;
    qint64 songDuration(qint64 reported) const;

    QString m_path;
    Output m_output;
    GstElement *m_pipeline = nullptr;
    QTimer *m_poll = nullptr;
    QVector<QPointF> m_points;
    double m_peak = 0;
    qint64 m_samplesSeen = 0;
    qint64 m_duration = 0;
    BeatTracker m_tracker{BeatRate};
    std::unique_ptr<BeatFeed> m_beats;
    QString m_missing;
    bool m_decoded = false; // the whole song went through the decoder
    bool m_ended = false;
};

} // namespace vc

Q_DECLARE_METATYPE(vc::SongBeats)
