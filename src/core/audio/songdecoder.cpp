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

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#ifdef Q_OS_LINUX
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace vc {

namespace {

// The channel mix is the waveform's and the beat tracker's: mono S16 at the
// song's own rate. The waveform's resampler runs on the decoder's thread,
// as GStreamer's own command line would run it; what the mix gives is
// also handed to the beat tracker's feed, which works on threads of its own.
QByteArray pipeline(SongDecoder::Output output)
{
    const QByteArray source =
        "uridecodebin name=src ! audioconvert name=mix ! audio/x-raw,format=S16LE,channels=1 ! ";
    if (output == SongDecoder::Beats)
        return source + "fakesink sync=false";
    return source + "audioresample ! audio/x-raw,format=S16LE,rate=480,channels=1 ! "
                    "appsink name=wave sync=false";
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

// The beat tracker's share of the decoding. The decoder's thread only
// queues what comes out of the channel mix (its buffers and events, by
// reference); a thread of this feed replays them into a resampler to the
// tracker's rate and the tracker (the same elements the beats were found
// with inside the decoder's pipeline, so the beats are the same). While
// the waveform is still being made, that thread runs at a lower priority
// than the decoder, so where the two meet on one processor the decoder,
// and with it the waveform, goes first; once the waveform is out, a thread
// at normal priority takes over what is left. (A thread's priority can be
// lowered but, without privileges, not raised again: hence two threads of
// our own rather than one of GStreamer's, which go back to its pool.)
class SongDecoder::BeatFeed
{
public:
    BeatFeed(BeatTracker &tracker, SongDecoder *decoder) : m_tracker(tracker), m_decoder(decoder) {}
    ~BeatFeed();
    BeatFeed(const BeatFeed &) = delete;
    BeatFeed &operator=(const BeatFeed &) = delete;

    // Builds the resampler and starts the feed's thread, at a lower
    // priority when `yield`; false with the reason when it cannot.
    bool start(bool yield, QString *why);
    // On the decoder's streaming thread: one buffer or event of the mix.
    static GstPadProbeReturn take(GstPad *, GstPadProbeInfo *info, gpointer self);
    // The waveform is out: what is left runs at normal priority.
    void hurry();
    // The end of the stream went through the tracker.
    bool done() const { return m_done.load(std::memory_order_acquire); }

private:
    void run(bool slow);
    void push(GstMiniObject *object);
    static constexpr int YieldBy = 5; // nice steps

    BeatTracker &m_tracker;
    SongDecoder *m_decoder; // told when the beats are done
    GstElement *m_chain = nullptr;
    GstPad *m_pad = nullptr;
    bool m_yield = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<GstMiniObject *> m_pending; // under m_mutex
    bool m_cancel = false;                 // under m_mutex
    bool m_hurry = false;                  // under m_mutex
    std::atomic<bool> m_done{false};
    std::thread m_slow, m_fast;
};

SongDecoder::BeatFeed::~BeatFeed()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cancel = true;
    }
    m_wake.notify_all();
    if (m_fast.joinable())
        m_fast.join(); // which waited for the slow one
    if (m_slow.joinable())
        m_slow.join();
    for (GstMiniObject *object : m_pending)
        gst_mini_object_unref(object);
    if (m_pad) {
        gst_pad_set_active(m_pad, FALSE);
        if (GstPad *peer = gst_pad_get_peer(m_pad)) {
            gst_pad_unlink(m_pad, peer);
            gst_object_unref(peer);
        }
        gst_object_unref(m_pad);
    }
    if (m_chain) {
        gst_element_set_state(m_chain, GST_STATE_NULL);
        gst_object_unref(m_chain);
    }
}

bool SongDecoder::BeatFeed::start(bool yield, QString *why)
{
    // No source and no queue: every element works on the feed's thread.
    const QByteArray chain = "audioresample name=in ! audio/x-raw,format=S16LE,rate=" +
                             QByteArray::number(SongDecoder::BeatRate) +
                             ",channels=1 ! appsink name=beats sync=false async=false";
    m_chain = gst::parse(chain.constData(), why);
    if (!m_chain)
        return false;
    GstElement *in = gst_bin_get_by_name(GST_BIN(m_chain), "in");
    GstPad *sink = gst_element_get_static_pad(in, "sink");
    m_pad = GST_PAD(gst_object_ref_sink(gst_pad_new("feed", GST_PAD_SRC)));
    const bool linked = GST_PAD_LINK_SUCCESSFUL(gst_pad_link(m_pad, sink));
    gst_object_unref(sink);
    gst_object_unref(in);
    GstElement *beats = gst_bin_get_by_name(GST_BIN(m_chain), "beats");
    GstAppSinkCallbacks callbacks = {};
    callbacks.new_sample = [](GstAppSink *sink, gpointer tracker) {
        return eachSample(sink, [tracker](const qint16 *s, int n, qint64) {
            static_cast<BeatTracker *>(tracker)->feed(s, n);
        });
    };
    gst_app_sink_set_callbacks(GST_APP_SINK(beats), &callbacks, &m_tracker, nullptr);
    gst_object_unref(beats);
    if (!linked || !gst_pad_set_active(m_pad, TRUE) ||
        gst_element_set_state(m_chain, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        *why = QStringLiteral("the beat tracker's resampler does not start");
        return false;
    }
    m_yield = yield;
    m_slow = std::thread([this] { run(true); });
    return true;
}

GstPadProbeReturn SongDecoder::BeatFeed::take(GstPad *, GstPadProbeInfo *info, gpointer self)
{
    auto *feed = static_cast<BeatFeed *>(self);
    GstMiniObject *object = GST_MINI_OBJECT(GST_PAD_PROBE_INFO_DATA(info));
    // Flushing is for seeks, and the decoder never seeks.
    if (GST_IS_EVENT(object) && !GST_EVENT_IS_SERIALIZED(GST_EVENT(object)))
        return GST_PAD_PROBE_OK;
    {
        std::lock_guard<std::mutex> lock(feed->m_mutex);
        feed->m_pending.push_back(gst_mini_object_ref(object));
    }
    feed->m_wake.notify_one();
    return GST_PAD_PROBE_OK;
}

void SongDecoder::BeatFeed::hurry()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_yield || m_hurry)
            return;
        m_hurry = true;
    }
    m_wake.notify_all();
    m_fast = std::thread([this] {
        m_slow.join(); // it stops after the piece it is working on
        if (!done())
            run(false);
    });
}

