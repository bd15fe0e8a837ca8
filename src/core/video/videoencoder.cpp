#include "core/video/videoencoder.h"

#include "core/audio/gstreamer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <memory>

namespace vc {

namespace {

constexpr int AudioRate = 48000;
constexpr int AudioChannels = 2;
constexpr int BytesPerAudioFrame = 2 * AudioChannels;
const char AudioCaps[] = "audio/x-raw,format=S16LE,layout=interleaved,rate=48000,channels=2";

struct GstDeleter
{
    void operator()(GstElement *e) const
    {
        gst_element_set_state(e, GST_STATE_NULL);
        gst_object_unref(e);
    }
};
using Pipeline = std::unique_ptr<GstElement, GstDeleter>;

// The first error posted on a pipeline's bus, waiting up to `wait`; an
// empty string when none came. *eos tells whether the stream ended.
QString busError(GstElement *pipeline, GstClockTime wait, bool *eos = nullptr)
{
    GstBus *bus = gst_element_get_bus(pipeline);
    const auto types = static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS);
    GstMessage *msg = gst_bus_timed_pop_filtered(bus, wait, types);
    gst_object_unref(bus);
    if (!msg)
        return QString();
    QString result;
    if (GST_MESSAGE_TYPE(msg) == GST_MESSAGE_ERROR) {
        GError *err = nullptr;
        gst_message_parse_error(msg, &err, nullptr);
        result = QString::fromUtf8(err ? err->message : "?");
        if (err)
            g_error_free(err);
    } else if (eos) {
        *eos = true;
    }
    gst_message_unref(msg);
    return result;
}

// Decodes the song from a start point as 48 kHz stereo 16-bit samples.
class SongReader
{
public:
    QString open(const QString &path, int startMs)
    {
        QString m;
        GstElement *p = gst::parse(
            (QByteArray("filesrc name=src ! decodebin ! audioconvert ! audioresample ! ") +
             AudioCaps + " ! appsink name=sink sync=false max-buffers=8")
                .constData(),
            &m);
        if (!p)
            return m;
        m_pipeline.reset(p);
        GstElement *src = gst_bin_get_by_name(GST_BIN(p), "src");
        g_object_set(src, "location", QFile::encodeName(path).constData(), nullptr);
        gst_object_unref(src);
        m_sink = gst_bin_get_by_name(GST_BIN(p), "sink");
        gst_element_set_state(p, GST_STATE_PAUSED);
        if (gst_element_get_state(p, nullptr, nullptr, 10 * GST_SECOND) != GST_STATE_CHANGE_SUCCESS)
            return busError(p, 0).isEmpty() ? QStringLiteral("no audio") : busError(p, 0);
        if (startMs > 0) {
            const auto flags =
                static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
            gst_element_seek_simple(p, GST_FORMAT_TIME, flags, startMs * GST_MSECOND);
            gst_element_get_state(p, nullptr, nullptr, 10 * GST_SECOND);
        }
        gst_element_set_state(p, GST_STATE_PLAYING);
        return QString();
    }
    ~SongReader()
    {
        if (m_sink)
            gst_object_unref(m_sink);
    }
    // The next decoded buffer, or null at the song's end.
    GstBuffer *next()
    {
        GstSample *sample = gst_app_sink_pull_sample(GST_APP_SINK(m_sink));
        if (!sample)
            return nullptr;
        GstBuffer *buffer = gst_buffer_ref(gst_sample_get_buffer(sample));
        gst_sample_unref(sample);
        return buffer;
    }

private:
    Pipeline m_pipeline;
    GstElement *m_sink = nullptr;
};

} // namespace

int videoWidth(int height)
{
    return (height * 16 / 9 + 1) & ~1;
}

QString cancelledText()
{
    return QStringLiteral("cancelled");
}

