#pragma once

#include "core/app/backgroundjob.h"
#include "core/audio/beattracker.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QVector>
#include <QtCharts/QLineSeries>

class ChartView;
class QThread;
class QWidget;

namespace vc {

class TimeAxis;

// Decodes a song once, in the background, into a 480-samples-per-second
// mono stream and turns it into the waveform drawn under the tracks; the
// song's beats come from the same pass, a little after the waveform.
// Every load gets its own decoder on its own thread; a decoder of an
// earlier load is stopped and cut off, so nothing of it reaches the new
// song's waveform, progress dialog or time range.
class SongLoader : public QObject
{
    Q_OBJECT
public:
    // The view lives in `frame`; the progress dialog is a child of `dialogParent`.
    SongLoader(ChartView *view, QWidget *dialogParent, QObject *parent = nullptr);
    ~SongLoader() override;

    // Starts decoding the file; returns at once. The song loaded before
    // stays until this one has decoded, and stays when it cannot be.
    void load(const QString &path);
    // Drops the song: no waveform, no source file.
    void unload();

    // A song is present when its waveform has at least two points.
    bool songPresent() const { return m_points.size() >= 2; }
    bool isDecoding() const { return m_job.isRunning(); }
    // Counts loads; tells one decoding run from the next.
    int generation() const { return m_generation; }
    const QVector<QPointF> &points() const { return m_points; }
    double peak() const { return m_peak; }
    // The beats of the song decoded last, found in the same pass; empty
    // until beatsFound().
    const SongBeats &beats() const { return m_beats; }
    // Why the last load failed when a decoder is missing (names the package).
    QString missingDecoder() const { return m_missing; }
    // The song decoded last (absolute path); empty without one.
    QString sourceFile() const { return m_source; }
    // The file the last load asked for (absolute path).
    QString requestedFile() const { return m_requested; }
    QtCharts::QLineSeries *series() const { return m_series; }
    QProgressDialog *progressDialog() const { return m_dialog; }
    ChartView *view() const { return m_view; }
    // Resizes the waveform view to the present timeline scale.
    void resizeView();

signals:
    // Decoding ended; durationMs is 0 when the file could not be decoded
    // (the song before it, if any, is still there).
    void decoded(qint64 durationMs);
    // The beats of the song decoded last were found (after its decoded()).
    void beatsFound(const vc::SongBeats &beats);
    // A load began (the file's absolute path), or was cancelled (the song
    // there was, if any, stays); the song went (no song is present).
    void loading(const QString &absolutePath);
    void cancelled();
    void unloaded();

public slots:
    void audioPlotting(const QVector<QPointF> &points, double peak, qint64 durationMs, bool ok);
    void decoder_PositionChanged(qint64 msecs);
    void durationChanged(qint64 msecs);
    void cancel_decoder();

    // The zoom the waveform is sized at; without one, the default scale.
    void setTimeAxis(const TimeAxis *axis) { m_axis = axis; }

private:
    void retireDecoder(bool wait = false);
    void closeDialog();

    ChartView *m_view = nullptr;
    const TimeAxis *m_axis = nullptr;
    QWidget *m_dialogParent = nullptr;
    BackgroundJob m_job; // the decoder
    QPointer<QProgressDialog> m_dialog;
    QPointer<QtCharts::QLineSeries> m_series; // owned by the view's chart once plotted
    QVector<QPointF> m_points;
    double m_peak = 0;
    SongBeats m_beats;
    QString m_missing;
    QString m_source;
    QString m_requested;
    int m_generation = 0;
};

} // namespace vc
