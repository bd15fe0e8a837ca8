// Times rendering a show to a video against the show's own length, and
// watches the peak memory: a 30 s show, then a 3-minute one, each with a
// generated song of its length, at 720p and 30 frames a second.
//
//   bench_video [webm|mp4] [SECONDS...]   (default webm 30 180)

#include "core/model/moderecord.h"
#include "core/video/videoencoder.h"
#include "testsupport/audiofiles.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

// Two-second modes: red, a picture, green, a picture, and again.
QVector<vc::device::ShowItem> show(int seconds)
{
    QImage picture(120, 85, QImage::Format_RGB32);
    for (int x = 0; x < picture.width(); ++x)
        for (int y = 0; y < picture.height(); ++y)
            picture.setPixel(x, y, qRgb(x * 2, y * 3, 255 - x * 2));
    QVector<vc::device::ShowItem> items;
    for (int i = 0; i < seconds / 2; ++i) {
        vc::device::ShowItem item{i * 2000, i * 2000 + 2000, vc::Colour, {}, 3, {}};
        if (i % 2)
            item.kind = vc::Picture, item.thumb = picture;
        else
            item.colour = i % 4 ? Qt::green : Qt::red;
        items.append(item);
    }
    return items;
}

long peakMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString format = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("webm");
    QTemporaryDir dir;
    QList<int> lengths;
    for (int i = 2; i < argc; ++i)
        lengths.append(QString::fromLocal8Bit(argv[i]).toInt());
    if (lengths.isEmpty())
        lengths = {30, 180};
    for (int seconds : lengths) {
        const QString song = dir.filePath(QStringLiteral("song%1.wav").arg(seconds));
        vc::test::writeWav(song, seconds);
        vc::VideoOptions o;
        o.output = dir.filePath(QStringLiteral("show%1.%2").arg(seconds).arg(format));
        o.songPath = song;
        QElapsedTimer t;
        t.start();
        const QString error = vc::renderVideo(show(seconds), 64, o, {});
        if (!error.isEmpty()) {
            std::printf("failed: %s\n", qPrintable(error));
            return 1;
        }
        const double s = t.elapsed() / 1000.0;
        std::printf("%3d s show, 720p30 %s: %.1f s, %.2fx real time, peak %ld MB, file %lld kB\n",
                    seconds, qPrintable(format), s, s / seconds, peakMb(),
                    QFileInfo(o.output).size() / 1024);
        std::fflush(stdout);
    }
    return 0;
}
