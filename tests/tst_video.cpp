#include "core/model/moderecord.h"
#include "core/video/videoencoder.h"
#include "testsupport/audiofiles.h"
#include "testsupport/testenv.h"

#include <QtTest>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

using vc::device::ShowItem;

namespace {

// Red, green, then a blue picture: one second each.
QVector<ShowItem> threeModes()
{
    ShowItem red{0, 1000, vc::Colour, QColor(Qt::red), 1, {}};
    ShowItem green{1000, 2000, vc::Colour, QColor(Qt::green), 1, {}};
    QImage blue(40, 85, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ShowItem picture{2000, 3000, vc::Picture, {}, 2, blue};
    return {red, green, picture};
}

// The decoded frame at `ms`, as RGB32.
QImage frameAt(const QString &path, int ms)
{
    GstElement *p = gst_parse_launch("filesrc name=src ! decodebin ! videoconvert ! "
                                     "video/x-raw,format=BGRx ! appsink name=sink",
                                     nullptr);
    GstElement *src = gst_bin_get_by_name(GST_BIN(p), "src");
    g_object_set(src, "location", QFile::encodeName(path).constData(), nullptr);
    gst_object_unref(src);
    gst_element_set_state(p, GST_STATE_PAUSED);
    gst_element_get_state(p, nullptr, nullptr, 10 * GST_SECOND);
    gst_element_seek_simple(p, GST_FORMAT_TIME,
                            GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                            ms * GST_MSECOND);
    gst_element_get_state(p, nullptr, nullptr, 10 * GST_SECOND);
    GstElement *sink = gst_bin_get_by_name(GST_BIN(p), "sink");
    GstSample *sample = gst_app_sink_pull_preroll(GST_APP_SINK(sink));
    QImage image;
    if (sample) {
        GstStructure *s = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
        int w = 0, h = 0;
        gst_structure_get_int(s, "width", &w);
        gst_structure_get_int(s, "height", &h);
        GstMapInfo map;
        gst_buffer_map(gst_sample_get_buffer(sample), &map, GST_MAP_READ);
        image = QImage(map.data, w, h, QImage::Format_RGB32).copy();
        gst_buffer_unmap(gst_sample_get_buffer(sample), &map);
        gst_sample_unref(sample);
    }
    gst_object_unref(sink);
    gst_element_set_state(p, GST_STATE_NULL);
    gst_object_unref(p);
    return image;
}

} // namespace

class TestVideo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        vc::test::isolateEnvironment();
        gst_init(nullptr, nullptr);
        QVERIFY(m_dir.isValid());
        m_song = m_dir.filePath("song.wav");
        QVERIFY(vc::test::writeWav(m_song, 5.0));
    }

    void renders_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("song");
        QTest::newRow("webm") << "a.webm" << false;
        QTest::newRow("webm with song") << "b.webm" << true;
        QTest::newRow("mp4") << "c.mp4" << false;
        QTest::newRow("mp4 with song") << "d.mp4" << true;
    }
    void renders()
    {
        QFETCH(QString, name);
        QFETCH(bool, song);
        vc::VideoOptions o;
        o.output = m_dir.filePath(name);
        o.songPath = song ? m_song : QString();
        o.height = 480;
        o.look = vc::VideoLook::Disc;
        int last = 0;
        QCOMPARE(vc::renderVideo(threeModes(), 32, o, [&](int done, int) { last = done; }),
                 QString());
        QCOMPARE(last, 90);

        GstDiscoverer *d = gst_discoverer_new(10 * GST_SECOND, nullptr);
        const QByteArray uri = QUrl::fromLocalFile(o.output).toEncoded();
        GstDiscovererInfo *info = gst_discoverer_discover_uri(d, uri.constData(), nullptr);
        QVERIFY(info);
        QVERIFY(qAbs(qint64(gst_discoverer_info_get_duration(info) / GST_MSECOND) - 3000) < 100);
        GList *videos = gst_discoverer_info_get_video_streams(info);
        QVERIFY(videos);
        auto *v = GST_DISCOVERER_VIDEO_INFO(videos->data);
        QCOMPARE(gst_discoverer_video_info_get_width(v), 854u);
        QCOMPARE(gst_discoverer_video_info_get_height(v), 480u);
        GList *audios = gst_discoverer_info_get_audio_streams(info);
        QCOMPARE(audios != nullptr, song);
        gst_discoverer_stream_info_list_free(videos);
        gst_discoverer_stream_info_list_free(audios);
        gst_discoverer_info_unref(info);
        g_object_unref(d);

        // Half-way through the red mode the disc's lit arc is red; the
        // frame's corner and the disc's hub stay black.
        const QImage frame = frameAt(o.output, 500);
        QCOMPARE(frame.size(), QSize(854, 480));
        int red = 0;
        for (int a = 0; a < 360; a += 5) {
            const double r = 0.37 * 480, rad = a * M_PI / 180;
            const QColor c =
                frame.pixelColor(427 + int(r * std::cos(rad)), 240 + int(r * std::sin(rad)));
            red += c.red() > 100 && c.green() < 60 && c.blue() < 60;
        }
        QVERIFY2(red >= 24, qPrintable(QString::number(red)));
        QVERIFY(qGray(frame.pixel(5, 5)) < 20);
        QVERIFY(qGray(frame.pixel(427, 240)) < 20);
    }

    void refuses()
    {
        vc::VideoOptions o;
        o.height = 480;
        // A cancelled render leaves nothing in the folder.
        QTemporaryDir dir;
        o.output = dir.filePath("cancelled.webm");
        std::atomic<bool> cancel{false};
        QCOMPARE(vc::renderVideo(
                     threeModes(), 32, o, [&](int done, int) { cancel = done >= 5; }, &cancel),
                 vc::cancelledText());
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList());

        o.output = dir.filePath("missing/out.webm");
        QVERIFY(vc::renderVideo(threeModes(), 32, o, {}).contains("missing"));

        // Without the H.264 encoder an MP4 names the package to install.
        GstRegistry *registry = gst_registry_get();
        GstPluginFeature *x264 = gst_registry_lookup_feature(registry, "x264enc");
        QVERIFY(x264);
        gst_registry_remove_feature(registry, x264);
        gst_object_unref(x264);
        o.output = dir.filePath("out.mp4");
        QVERIFY(vc::renderVideo(threeModes(), 32, o, {}).contains("gstreamer1.0-plugins-ugly"));
        QVERIFY(!QFile::exists(o.output));
    }

private:
    QTemporaryDir m_dir;
    QString m_song;
};

QTEST_GUILESS_MAIN(TestVideo)
#include "tst_video.moc"
