// Loading and saving a large project through the main window, as the user
// does it: 20 tracks of 100 picture modes, each record carrying an
// 85-pixel-high PNG thumb with photo-like grain. Load is the whole of
// LoadFile (reading the file, clearing the old project, the gadget, one
// item widget per record, the zoom, the missing-picture check and the fresh
// undo history); Save is the Save action (collecting the records and the
// atomic write). The aim is under a second each.
//
//   bench_projectgui [repeats]   (default 3)
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "gui/app/mainwindow.h"
#include "gui/app/prompter.h"
#include "bench_thumbs.h"
#include "core/model/moderecord.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/projectfiles.h"
#include "core/project/projectformat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr int Tracks = 20;
constexpr int ModesPerTrack = 100;

// Dialogs would wait for a person; the benchmark answers none of them.
class SilentPrompter : public vc::Prompter
{
public:
    int messages = 0;
    QMessageBox::StandardButton message(QWidget *, QMessageBox::Icon, const QString &,
                                        const QString &, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton) override
    {
        ++messages;
        return QMessageBox::NoButton;
    }
};

// Processor time in milliseconds: of the whole process (every thread) and of
// the calling thread alone. On a busy machine the wall clock includes
// waiting for a core; these do not.
double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Clock
{
    QElapsedTimer wall;
    double process = 0, thread = 0;
    void start()
    {
        wall.start();
        process = processCpuMs();
        thread = threadCpuMs();
    }
    void stop(QVector<double> *out)
    {
        out[0].append(wall.nsecsElapsed() / 1e6);
        out[1].append(processCpuMs() - process);
        out[2].append(threadCpuMs() - thread);
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    SilentPrompter prompter;
    vc::Prompter::setInstance(&prompter);

    QTemporaryDir dir;
    // The pictures exist, so the missing-picture check walks every mode
    // and asks nothing.
    QRandomGenerator rng(20240611);
    QVector<QImage> thumbs;
    for (int i = 0; i < 40; ++i)
        thumbs.append(bench::pictureThumb(rng, true, QImage::Format_RGB32));
    QStringList pictures;
    for (int i = 0; i < ModesPerTrack; ++i) {
        pictures.append(dir.filePath(QStringLiteral("picture_%1.png").arg(i)));
        thumbs.at(i % thumbs.size()).copy(0, 0, 8, 8).save(pictures.last());
    }
    vc::ProjectData project;
    project.leds = 80;
    project.frameRate = 2100.0f;
    for (int t = 0; t < Tracks; ++t) {
        QVector<QByteArray> track;
        for (int m = 0; m < ModesPerTrack; ++m) {
            vc::ModeRecord r;
            r.thumb = thumbs.at((t * ModesPerTrack + m) % thumbs.size());
            r.start = m * 3000;
            r.end = r.start + 2500;
            r.loops = 3;
            r.kind = vc::Picture;
            r.params = vc::pictureParams(3, pictures.at(m), 20, false, false);
            track.append(r.encode());
        }
        project.tracks.append(track);
    }
    const QString path = dir.filePath(QStringLiteral("bench.vtc3"));
    QString error;
    if (!vc::saveProjectFile(path, project, &error)) {
        fprintf(stderr, "cannot write the project: %s\n", qPrintable(error));
        return 1;
    }
    const qint64 fileSize = QFileInfo(path).size();

    MainWindow w;
    w.resize(1300, 885);
    w.show();
    app.processEvents();

    // [0] wall, [1] processor time of every thread, [2] of the GUI thread
    QVector<double> loadMs[3], saveMs[3], showMs[3];
    for (int r = 0; r < repeats; ++r) {
        Clock clock;
        clock.start();
        w.LoadFile(path);
        clock.stop(loadMs);
        // The first paint of the loaded tracks, as the user sees it.
        clock.start();
        app.processEvents();
        clock.stop(showMs);
        if (w.tracks()->itemCount() != Tracks * ModesPerTrack) {
            fprintf(stderr, "only %d items loaded\n", w.tracks()->itemCount());
            return 1;
        }
        clock.start();
        if (!w.projectFiles()->save()) {
            fprintf(stderr, "save failed\n");
            return 1;
        }
        clock.stop(saveMs);
    }
    if (prompter.messages != 0)
        fprintf(stderr, "note: %d dialogs were asked\n", prompter.messages);

    printf("%d tracks x %d picture modes (photo-like thumbs), file %.1f MB, %d repeats\n", Tracks,
           ModesPerTrack, fileSize / 1048576.0, repeats);
    printf("  %-32s %10s %10s %10s\n", "median ms", "wall", "cpu all", "cpu gui");
    const auto row = [](const char *name, const QVector<double> *v) {
        printf("  %-32s %10.1f %10.1f %10.1f\n", name, bench::median(v[0]), bench::median(v[1]),
               bench::median(v[2]));
    };
    row("LoadFile", loadMs);
    row("events after the load (paint)", showMs);
    row("Save", saveMs);
    vc::Prompter::setInstance(nullptr);
    return 0;
}
