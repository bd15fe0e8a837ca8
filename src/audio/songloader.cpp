#include "audio/songloader.h"

#include "app/prompter.h"
#include "audio/chartview.h"
#include "model/showglobals.h"
#include "timeline/timescale.h"

#include <QDebug>
#include <QFileInfo>
#include <QLayout>
#include <QProgressDialog>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>

namespace ts = vc::timescale;
using namespace QtCharts;

namespace vc {

SongLoader::SongLoader(ChartView *view, QWidget *dialogParent, QObject *parent)
    : QObject(parent), m_view(view), m_dialogParent(dialogParent)
{
}

SongLoader::~SongLoader()
{
    retireDecoder();
    if (m_series && !m_series->chart())
        delete m_series;
}

QAudioFormat SongLoader::outputFormat()
{
    QAudioFormat f;
    f.setChannelCount(1);
    f.setCodec(QStringLiteral("audio/pcm"));
    f.setSampleType(QAudioFormat::SignedInt);
    f.setSampleRate(480);
    f.setSampleSize(16);
    return f;
}

void SongLoader::retireDecoder()
{
    if (m_dialog) {
        m_dialog->disconnect(this);
        m_dialog->close();
        m_dialog->deleteLater();
        m_dialog = nullptr;
    }
    if (!m_decoder)
        return;
    // Cut it off before stopping: a stop may still deliver queued signals.
    m_decoder->disconnect(this);
    m_decoder->stop();
    m_decoder->deleteLater();
    m_decoder = nullptr;
    m_decoding = false;
}

bool SongLoader::fromCurrent() const
{
    const QObject *s = sender();
    return !s || s == m_decoder;
}

void SongLoader::load(const QString &path)
{
    retireDecoder();

    // The GStreamer back end cannot open relative paths.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_decoder = new QAudioDecoder(this);
    m_decoder->setAudioFormat(outputFormat());
    m_decoder->setSourceFilename(absolute);

    if (m_series && !m_series->chart())
        delete m_series;
    m_series = new QLineSeries;
    QPen pen(QColor(100, 100, 255, 255));
    pen.setWidth(1);
    m_series->setPen(pen);
    m_points.clear();
    m_peak = 0;
    m_samplesSeen = 0;
    m_lastDuration = 0;

    connect(m_decoder, &QAudioDecoder::bufferReady, this, &SongLoader::readAudioBuffer);
    connect(m_decoder, &QAudioDecoder::finished, this, &SongLoader::audioPlotting);
    connect(m_decoder, &QAudioDecoder::positionChanged, this, &SongLoader::decoder_PositionChanged);
    connect(m_decoder, &QAudioDecoder::durationChanged, this, &SongLoader::durationChanged);
    connect(m_decoder, QOverload<QAudioDecoder::Error>::of(&QAudioDecoder::error), this,
            &SongLoader::decoderError);

    m_dialog = new QProgressDialog(tr("讀取音樂中..."), tr("取消"), 0, 32767, m_dialogParent);
    m_dialog->setObjectName(QStringLiteral("song_progress"));
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_dialog, &QProgressDialog::canceled, this, &SongLoader::cancel_decoder);
    m_dialog->show();

    m_decoding = true;
    m_decoder->start();
}

void SongLoader::readAudioBuffer()
{
    if (!fromCurrent() || !m_decoder)
        return;
    const QAudioBuffer buffer = m_decoder->read();
    if (!buffer.isValid())
        return;
    const QAudioFormat fmt = buffer.format();
    const int channels = qMax(1, fmt.channelCount());
    const int frames = buffer.frameCount();
    if (m_points.isEmpty()) {
        qDebug() << "Init Plot" << m_decoder->position();
        m_points.append(QPointF(0, 1 / 32767.0));
    }
    // Where this buffer starts in the 480-Hz stream; counted samples when
    // the back end gives no time stamp.
    qint64 first = m_samplesSeen;
    if (buffer.startTime() >= 0)
        first = (buffer.startTime() * 48 + 50000) / 100000;
    m_points.reserve(m_points.size() + frames);
    for (int i = 0; i < frames; ++i) {
        qint16 sample = 0;
        if (fmt.sampleType() == QAudioFormat::SignedInt && fmt.sampleSize() == 16)
            sample = buffer.constData<qint16>()[i * channels];
        else if (fmt.sampleType() == QAudioFormat::Float && fmt.sampleSize() == 32)
            sample = static_cast<qint16>(
                qBound(-1.0f, buffer.constData<float>()[i * channels], 1.0f) * 32767.0f);
        const double y = ts::waveformY(sample);
        if (qAbs(y) > m_peak)
            m_peak = qAbs(y);
        m_points.append(QPointF(static_cast<double>(first + i), y));
    }
    m_samplesSeen = first + frames;
}

void SongLoader::decoder_PositionChanged(qint64 msecs)
{
    if (!fromCurrent() || !m_dialog)
        return;
    // Reaching the maximum would close the dialog before the end: the
    // duration is only an estimate while a compressed file decodes.
    m_dialog->setValue(qBound(0, ts::msToSamples(msecs), m_dialog->maximum() - 1));
}

void SongLoader::durationChanged(qint64 msecs)
{
    if (!fromCurrent())
        return;
    // The back end reports -1 once it has been reset after the end.
    if (msecs <= 0)
        return;
    m_lastDuration = msecs;
    if (m_dialog)
        m_dialog->setMaximum(qMax(1, ts::msToSamples(msecs)));
}

void SongLoader::decoderError(QAudioDecoder::Error error)
{
    if (!fromCurrent() || !m_decoder)
        return;
    qDebug() << "decoder error" << error << m_decoder->errorString();
    // The back end ends an unreadable file with an error instead of
    // finished(): treat it as an end with nothing decoded.
    finish(0);
}

void SongLoader::audioPlotting()
{
    if (!fromCurrent() || !m_decoder)
        return;
    qint64 d = m_decoder->duration();
    if (d <= 0)
        d = m_lastDuration;
    if (d <= 0 && m_points.size() >= 2)
        d = static_cast<qint64>(m_points.last().x() / 0.48);
    finish(d);
}

void SongLoader::finish(qint64 durationMs)
{
    m_decoding = false;
    if (m_decoder) {
        m_decoder->disconnect(this);
        m_decoder->stop();
    }

    if (m_view && m_points.isEmpty())
        m_view->hide();
    if (m_view && !m_points.isEmpty()) {
        m_view->show();
        m_series->replace(m_points);
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
    if (m_dialog) {
        m_dialog->disconnect(this);
        m_dialog->setValue(m_dialog->maximum());
        m_dialog->close();
    }
    qDebug() << "song duration" << durationMs << "buffer length" << m_points.size();
    emit decoded(durationMs);
}

void SongLoader::resizeView()
{
    if (!m_view || m_view->points().isEmpty())
        return;
    const QWidget *frame = m_view->parentWidget();
    m_view->setFixedSize(m_view->widthForScale(globals().msPerPixel),
                         frame ? frame->height() : m_view->height());
}

void SongLoader::cancel_decoder()
{
    if (!m_decoder)
        return;
    m_decoder->disconnect(this);
    m_decoder->stop();
    m_decoding = false;
    m_points.clear();
    if (m_view)
        m_view->hide();
}

void SongLoader::cancel()
{
    cancel_decoder();
}

} // namespace vc
