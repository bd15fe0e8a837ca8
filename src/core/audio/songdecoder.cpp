#include "core/audio/songdecoder.h"

#include "core/audio/gstreamer.h"
#include "core/timeline/timescale.h"

#include <QDebug>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

namespace vc {

namespace {

// Both outputs share the decoder and the channel mix; each resamples on
// its own branch, behind a queue, so each has a streaming thread of its
// own: the waveform's branch keeps up with the decoder and ends with it,
// while the beat tracker works through its samples alongside. The beat
// branch's queue has no limit so that the tracker never holds the decoder
// back (a full queue would stop the tee); it keeps a few MB per minute of
// song at most.
QByteArray pipeline(SongDecoder::Output output)
{
    const QByteArray source = "uridecodebin name=src ! audioconvert ! ";
    const QByteArray wave = "audioresample ! audio/x-raw,format=S16LE,rate=480,channels=1 ! "
                            "appsink name=wave sync=false";
    const QByteArray beats = "audioresample ! audio/x-raw,format=S16LE,rate=" +
                             QByteArray::number(SongDecoder::BeatRate) +
                             ",channels=1 ! appsink name=beats sync=false";
    switch (output) {
    case SongDecoder::Waveform:
        return source + wave;
    case SongDecoder::Beats:
        return source + beats;
    case SongDecoder::Both:
        break;
    }
    return source +
           "tee name=t t. ! queue max-size-time=0 max-size-bytes=0 max-size-buffers=200 ! " + wave +
           " t. ! queue max-size-time=0 max-size-bytes=0 max-size-buffers=0 ! " + beats;
}

template <typename F> GstFlowReturn eachSample(GstAppSink *sink, F take)
{
    GstSample *sample = gst_app_sink_pull_sample(sink);
    if (!sample)
        return GST_FLOW_EOS;
    GstBuffer *buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        take(reinterpret_cast<const qint16 *>(map.data), int(map.size / sizeof(qint16)),
             GST_BUFFER_PTS_IS_VALID(buffer) ? qint64(GST_BUFFER_PTS(buffer)) : qint64(-1));
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

} // namespace

SongDecoder::SongDecoder(const QString &absolutePath, Output output)
    : m_path(absolutePath), m_output(output)
{
    qRegisterMetaType<vc::SongBeats>();
}

SongDecoder::~SongDecoder()
{
    if (m_pipeline) {
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        gst_object_unref(m_pipeline);
    }
}

void SongDecoder::start()
{
    if (!gst::init())
        return end(false);
    QString why;
    m_pipeline = gst::parse(pipeline(m_output).constData(), &why);
    if (!m_pipeline) {
        qDebug() << "song decoder:" << why;
        return end(false);
    }
    GstElement *src = gst_bin_get_by_name(GST_BIN(m_pipeline), "src");
    g_object_set(src, "uri", QUrl::fromLocalFile(m_path).toEncoded().constData(), nullptr);
    gst_object_unref(src);

    if (GstElement *wave = gst_bin_get_by_name(GST_BIN(m_pipeline), "wave")) {
        GstAppSinkCallbacks callbacks = {};
        callbacks.new_sample = [](GstAppSink *sink, gpointer self) {
            return eachSample(sink, [self](const qint16 *s, int n, qint64 pts) {
                static_cast<SongDecoder *>(self)->takeWaveform(s, n, pts);
            });
        };
        callbacks.eos = [](GstAppSink *, gpointer self) {
            static_cast<SongDecoder *>(self)->m_waveEnded.store(true, std::memory_order_release);
        };
        gst_app_sink_set_callbacks(GST_APP_SINK(wave), &callbacks, this, nullptr);
        gst_object_unref(wave);
    }
    if (GstElement *beats = gst_bin_get_by_name(GST_BIN(m_pipeline), "beats")) {
        GstAppSinkCallbacks callbacks = {};
        callbacks.new_sample = [](GstAppSink *sink, gpointer self) {
            return eachSample(sink, [self](const qint16 *s, int n, qint64) {
                static_cast<SongDecoder *>(self)->m_tracker.feed(s, n);
            });
        };
        gst_app_sink_set_callbacks(GST_APP_SINK(beats), &callbacks, this, nullptr);
        gst_object_unref(beats);
    }
    m_poll = new QTimer(this);
    m_poll->setInterval(20);
    connect(m_poll, &QTimer::timeout, this, &SongDecoder::poll);
    m_poll->start();
    if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        poll(); // the error is on the bus
}

void SongDecoder::takeWaveform(const qint16 *samples, int count, qint64 ptsNs)
{
    if (m_points.isEmpty()) {
        m_points.reserve(1 << 16);
        m_points.append(QPointF(0, 1 / 32767.0));
    }
    // The index of the buffer's first sample in the 480-Hz stream, from its
    // time stamp (in whole microseconds); counted samples without one.
    qint64 first = m_samplesSeen;
    if (ptsNs >= 0)
        first = (ptsNs / 1000 * 48 + 50000) / 100000;
    for (int i = 0; i < count; ++i) {
        const double y = timescale::waveformY(samples[i]);
        if (qAbs(y) > m_peak)
            m_peak = qAbs(y);
        m_points.append(QPointF(static_cast<double>(first + i), y));
    }
    m_samplesSeen = first + count;
}

void SongDecoder::poll()
{
    if (m_ended || !m_pipeline)
        return;
    // Read before the bus: an error that stops the decoder is posted before
    // the end of the stream reaches the waveform, and then wins.
    const bool waveEnded = m_waveEnded.load(std::memory_order_acquire);
    GstBus *bus = gst_element_get_bus(m_pipeline);
    while (GstMessage *msg = gst_bus_pop(bus)) {
        bool done = false, ok = false;
        switch (GST_MESSAGE_TYPE(msg)) {
        case GST_MESSAGE_EOS:
            done = ok = true;
            break;
        case GST_MESSAGE_ERROR: {
            GError *error = nullptr;
            gst_message_parse_error(msg, &error, nullptr);
            qDebug() << "song decoder error:" << (error ? error->message : "");
            if (error)
                g_error_free(error);
            done = true;
            break;
        }
        case GST_MESSAGE_ELEMENT:
            if (m_missing.isEmpty())
                m_missing = gst::missingPluginText(msg);
            break;
        default:
            break;
        }
        gst_message_unref(msg);
        if (done) {
            gst_object_unref(bus);
            return end(ok);
        }
    }
    gst_object_unref(bus);
    if (waveEnded && !m_waveSent && m_output == Both) {
        m_waveSent = true;
        emit waveformReady(m_points, m_peak, songDuration(reportedDuration()));
    }
    gint64 d = 0, p = 0;
    if (gst_element_query_duration(m_pipeline, GST_FORMAT_TIME, &d) && d > 0 &&
        d / 1000000 != m_duration) {
        m_duration = d / 1000000;
        emit durationChanged(m_duration);
    }
    if (gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &p) && p >= 0)
        emit positionChanged(p / 1000000);
}

void SongDecoder::stop()
{
    m_ended = true;
    if (m_poll)
        m_poll->stop();
    if (m_pipeline)
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
}

void SongDecoder::end(bool ok)
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_poll)
        m_poll->stop();
    const qint64 reported = ok ? reportedDuration() : 0;
    // Joins the streaming threads: the outputs are complete after it.
    if (m_pipeline)
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
    const qint64 d = ok ? songDuration(reported) : 0;
    const SongBeats beats = ok && (m_output & Beats) ? m_tracker.finish() : SongBeats();
    emit finished(m_points, m_peak, d, ok, beats, ok ? QString() : m_missing);
    m_points = QVector<QPointF>();
}

qint64 SongDecoder::reportedDuration() const
{
    gint64 ns = 0;
    if (m_pipeline && gst_element_query_duration(m_pipeline, GST_FORMAT_TIME, &ns) && ns > 0)
        return ns / 1000000;
    return m_duration;
}

qint64 SongDecoder::songDuration(qint64 reported) const
{
    qint64 d = reported;
    // A song is never shorter than what was decoded of it (read the points
    // only once their branch has ended).
    if (m_points.size() >= 2)
        d = qMax(d, static_cast<qint64>(m_points.last().x() / 0.48));
    return d;
}

bool SongDecoder::searchBeats(const QString &path, SongBeats *beats)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo::exists(absolute))
        return false;
    SongDecoder decoder(absolute, Beats);
    QEventLoop loop;
    bool decoded = false;
    connect(&decoder, &SongDecoder::finished, &loop,
            [&](const QVector<QPointF> &, double, qint64, bool ok, const vc::SongBeats &found) {
                decoded = ok;
                if (beats)
                    *beats = found;
                loop.quit();
            });
    QTimer::singleShot(0, &decoder, &SongDecoder::start);
    loop.exec();
    return decoded;
}

} // namespace vc

#include "moc_songdecoder.cpp"
