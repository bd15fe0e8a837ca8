#include "core/audio/decodeworker.h"

#include "core/timeline/timescale.h"

#include <QDebug>

namespace vc {

DecodeWorker::DecodeWorker(const QString &absolutePath) : m_path(absolutePath) {}

DecodeWorker::~DecodeWorker()
{
    if (m_decoder) {
        m_decoder->disconnect(this);
        m_decoder->stop();
        delete m_decoder;
    }
}

QAudioFormat DecodeWorker::outputFormat(int sampleRate)
{
    QAudioFormat f;
    f.setChannelCount(1);
    f.setCodec(QStringLiteral("audio/pcm"));
    f.setSampleType(QAudioFormat::SignedInt);
    f.setSampleRate(sampleRate);
    f.setSampleSize(16);
    return f;
}

void DecodeWorker::start()
{
    m_decoder = new QAudioDecoder(this);
    m_decoder->setAudioFormat(outputFormat());
    m_decoder->setSourceFilename(m_path);
    connect(m_decoder, &QAudioDecoder::bufferReady, this, &DecodeWorker::readAudioBuffer);
    connect(m_decoder, &QAudioDecoder::finished, this, [this] { end(true); });
    connect(m_decoder, QOverload<QAudioDecoder::Error>::of(&QAudioDecoder::error), this,
            [this](QAudioDecoder::Error e) {
                qDebug() << "decoder error" << e << m_decoder->errorString();
                // An unreadable file ends with an error instead of finished().
                end(false);
            });
    connect(m_decoder, &QAudioDecoder::durationChanged, this, [this](qint64 d) {
        // The back end reports -1 once it has been reset after the end.
        if (d > 0 && !m_ended) {
            m_duration = d;
            emit durationChanged(d);
        }
    });
    m_sinceReport.start();
    m_decoder->start();
}

void DecodeWorker::stop()
{
    m_ended = true;
    if (m_decoder) {
        m_decoder->disconnect(this);
        m_decoder->stop();
    }
}

void DecodeWorker::readAudioBuffer()
{
    const QAudioBuffer buffer = m_decoder->read();
    if (!buffer.isValid() || m_ended)
        return;
    const QAudioFormat fmt = buffer.format();
    const int channels = qMax(1, fmt.channelCount());
    const int frames = buffer.frameCount();
    if (m_points.isEmpty()) {
        qDebug() << "Init Plot" << m_decoder->position();
        m_points.reserve(m_duration > 0 ? timescale::msToSamples(m_duration) + 1024 : 1 << 16);
        m_points.append(QPointF(0, 1 / 32767.0));
    }
    // The index of the buffer's first sample in the 480-Hz stream, from its
    // time stamp; counted samples when the back end gives none.
    qint64 first = m_samplesSeen;
    if (buffer.startTime() >= 0)
        first = (buffer.startTime() * 48 + 50000) / 100000;
    const bool int16 = fmt.sampleType() == QAudioFormat::SignedInt && fmt.sampleSize() == 16;
    const bool float32 = fmt.sampleType() == QAudioFormat::Float && fmt.sampleSize() == 32;
    for (int i = 0; i < frames; ++i) {
        qint16 sample = 0;
        if (int16)
            sample = buffer.constData<qint16>()[i * channels];
        else if (float32)
            sample = static_cast<qint16>(
                qBound(-1.0f, buffer.constData<float>()[i * channels], 1.0f) * 32767.0f);
        const double y = timescale::waveformY(sample);
        if (qAbs(y) > m_peak)
            m_peak = qAbs(y);
        m_points.append(QPointF(static_cast<double>(first + i), y));
    }
    m_samplesSeen = first + frames;
    m_position = (buffer.startTime() + buffer.duration()) / 1000;
    // Progress a few times a second is plenty for the dialog.
    if (m_sinceReport.elapsed() >= 50) {
        m_sinceReport.restart();
        emit positionChanged(m_position);
    }
}

void DecodeWorker::end(bool ok)
{
    if (m_ended)
        return;
    m_ended = true;
    qint64 d = ok ? m_decoder->duration() : 0;
    if (ok && d <= 0)
        d = m_duration;
    if (ok && d <= 0 && m_points.size() >= 2)
        d = static_cast<qint64>(m_points.last().x() / 0.48);
    m_decoder->disconnect(this);
    m_decoder->stop();
    emit finished(m_points, m_peak, d, ok);
    m_points = QVector<QPointF>();
}

} // namespace vc
