#pragma once

#include <QAudioDecoder>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QProgressDialog>
#include <QVector>
#include <QtCharts/QLineSeries>

class ChartView;
class QWidget;

QT_CHARTS_BEGIN_NAMESPACE
class QLineSeries;
QT_CHARTS_END_NAMESPACE

namespace vc {

// Decodes a song once, in the background, into a 480-samples-per-second
// mono stream and turns it into the waveform drawn under the tracks.
// Every load gets its own decoder; a decoder of an earlier load is stopped
// and cut off, so nothing of it reaches the new song's waveform, progress
// dialog or time range.
class SongLoader : public QObject
{
    Q_OBJECT
public:
    // The view lives in `frame`; the progress dialog is a child of `dialogParent`.
    SongLoader(ChartView *view, QWidget *dialogParent, QObject *parent = nullptr);
    ~SongLoader() override;

    // Starts decoding the file; returns at once.
    void load(const QString &path);
    // Stops decoding and forgets what was gathered: no waveform, no song.
    void cancel();

    // A song is present when its waveform has at least two points.
    bool songPresent() const { return m_points.size() >= 2; }
    bool isDecoding() const { return m_decoder && m_decoding; }
    const QVector<QPointF> &points() const { return m_points; }
    double peak() const { return m_peak; }
    QAudioDecoder *decoder() const { return m_decoder; }
    QtCharts::QLineSeries *series() const { return m_series; }
    QProgressDialog *progressDialog() const { return m_dialog; }
    ChartView *view() const { return m_view; }
    // Resizes the waveform view to the present timeline scale.
    void resizeView();

    static QAudioFormat outputFormat();

signals:
    // Decoding ended; durationMs is 0 when the file could not be decoded.
    void decoded(qint64 durationMs);

public slots:
    void readAudioBuffer();
    void audioPlotting();
    void decoder_PositionChanged(qint64 msecs);
    void durationChanged(qint64 msecs);
    void cancel_decoder();

private:
    void decoderError(QAudioDecoder::Error error);
    void retireDecoder();
    bool fromCurrent() const;
    void finish(qint64 durationMs);

    ChartView *m_view = nullptr;
    QWidget *m_dialogParent = nullptr;
    QPointer<QAudioDecoder> m_decoder;
    QPointer<QProgressDialog> m_dialog;
    QPointer<QtCharts::QLineSeries> m_series; // owned by the view's chart once plotted
    QVector<QPointF> m_points;
    double m_peak = 0;
    qint64 m_samplesSeen = 0;
    qint64 m_lastDuration = 0;
    bool m_decoding = false;
};

} // namespace vc
