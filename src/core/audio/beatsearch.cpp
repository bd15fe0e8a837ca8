#include "core/audio/beatsearch.h"
#include "core/audio/beatsearch_p.h"
#include "core/audio/decodeworker.h"

#include <QDebug>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

namespace vc {

void BeatSearchWorker::start()
{
    m_decoder = new QAudioDecoder(this);
    m_decoder->setAudioFormat(DecodeWorker::outputFormat(BeatTracker::SampleRate));
    m_decoder->setSourceFilename(m_path);
    connect(m_decoder, &QAudioDecoder::bufferReady, this, &BeatSearchWorker::readBuffer);
    connect(m_decoder, &QAudioDecoder::finished, this, [this] { end(true); });
    connect(m_decoder, QOverload<QAudioDecoder::Error>::of(&QAudioDecoder::error), this,
            [this](QAudioDecoder::Error e) {
                qDebug() << "beat search decoder error" << e << m_decoder->errorString();
                end(false);
            });
    m_decoder->start();
}

void BeatSearchWorker::stop()
{
    m_ended = true;
    if (m_decoder) {
        m_decoder->disconnect(this);
        m_decoder->stop();
    }
}

void BeatSearchWorker::readBuffer()
{
    const QAudioBuffer buffer = m_decoder->read();
    if (!buffer.isValid() || m_ended)
        return;
    const QAudioFormat fmt = buffer.format();
    const int channels = qMax(1, fmt.channelCount());
    const int frames = buffer.frameCount();
    if (fmt.sampleType() == QAudioFormat::SignedInt && fmt.sampleSize() == 16 && channels == 1) {
        m_tracker.feed(buffer.constData<qint16>(), frames);
    } else if (fmt.sampleType() == QAudioFormat::Float && fmt.sampleSize() == 32) {
        // The back end may keep its own format; take the first channel.
        QVector<float> mono(frames);
        for (int i = 0; i < frames; ++i)
            mono[i] = buffer.constData<float>()[i * channels];
        m_tracker.feed(mono.constData(), frames);
    } else if (fmt.sampleType() == QAudioFormat::SignedInt && fmt.sampleSize() == 16) {
        QVector<qint16> mono(frames);
        for (int i = 0; i < frames; ++i)
            mono[i] = buffer.constData<qint16>()[i * channels];
        m_tracker.feed(mono.constData(), frames);
    }
}

void BeatSearchWorker::end(bool ok)
{
    if (m_ended)
        return;
    m_ended = true;
    m_decoder->disconnect(this);
    m_decoder->stop();
    emit finished(ok ? m_tracker.finish() : SongBeats(), ok);
}

BeatSearch::BeatSearch(QObject *parent) : QObject(parent), m_job(this)
{
    qRegisterMetaType<vc::SongBeats>();
}

BeatSearch::~BeatSearch() = default;

void BeatSearch::start(const QString &path)
{
    cancel();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const int gen = m_generation;
    if (!QFileInfo::exists(absolute)) {
        QTimer::singleShot(0, this, [this, gen] {
            if (gen == m_generation)
                emit found(m_beats);
        });
        return;
    }
    BeatSearchWorker *worker =
        m_job.prepare(new BeatSearchWorker(absolute), QStringLiteral("beat search"));
    connect(worker, &BeatSearchWorker::finished, this,
            [this, gen](const vc::SongBeats &beats, bool) {
                if (gen != m_generation || !m_job.isRunning())
                    return;
                m_job.stop();
                m_beats = beats;
                emit found(m_beats);
            });
    m_job.launch();
}

void BeatSearch::cancel()
{
    ++m_generation;
    m_job.stop();
    m_beats = SongBeats();
}

bool BeatSearch::search(const QString &path, SongBeats *beats)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo::exists(absolute))
        return false;
    BeatSearchWorker worker(absolute);
    QEventLoop loop;
    bool decoded = false;
    connect(&worker, &BeatSearchWorker::finished, &loop, [&](const vc::SongBeats &found, bool ok) {
        decoded = ok;
        if (beats)
            *beats = found;
        loop.quit();
    });
    QTimer::singleShot(0, &worker, &BeatSearchWorker::start);
    loop.exec();
    return decoded;
}

} // namespace vc
