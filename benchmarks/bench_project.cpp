// Saving and loading a large project: 20 tracks of 100 picture modes, each
// record carrying an 85-pixel-high PNG thumb drawn like a real picture
// pattern (gradients, shapes and photo-like noise). Prints the time of each
// step; the aim is well under a second each for save and load.
//
//   bench_project [repeats]   (default 3)

#include "bench_thumbs.h"
#include "core/model/moderecord.h"
#include "core/project/projectformat.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int Tracks = 20;
constexpr int ModesPerTrack = 100;

enum class Style
{
    Photo,
    Graphic
};

QImage makeThumb(QRandomGenerator &rng, Style style)
{
    return bench::pictureThumb(rng, style == Style::Photo, QImage::Format_ARGB32_Premultiplied);
}

QByteArray makeRecord(const QImage &thumb, int index)
{
    vc::ModeRecord r;
    r.thumb = thumb;
    r.start = index * 3000;
    r.end = r.start + 2500;
    r.loops = 3;
    r.kind = vc::Picture;
    r.params = vc::pictureParams(
        3, QStringLiteral("C:/Users/performer/Pictures/show/picture_%1.png").arg(index), 20, false,
        false);
    return r.encode();
}

// Decodes every record, as loading makes an item of each.
int decodeAll(const vc::ProjectData &project)
{
    int ok = 0;
    for (const auto &track : project.tracks) {
        for (const QByteArray &record : track) {
            bool good = false;
            const vc::ModeRecord r = vc::ModeRecord::decode(record, &good);
            ok += good && !r.thumb.isNull();
        }
    }
    return ok;
}

// Wall-clock and processor time of one step, in milliseconds. On a busy
// machine the wall clock includes waiting for a core; the processor time
// does not.
struct Clock
{
    QElapsedTimer wall;
    std::clock_t cpu = 0;
    void start()
    {
        wall.start();
        cpu = std::clock();
    }
    void stop(QVector<double> &wallMs, QVector<double> &cpuMs)
    {
        wallMs.append(wall.nsecsElapsed() / 1e6);
        cpuMs.append(double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC);
    }
};

} // namespace

int runProject(Style style, int repeats)
{
    QRandomGenerator rng(20240611);
    vc::ProjectData project;
    project.leds = 80;
    project.frameRate = 2100.0f;
    project.songPath = QStringLiteral("C:/Users/performer/Music/show.mp3");
    // Thumbs repeat every 40 modes, as pictures do in a show; every record
    // still differs by its times and path.
    QVector<QImage> thumbs;
    for (int i = 0; i < 40; ++i)
        thumbs.append(makeThumb(rng, style));
    for (int t = 0; t < Tracks; ++t) {
        QVector<QByteArray> track;
        for (int m = 0; m < ModesPerTrack; ++m)
            track.append(makeRecord(thumbs.at((t * ModesPerTrack + m) % thumbs.size()), m));
        project.tracks.append(track);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.vtc3");
    enum Step
    {
        Encode,
        Save,
        Load,
        Decode,
        Steps
    };
    const char *names[Steps] = {"encode in memory", "save (atomic, synced)", "load (read records)",
                                "decode all records"};
    QVector<double> wallMs[Steps], cpuMs[Steps];
    qint64 fileSize = 0;
    for (int r = 0; r < repeats; ++r) {
        Clock c;
        c.start();
        const QByteArray bytes = vc::encodeProject(project);
        c.stop(wallMs[Encode], cpuMs[Encode]);
        fileSize = bytes.size();

        c.start();
        QString error;
        if (!vc::saveProjectFile(path, project, &error)) {
            fprintf(stderr, "save failed: %s\n", qPrintable(error));
            return 1;
        }
        c.stop(wallMs[Save], cpuMs[Save]);

        c.start();
        const vc::ProjectReadResult loaded = vc::loadProjectFile(path);
        c.stop(wallMs[Load], cpuMs[Load]);
        if (!loaded.status.ok() || loaded.project.tracks != project.tracks) {
            fprintf(stderr, "load failed: %s\n", qPrintable(loaded.status.detail));
            return 1;
        }

        c.start();
        const int decoded = decodeAll(loaded.project);
        c.stop(wallMs[Decode], cpuMs[Decode]);
        if (decoded != Tracks * ModesPerTrack) {
            fprintf(stderr, "only %d records decoded\n", decoded);
            return 1;
        }
    }

    printf("%s thumbs: %d tracks x %d picture modes, file %.1f MB, %d repeats\n",
           style == Style::Photo ? "photo" : "graphic", Tracks, ModesPerTrack, fileSize / 1048576.0,
           repeats);
    printf("  %-24s %10s %10s\n", "median ms", "wall", "cpu");
    for (int s = 0; s < Steps; ++s)
        printf("  %-24s %10.1f %10.1f\n", names[s], bench::median(wallMs[s]),
               bench::median(cpuMs[s]));
    return 0;
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int repeats = argc > 1 ? qMax(1, atoi(argv[1])) : 3;
    return runProject(Style::Photo, repeats) || runProject(Style::Graphic, repeats);
}
