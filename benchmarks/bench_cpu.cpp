// Processor use of the editor in three states, measured on the main window
// as the user sees it (scripts/bench-cpu.sh runs this on a virtual X
// display, so the preview gets the same software OpenGL as there):
//   idle       nothing loaded, nothing playing;
//   animating  a picture pattern spinning in the preview;
//   playing    a 30 s song playing over a track full of modes.
// Each state prints processor seconds per wall-clock second (1.00 = one
// core busy) of the whole process and of the GUI thread alone, and the
// preview's frames per second. Aims: idle <= 0.05, animating <= 0.30 at
// >= 50 frames per second, playing <= 0.50.
//
//   bench_cpu [seconds per state]   (default 10)

#include "bench_timeline_items.h"
#include "core/model/show.h"
#include "gui/app/mainwindow.h"
#include "gui/app/startup.h"
#include "gui/audio/playback.h"
#include "gui/audio/songloader.h"
#include "gui/common/prompter.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

// Dialogs would wait for a person; the benchmark answers none of them.
class SilentPrompter : public vc::Prompter
{
public:
    QMessageBox::StandardButton message(QWidget *, QMessageBox::Icon, const QString &,
                                        const QString &, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton) override
    {
        return QMessageBox::NoButton;
    }
};

double cpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// Counts the preview's paints: one per frame shown.
class FrameCounter : public QObject
{
public:
    int frames = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++frames;
        return false;
    }
};

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void measure(const char *state, int seconds, FrameCounter &counter)
{
    QElapsedTimer wall;
    const double process = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double gui = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const int frames = counter.frames;
    wall.start();
    runFor(seconds * 1000);
    const double w = wall.nsecsElapsed() / 1e9;
    printf("  %-10s %8.3f %8.3f %8.1f\n", state,
           (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process) / w,
           (cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - gui) / w, (counter.frames - frames) / w);
    fflush(stdout);
}

// A mono 16-bit song of `seconds` with a plain tone: enough for the player
// and the waveform.
bool writeSong(const QString &path, int seconds)
{
    const int rate = 8000;
    const quint32 bytes = quint32(seconds) * rate * 2;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&f);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + bytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(bytes);
    for (int i = 0; i < seconds * rate; ++i)
        out << qint16(8000 * std::sin(i * 2 * M_PI * 440 / rate));
    return f.error() == QFile::NoError;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    SilentPrompter prompter;
    vc::Prompter::setInstance(&prompter);
    QTemporaryDir dir;
    // As the program starts: a first run chooses the language and the prop.
    QTranslator translator;
    vc::applyStartupSettings(app, translator);

    // The window as a new user first sees it (no project to open).
    std::unique_ptr<MainWindow> window(vc::createMainWindow({app.arguments().value(0)}));
    MainWindow &w = *window;
    Ui::MainWindow *ui = w.form();
    FrameCounter counter;
    ui->GLWidget->installEventFilter(&counter);
    if (w.document()->leds() <= 0) {
        fprintf(stderr, "no prop chosen: the preview would have nothing to draw\n");
        return 1;
    }

    printf("%d s per state, window %d x %d, preview %d x %d\n", seconds, w.width(), w.height(),
           ui->GLWidget->width(), ui->GLWidget->height());
    printf("processor seconds per wall-clock second, preview frames per second\n");
    printf("  %-10s %8s %8s %8s\n", "state", "process", "gui", "fps");
    runFor(2000); // start-up settles
    measure("idle", seconds, counter);

    const QImage picture = benchGradient(400, 200);
    const QString picturePath = dir.filePath(QStringLiteral("picture.png"));
    picture.save(picturePath);
    ui->Mode_Pic->setCurrentIndex(vc::Picture);
    w.picload(picturePath);
    runFor(1000);
    measure("animating", seconds, counter);

    const QString songPath = dir.filePath(QStringLiteral("song.wav"));
    if (!writeSong(songPath, 30)) {
        fprintf(stderr, "cannot write the song\n");
        return 1;
    }
    bool decoded = false;
    QObject::connect(w.song(), &vc::SongLoader::decoded, [&](qint64) { decoded = true; });
    w.ReadSong(songPath);
    QElapsedTimer wait;
    wait.start();
    while (!decoded && wait.elapsed() < 30000)
        runFor(50);
    if (!decoded) {
        fprintf(stderr, "the song was not decoded\n");
        return 1;
    }
    addBenchItems(w, 30, 1, 30000);
    runFor(1000);
    w.playback()->play();
    runFor(500);
    measure("playing", seconds, counter);
    w.playback()->stop();
    vc::Prompter::setInstance(nullptr);
    return 0;
}
