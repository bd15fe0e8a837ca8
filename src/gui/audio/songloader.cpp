#include "gui/audio/songloader.h"

#include "core/audio/songdecoder.h"
#include "core/timeline/timeaxis.h"
#include "core/timeline/timescale.h"
#include "gui/audio/chartview.h"

#include <QDebug>
#include <QFileInfo>
#include <QLayout>
#include <QThread>
#include <QTimer>
#include <QtCharts/QChart>

#include <memory>

namespace ts = vc::timescale;
using namespace QtCharts;

namespace vc {

SongLoader::SongLoader(ChartView *view, QWidget *dialogParent, QObject *parent)
    : QObject(parent), m_view(view), m_dialogParent(dialogParent), m_job(this)
{
    qRegisterMetaType<QVector<QPointF>>();
    // The beats travel in queued signals and are watched by name.
    qRegisterMetaType<vc::SongBeats>();
}

SongLoader::~SongLoader()
{
    retireDecoder(true);
    if (m_series && !m_series->chart())
        delete m_series;
}

void SongLoader::closeDialog()
{
    if (m_dialog) {
        m_dialog->disconnect(this);
        m_dialog->close();
        m_dialog->deleteLater();
        m_dialog = nullptr;
    }
}

void SongLoader::retireDecoder(bool wait)
{
    closeDialog();
    m_job.stop();
    // Going away: every thread must end before its QThread object does.
    if (wait)
        m_job.waitForAll();
}

void SongLoader::load(const QString &path)
{
    retireDecoder();
    ++m_generation;
    m_missing.clear();

    // The GStreamer back end cannot open relative paths. The song there is
    // stays until this one has decoded: a file that is no song replaces
    // nothing.
    m_requested = QFileInfo(path).absoluteFilePath();
    emit loading(m_requested);

    if (!QFileInfo::exists(m_requested)) {
        // Nothing to decode: fail as an undecodable file would, without
        // waking the back end (which only complains about the path).
        const int gen = m_generation;
        QTimer::singleShot(0, this, [this, gen] {
            if (gen == m_generation)
                audioPlotting({}, 0, 0, false);
        });
        return;
    }
    SongDecoder *worker =
        m_job.prepare(new SongDecoder(m_requested), QStringLiteral("song decoder"));
    // Reports still queued when the next load starts carry an old
    // generation and are dropped.
    const int gen = m_generation;
    // The waveform is shown as soon as it is complete; the decoder goes on
    // for the beats. Without a waveform (no song), `finished` decides.
    auto shown = std::make_shared<bool>(false);
    connect(worker, &SongDecoder::waveformReady, this,
            [this, gen, shown](const QVector<QPointF> &points, double peak, qint64 d) {
                if (gen != m_generation || !m_job.isRunning() || points.size() < 2)
                    return;
                *shown = true;
                audioPlotting(points, peak, d, true);
            });
    connect(worker, &SongDecoder::finished, this,
            [this, gen, shown](const QVector<QPointF> &points, double peak, qint64 d, bool ok,
                               const SongBeats &beats, const QString &missing) {
                if (gen != m_generation || !m_job.isRunning())
                    return;
                retireDecoder();
                if (!*shown) {
                    m_missing = missing;
                    audioPlotting(points, peak, d, ok);
                    *shown = ok && points.size() >= 2;
                }
                if (ok && *shown) {
                    m_beats = beats;
                    emit beatsFound(m_beats);
                }
            });
    connect(worker, &SongDecoder::positionChanged, this, [this, gen](qint64 ms) {
        if (gen == m_generation && m_job.isRunning())
            decoder_PositionChanged(ms);
    });
    connect(worker, &SongDecoder::durationChanged, this, [this, gen](qint64 ms) {
        if (gen == m_generation && m_job.isRunning())
            durationChanged(ms);
    });

    m_dialog = new QProgressDialog(tr("讀取音樂中..."), tr("取消"), 0, 32767, m_dialogParent);
    m_dialog->setObjectName(QStringLiteral("song_progress"));
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_dialog, &QProgressDialog::canceled, this, &SongLoader::cancel_decoder);
    m_dialog->show();

    m_job.launch();
}

void SongLoader::decoder_PositionChanged(qint64 msecs)
{
    if (!m_dialog)
        return;
    // Reaching the maximum would close the dialog before the end: the
    // duration is only an estimate while a compressed file decodes.
    m_dialog->setValue(qBound(0, ts::msToSamples(msecs), m_dialog->maximum() - 1));
}

void SongLoader::durationChanged(qint64 msecs)
{
    if (msecs <= 0)
        return;
    if (m_dialog)
        m_dialog->setMaximum(qMax(1, ts::msToSamples(msecs)));
}

void SongLoader::audioPlotting(const QVector<QPointF> &points, double peak, qint64 durationMs,
                               bool ok)
{
    // The decoder may still be looking for the beats; only the dialog goes.
    closeDialog();
    if (!ok || points.size() < 2) {
        // Not a song: the one there was (if any) stays, waveform and all.
        qDebug() << "song not decoded" << m_requested;
        emit decoded(0);
        return;
    }
    m_source = m_requested;
    m_points = points;
    m_peak = peak;
    m_beats = SongBeats(); // until beatsFound()

    if (m_series && !m_series->chart())
        delete m_series;
    m_series = new QLineSeries;
    QPen pen(QColor(100, 100, 255, 255));
    pen.setWidth(1);
    m_series->setPen(pen);
    if (m_view) {
        m_view->show();
        m_view->setupChart(m_series, m_peak);
        m_view->points() = m_points;
        m_view->setRenderHint(QPainter::Antialiasing, true);
        resizeView();
        QWidget *frame = m_view->parentWidget();
        if (frame && frame->layout()) {
            if (auto *box = qobject_cast<QBoxLayout *>(frame->layout())) {
                box->removeWidget(m_view);
                box->insertWidget(0, m_view);
            }
        }
    }
    qDebug() << "song duration" << durationMs << "buffer length" << m_points.size();
    emit decoded(durationMs);
}

void SongLoader::resizeView()
{
    if (!m_view || m_view->points().isEmpty())
        return;
    const QWidget *frame = m_view->parentWidget();
    m_view->setFixedSize(
        m_view->widthForScale(m_axis ? m_axis->msPerPixel() : TimeAxis::DefaultMsPerPixel),
        frame ? frame->height() : m_view->height());
}

void SongLoader::cancel_decoder()
{
    // A cancelled load leaves the song there was, if any.
    retireDecoder();
    emit cancelled();
    if (!songPresent())
        unload();
}

void SongLoader::unload()
{
    retireDecoder();
    ++m_generation;
    m_points.clear();
    m_peak = 0;
    m_beats = SongBeats();
    m_source.clear();
    if (m_view)
        m_view->hide();
    emit unloaded();
}

} // namespace vc
