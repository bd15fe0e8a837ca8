// Loading and saving projects through the main window, as the user does
// it: 1 and 20 tracks of 100 picture modes, each record carrying an
// 85-pixel-high PNG thumb with photo-like grain. Load is the whole of
// LoadFile (reading the file, clearing the old project, the gadget, one
// item widget per record, the zoom, the missing-picture check and the fresh
// undo history), then the first paint of the window (which unpacks the
// thumbs in view): together the time to a usable window. Save is the Save
// action (collecting the records and the atomic write). The recovery copy
// is what the interface waits for when one is written (collecting the
// records; the worker encodes and writes), and the longest the event loop
// stood still while the worker wrote it. The aims: a usable window within a
// second for 20 tracks and 100 ms for one; no stall over 50 ms.
//
//   bench_projectgui [repeats]   (default 3)
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "bench_thumbs.h"
#include "core/model/moderecord.h"
#include "core/project/projectformat.h"
#include "gui/app/mainwindow.h"
#include "gui/common/prompter.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/autosave.h"
#include "gui/project/projectfiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

constexpr int ModesPerTrack = 100;

// Dialogs would wait for a person; the benchmark answers none of them.
class SilentPrompter : public vc::Prompter
{
public:
    int messages = 0;
    QMessageBox::StandardButton message(QWidget *, QMessageBox::Icon, const QString &,
                                        const QString &text, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton) override
    {
        ++messages;
        fprintf(stderr, "asked: %s\n", qPrintable(text));
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

// A project of `tracks` tracks of 100 picture modes, its pictures in `dir`.
QString writeProject(const QTemporaryDir &dir, int tracks)
{
    QRandomGenerator rng(20240611);
    QVector<QImage> thumbs;
    for (int i = 0; i < 40; ++i)
        thumbs.append(bench::pictureThumb(rng, true, QImage::Format_RGB32));
    QStringList pictures;
    for (int i = 0; i < ModesPerTrack; ++i) {
        pictures.append(dir.filePath(QStringLiteral("picture_%1.png").arg(i)));
        if (!QFileInfo::exists(pictures.last()))
            thumbs.at(i % thumbs.size()).copy(0, 0, 8, 8).save(pictures.last());
    }
    vc::ProjectData project;
    project.leds = 80;
    project.frameRate = 2100.0f;
    for (int t = 0; t < tracks; ++t) {
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
    const QString path = dir.filePath(QStringLiteral("bench_%1.vtc3").arg(tracks));
    QString error;
    if (!vc::saveProjectFile(path, project, &error)) {
        fprintf(stderr, "cannot write the project: %s\n", qPrintable(error));
        return QString();
    }
    return path;
}

// The longest gap between turns of the event loop until `done` says the
// work on other threads is over: its wall time, and how much of it the GUI
// thread spent on the processor (the rest it waited for one: the machine's
// other work).
struct Stall
{
    double wallMs = 0;
    double cpuMs = 0;
};

Stall longestStall(QApplication &app, const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    double lastCpu = threadCpuMs();
    Stall longest;
    while (!done()) {
        app.processEvents(QEventLoop::AllEvents, 1);
        const qint64 now = clock.nsecsElapsed();
        const double cpu = threadCpuMs();
        if ((now - last) / 1e6 > longest.wallMs)
            longest = {(now - last) / 1e6, cpu - lastCpu};
        last = now;
        lastCpu = cpu;
    }
    return longest;
}

bool runSize(QApplication &app, const QTemporaryDir &dir, int tracks, int repeats)
{
    const QString path = writeProject(dir, tracks);
    if (path.isEmpty())
        return false;
    const qint64 fileSize = QFileInfo(path).size();

    MainWindow w;
    w.resize(1300, 885);
    w.show();
    app.processEvents();

    // [0] wall, [1] processor time of every thread, [2] of the GUI thread
    QVector<double> loadMs[3], saveMs[3], showMs[3], usableMs[3], copyMs[3];
    QVector<Stall> stalls, idleStalls;
    for (int r = 0; r < repeats; ++r) {
        Clock clock, usable;
        usable.start();
        clock.start();
        w.LoadFile(path);
        clock.stop(loadMs);
        // The first paint of the loaded tracks, as the user sees it.
        clock.start();
        app.processEvents();
        clock.stop(showMs);
        usable.stop(usableMs);
        if (w.tracks()->itemCount() != tracks * ModesPerTrack) {
            fprintf(stderr, "only %d items loaded\n", w.tracks()->itemCount());
            return false;
        }
        // The event loop for a while without a copy being written: what
        // the machine's other work costs it anyway (and whatever the load
        // left to do is done first).
        QElapsedTimer idle;
        idle.start();
        idleStalls.append(longestStall(app, [&] { return idle.elapsed() >= 500; }));
        // An edit, then its recovery copy.
        w.tracks()->setModified(true);
        vc::RecoveryWriter &writer = w.autoSave()->writer();
        const int written = writer.written();
        clock.start();
        w.autoSave()->writeNow();
        clock.stop(copyMs);
        stalls.append(longestStall(app, [&] { return writer.written() > written; }));

        clock.start();
        if (!w.projectFiles()->save()) {
            fprintf(stderr, "save failed\n");
            return false;
        }
        clock.stop(saveMs);
    }

    printf("%d tracks x %d picture modes (photo-like thumbs), file %.1f MB, %d repeats\n", tracks,
           ModesPerTrack, fileSize / 1048576.0, repeats);
    printf("  %-40s %10s %10s %10s\n", "median ms", "wall", "cpu all", "cpu gui");
    const auto row = [](const char *name, const QVector<double> *v) {
        printf("  %-40s %10.1f %10.1f %10.1f\n", name, bench::median(v[0]), bench::median(v[1]),
               bench::median(v[2]));
    };
    row("LoadFile", loadMs);
    row("events after the load (paint)", showMs);
    row("usable window (both)", usableMs);
    row("Save", saveMs);
    row("recovery copy: the interface's share", copyMs);
    const auto stallRow = [](const char *name, const QVector<Stall> &v) {
        const Stall worst = *std::max_element(
            v.begin(), v.end(), [](const Stall &a, const Stall &b) { return a.wallMs < b.wallMs; });
        printf("  %-40s %10.1f %10s %10.1f\n", name, worst.wallMs, "", worst.cpuMs);
    };
    stallRow("recovery copy: longest stall", stalls);
    stallRow("  idle for 500 ms: longest stall", idleStalls);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    SilentPrompter prompter;
    vc::Prompter::setInstance(&prompter);

    // The pictures exist, so the missing-picture check walks every mode
    // and asks nothing.
    QTemporaryDir dir;
    for (const int tracks : {1, 20}) {
        if (!runSize(app, dir, tracks, repeats))
            return 1;
    }
    if (prompter.messages != 0)
        fprintf(stderr, "note: %d dialogs were asked\n", prompter.messages);
    vc::Prompter::setInstance(nullptr);
    return 0;
}
