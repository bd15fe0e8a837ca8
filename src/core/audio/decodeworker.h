#pragma once

#include <QAudioDecoder>
#include <QElapsedTimer>
#include <QObject>
#include <QPointF>
#include <QVector>

namespace vc {

// Decodes one song into waveform points on its own thread, so that a busy
// window (the preview repaints continuously) does not slow decoding down:
// the back end hands over a buffer of a dozen samples at a time, and each
// would otherwise wait for a pass of the window's event loop.
class DecodeWorker : public QObject
{
    Q_OBJECT
public:
    explicit DecodeWorker(const QString &absolutePath);
    ~DecodeWorker() override;

    // Mono 16-bit PCM at the given rate: what the decoders ask the back end
    // for (the waveform at 480 Hz, the beat search at the tracker's rate).
    static QAudioFormat outputFormat(int sampleRate = 480);

public slots:
    // Runs on the worker's thread.
    void start();
    void stop();

signals:
    void positionChanged(qint64 msecs);
    void durationChanged(qint64 msecs);
    // Decoding ended; ok is false when the file could not be decoded.
    void finished(const QVector<QPointF> &points, double peak, qint64 durationMs, bool ok);

private:
    void readAudioBuffer();
    void end(bool ok);

    QString m_path;
    QAudioDecoder *m_decoder = nullptr;
    QVector<QPointF> m_points;
    double m_peak = 0;
    qint64 m_samplesSeen = 0;
    qint64 m_duration = 0;
    qint64 m_position = 0;
    QElapsedTimer m_sinceReport;
    bool m_ended = false;
};

} // namespace vc