void SongDecoder::BeatFeed::run(bool slow)
{
#ifdef Q_OS_LINUX
    pthread_setname_np(pthread_self(), "beat tracker");
    if (slow && m_yield) {
        // Five steps below the decoder: about a third of its share where the
        // two meet on one processor. Lower still, and on a machine that is
        // not idle the tracker has too much left when the waveform is out.
        const id_t thread = static_cast<id_t>(syscall(SYS_gettid));
        errno = 0;
        const int nice = getpriority(PRIO_PROCESS, thread);
        if (errno == 0)
            setpriority(PRIO_PROCESS, thread, std::min(19, nice + YieldBy));
    }
#endif
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        const auto stop = [&] { return m_cancel || (slow && m_yield && m_hurry); };
        m_wake.wait(lock, [&] { return stop() || !m_pending.empty(); });
        if (stop())
            return;
        GstMiniObject *object = m_pending.front();
        m_pending.pop_front();
        lock.unlock();
        const bool end = GST_IS_EVENT(object) && GST_EVENT_TYPE(GST_EVENT(object)) == GST_EVENT_EOS;
        push(object);
        if (end) {
            m_done.store(true, std::memory_order_release);
            QMetaObject::invokeMethod(
                m_decoder, [d = m_decoder] { d->poll(); }, Qt::QueuedConnection);
            return;
        }
        lock.lock();
    }
}

void SongDecoder::BeatFeed::push(GstMiniObject *object)
{
    GstFlowReturn flow = GST_FLOW_OK;
    if (GST_IS_BUFFER(object))
        flow = gst_pad_push(m_pad, GST_BUFFER(object));
    else if (GST_IS_BUFFER_LIST(object))
        flow = gst_pad_push_list(m_pad, GST_BUFFER_LIST(object));
    else if (GST_IS_EVENT(object))
        gst_pad_push_event(m_pad, GST_EVENT(object));
    else
        gst_mini_object_unref(object);
    if (flow != GST_FLOW_OK && flow != GST_FLOW_EOS)
        qDebug() << "beat tracker's feed:" << gst_flow_get_name(flow);
}

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
        gst_app_sink_set_callbacks(GST_APP_SINK(wave), &callbacks, this, nullptr);
        gst_object_unref(wave);
    }
    if (m_output & Beats) {
        m_beats = std::make_unique<BeatFeed>(m_tracker, this);
        if (!m_beats->start(m_output == Both, &why)) {
            qDebug() << "song decoder:" << why;
            return end(false);
        }
        GstElement *mix = gst_bin_get_by_name(GST_BIN(m_pipeline), "mix");
        GstPad *out = gst_element_get_static_pad(mix, "src");
        gst_pad_add_probe(out,
                          GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER |
                                          GST_PAD_PROBE_TYPE_BUFFER_LIST |
                                          GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                          &BeatFeed::take, m_beats.get(), nullptr);
        gst_object_unref(out);
        gst_object_unref(mix);
    }
    // The end of the stream and errors are looked at as soon as they are
    // posted; the timer polls the progress.
    GstBus *bus = gst_element_get_bus(m_pipeline);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus *, GstMessage *msg, gpointer self) {
            if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_EOS ||
                GST_MESSAGE_TYPE(msg) == GST_MESSAGE_ERROR)
                QMetaObject::invokeMethod(
                    static_cast<SongDecoder *>(self),
                    [d = static_cast<SongDecoder *>(self)] { d->poll(); }, Qt::QueuedConnection);
            return GST_BUS_PASS;
        },
        this, nullptr);
    gst_object_unref(bus);
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
    if (m_decoded) {
        // Waiting for the beats.
        if (!m_beats || m_beats->done())
            end(true);
        return;
    }
    GstBus *bus = gst_element_get_bus(m_pipeline);
    while (GstMessage *msg = gst_bus_pop(bus)) {
        bool failed = false;
        switch (GST_MESSAGE_TYPE(msg)) {
        case GST_MESSAGE_EOS:
            m_decoded = true;
            break;
        case GST_MESSAGE_ERROR: {
            GError *error = nullptr;
            gst_message_parse_error(msg, &error, nullptr);
            qDebug() << "song decoder error:" << (error ? error->message : "");
            if (error)
                g_error_free(error);
            failed = true;
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
        // An error that stops the decoder is posted before the end of the
        // stream, and then wins.
        if (failed || m_decoded) {
            gst_object_unref(bus);
            if (failed)
                return end(false);
            if (m_output == Both)
                emit waveformReady(m_points, m_peak, songDuration(reportedDuration()));
            if (m_beats)
                m_beats->hurry();
            return poll();
        }
    }
    gst_object_unref(bus);
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
    m_beats.reset();
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
    m_beats.reset(); // its threads are done, or are stopped when the song is not
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