QString renderVideo(const QVector<device::ShowItem> &items, short leds, const VideoOptions &options,
                    const std::function<void(int, int)> &progress, const std::atomic<bool> *cancel)
{
    if (!gst::init())
        return QCoreApplication::translate("vc::VideoEncoder", "無法啟動 GStreamer");

    const bool webm = options.output.endsWith(QLatin1String(".webm"), Qt::CaseInsensitive);
    const bool mp4 = options.output.endsWith(QLatin1String(".mp4"), Qt::CaseInsensitive);
    if (!webm && !mp4)
        return QCoreApplication::translate("vc::VideoEncoder", "影片的副檔名必須是 .mp4 或 .webm");
    const bool withSong = !options.songPath.isEmpty();
    const char *videoEncoder = webm ? "vp9enc" : "x264enc";
    const char *audioEncoder = webm ? "opusenc" : "avenc_aac";
    const char *muxer = webm ? "webmmux" : "mp4mux";
    for (const char *element : {videoEncoder, muxer, withSong ? audioEncoder : "appsrc"}) {
        GstElementFactory *f = gst_element_factory_find(element);
        if (!f)
            return QCoreApplication::translate("vc::VideoEncoder",
                                               "缺少 GStreamer 元件 %1，請安裝套件 %2")
                .arg(QLatin1String(element), gst::elementPackage(QLatin1String(element)));
        gst_object_unref(f);
    }

    const QFileInfo out(options.output);
    const QDir folder = out.absoluteDir();
    if (!folder.exists())
        return QCoreApplication::translate("vc::VideoEncoder", "資料夾不存在：%1")
            .arg(QDir::toNativeSeparators(folder.path()));
    QTemporaryFile temp(folder.filePath(QStringLiteral(".%1.XXXXXX.part").arg(out.fileName())));
    if (!temp.open())
        return QCoreApplication::translate("vc::VideoEncoder", "無法在資料夾中寫入：%1")
            .arg(QDir::toNativeSeparators(folder.path()));
    temp.close();

    const int height = options.height;
    const int width = videoWidth(height);
    const int fps = std::max(options.fps, 1);
    ShowFrames frames(items, leds, options.look, QSize(width, height), fps, options.startMs);
    const int total = frames.frameCount();
    if (total <= 0)
        return QCoreApplication::translate("vc::VideoEncoder", "沒有可匯出的模式");

    SongReader song;
    if (withSong) {
        const QString m = song.open(options.songPath, options.startMs);
        if (!m.isEmpty())
            return QCoreApplication::translate("vc::VideoEncoder", "無法讀取歌曲 %1：%2")
                .arg(QDir::toNativeSeparators(options.songPath), m);
    }

    // A few frames may wait for the encoder; pushing blocks beyond that, so
    // memory stays flat however long the show is. The song may run a few
    // seconds ahead (more than the video encoder's lag, or the two would
    // wait on each other in the muxer) and is read only as fast as it is
    // pushed.
    const QByteArray videoEncoding = webm ? "vp9enc deadline=1 cpu-used=8 row-mt=true "
                                            "end-usage=cq cq-level=32 threads=2"
                                          : "x264enc speed-preset=veryfast";
    QByteArray launch = QByteArray("appsrc name=video format=time block=true max-bytes=") +
                        QByteArray::number(width * height * 4 * 4) +
                        " caps=video/x-raw,format=BGRx,width=" + QByteArray::number(width) +
                        ",height=" + QByteArray::number(height) +
                        ",framerate=" + QByteArray::number(fps) +
                        "/1 ! videoconvert ! video/x-raw,format=I420 ! " + videoEncoding +
                        " ! queue ! " + muxer + " name=mux ! filesink name=out";
    if (withSong)
        launch += QByteArray(" appsrc name=audio format=time block=true max-bytes=") +
                  QByteArray::number(4 * AudioRate * BytesPerAudioFrame) + " caps=" + AudioCaps +
                  " ! audioconvert ! " + audioEncoder + " ! queue ! mux.";
    QString m;
    GstElement *p = gst::parse(launch.constData(), &m);
    if (!p)
        return m;
    Pipeline pipeline(p);
    GstElement *sink = gst_bin_get_by_name(GST_BIN(p), "out");
    g_object_set(sink, "location", QFile::encodeName(temp.fileName()).constData(), nullptr);
    gst_object_unref(sink);
    GstElement *videoSrc = gst_bin_get_by_name(GST_BIN(p), "video");
    GstElement *audioSrc = withSong ? gst_bin_get_by_name(GST_BIN(p), "audio") : nullptr;
    const auto unrefSources = [&] {
        gst_object_unref(videoSrc);
        if (audioSrc)
            gst_object_unref(audioSrc);
    };
    gst_element_set_state(p, GST_STATE_PLAYING);

    const qint64 endSamples = qint64(frames.endMs() - options.startMs) * AudioRate / 1000;
    qint64 samples = 0;
    bool audioDone = !withSong;
    const auto pushAudioTo = [&](qint64 untilSamples) {
        while (!audioDone && samples < untilSamples) {
            GstBuffer *b = song.next();
            if (!b) {
                audioDone = true;
                gst_app_src_end_of_stream(GST_APP_SRC(audioSrc));
                return;
            }
            b = gst_buffer_make_writable(b);
            qint64 n = static_cast<qint64>(gst_buffer_get_size(b)) / BytesPerAudioFrame;
            if (samples + n >= endSamples) {
                n = endSamples - samples;
                gst_buffer_resize(b, 0, n * BytesPerAudioFrame);
            }
            GST_BUFFER_PTS(b) = gst_util_uint64_scale(samples, GST_SECOND, AudioRate);
            GST_BUFFER_DURATION(b) = gst_util_uint64_scale(n, GST_SECOND, AudioRate);
            samples += n;
            gst_app_src_push_buffer(GST_APP_SRC(audioSrc), b);
            if (samples >= endSamples) {
                audioDone = true;
                gst_app_src_end_of_stream(GST_APP_SRC(audioSrc));
            }
        }
    };

    const gsize frameBytes = gsize(width) * height * 4;
    for (int i = 0; i < total; ++i) {
        if (cancel && cancel->load()) {
            unrefSources();
            return cancelledText(); // the temporary file goes with `temp`
        }
        pushAudioTo(qint64(i + 1) * AudioRate / fps);
        const QImage &image = frames.next();
        GstBuffer *b = gst_buffer_new_allocate(nullptr, frameBytes, nullptr);
        gst_buffer_fill(b, 0, image.constBits(), frameBytes);
        GST_BUFFER_PTS(b) = gst_util_uint64_scale(i, GST_SECOND, fps);
        GST_BUFFER_DURATION(b) = gst_util_uint64_scale(1, GST_SECOND, fps);
        gst_app_src_push_buffer(GST_APP_SRC(videoSrc), b);
        const QString m = busError(p, 0);
        if (!m.isEmpty()) {
            unrefSources();
            return m;
        }
        if (progress)
            progress(i + 1, total);
    }
    pushAudioTo(endSamples);
    if (!audioDone)
        gst_app_src_end_of_stream(GST_APP_SRC(audioSrc));
    gst_app_src_end_of_stream(GST_APP_SRC(videoSrc));
    unrefSources();

    bool eos = false;
    while (!eos) {
        const QString m = busError(p, 60 * GST_SECOND, &eos);
        if (!m.isEmpty())
            return m;
        if (!eos)
            return QCoreApplication::translate("vc::VideoEncoder", "影片編碼沒有完成");
    }
    pipeline.reset();

    // A temporary file is private to its owner; the video is not.
    temp.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile::remove(options.output);
    if (!temp.rename(options.output))
        return QCoreApplication::translate("vc::VideoEncoder", "無法寫入 %1")
            .arg(QDir::toNativeSeparators(options.output));
    temp.setAutoRemove(false);
    return QString();
}

} // namespace vc
