#include "core/audio/gstreamer.h"

#include <QCoreApplication>

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <mutex>

namespace vc::gst {

bool init()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        GError *error = nullptr;
        ok = gst_init_check(nullptr, nullptr, &error);
        if (error)
            g_error_free(error);
        if (ok)
            gst_pb_utils_init();
    });
    return ok;
}

QString elementPackage(const QString &element)
{
    // The elements the programs build their pipelines of.
    static const char *const base[] = {"uridecodebin",  "decodebin", "audioconvert",
                                       "audioresample", "appsink",   "appsrc",
                                       "videoconvert",  "tee",       "queue"};
    for (const char *name : base)
        if (element == QLatin1String(name))
            return QStringLiteral("gstreamer1.0-plugins-base");
    // The video export's encoders.
    if (element == QLatin1String("opusenc"))
        return QStringLiteral("gstreamer1.0-plugins-base");
    if (element == QLatin1String("x264enc"))
        return QStringLiteral("gstreamer1.0-plugins-ugly");
    if (element.startsWith(QLatin1String("avenc_")))
        return QStringLiteral("gstreamer1.0-libav");
    return QStringLiteral("gstreamer1.0-plugins-good");
}

QString missingPluginPackage(GstMessage *message)
{
    if (!message || !gst_is_missing_plugin_message(message))
        return {};
    const GstStructure *s = gst_message_get_structure(message);
    const gchar *type = gst_structure_get_string(s, "type");
    if (type && g_str_equal(type, "element")) {
        const gchar *name = gst_structure_get_string(s, "detail");
        return elementPackage(QString::fromUtf8(name ? name : ""));
    }
    QString caps;
    if (const GValue *detail = gst_structure_get_value(s, "detail")) {
        if (G_VALUE_HOLDS(detail, GST_TYPE_CAPS)) {
            gchar *text = gst_caps_to_string(gst_value_get_caps(detail));
            caps = QString::fromUtf8(text);
            g_free(text);
        }
    }
    // MPEG-1 layer 3 and FLAC are in the good set, Vorbis and Opus in the
    // base set; AAC, WMA and the rest come with the FFmpeg wrapper.
    if (caps.startsWith(QLatin1String("audio/mpeg")) &&
        caps.contains(QLatin1String("mpegversion=(int)1")))
        return QStringLiteral("gstreamer1.0-plugins-good");
    if (caps.startsWith(QLatin1String("audio/x-flac")) ||
        caps.startsWith(QLatin1String("audio/x-wav")))
        return QStringLiteral("gstreamer1.0-plugins-good");
    if (caps.startsWith(QLatin1String("audio/x-vorbis")) ||
        caps.startsWith(QLatin1String("audio/x-opus")))
        return QStringLiteral("gstreamer1.0-plugins-base");
    return QStringLiteral("gstreamer1.0-libav");
}

QString missingPluginText(GstMessage *message)
{
    const QString package = missingPluginPackage(message);
    if (package.isEmpty())
        return {};
    gchar *what = gst_missing_plugin_message_get_description(message);
    const QString text =
        QCoreApplication::translate("vc::gst", "沒有安裝「%1」的解碼器，請安裝 Debian 套件 %2。")
            .arg(QString::fromUtf8(what ? what : "?"), package);
    g_free(what);
    return text;
}

GstElement *parse(const char *description, QString *error)
{
    GError *err = nullptr;
    GstElement *pipeline = gst_parse_launch(description, &err);
    if (err) {
        // A description with an element missing may still give a pipeline.
        if (error)
            *error = QString::fromUtf8(err->message);
        g_error_free(err);
        if (pipeline)
            gst_object_unref(pipeline);
        return nullptr;
    }
    return pipeline;
}

} // namespace vc::gst
