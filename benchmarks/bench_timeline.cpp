// Times the time axis on a five-minute song: decoding against GStreamer's
// own command-line pipeline, one zoom step, and one repaint of the visible
// tracks and waveform. Needs a display (run it under xvfb-run).
//
//   bench_timeline [song.mp3] [items] [tracks]
//
// Without a song it makes a five-minute MP3 with gst-launch-1.0.
#include "gui/app/mainwindow.h"
#include "gui/audio/chartview.h"
#include "gui/audio/songloader.h"
#include "gui/common/prompter.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

#include "bench_timeline_items.h"

namespace {

QTextStream out(stdout);

// Answers every dialog with its default so nothing waits for a person.
class QuietPrompter : public vc::Prompter
{
public:
    QMessageBox::StandardButton message(QWidget *, QMessageBox::Icon, const QString &,
                                        const QString &text, QMessageBox::StandardButtons,
                                        QMessageBox::StandardButton def) override
    {
        out << "  (message: " << text << ")\n";
        return def;
    }
};

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

bool makeSong(const QString &tool, const QString &path)
{
    // 1292 buffers of 10240 samples at 44.1 kHz: 300 s of a sweeping tone.
    QProcess p;
    p.start(tool, {"-q", "audiotestsrc", "wave=sine", "num-buffers=1292", "samplesperbuffer=10240",
                   "!", "audio/x-raw,rate=44100,channels=2", "!", "audioconvert", "!", "lamemp3enc",
                   "bitrate=128", "!", "filesink", "location=" + path});
    return p.waitForFinished(300000) && p.exitCode() == 0 && QFileInfo(path).size() > 0;
}

double gstDecodeMs(const QString &tool, const QString &path)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(tool, {"-q", "filesrc", "location=" + path, "!", "decodebin", "!", "audioconvert", "!",
                   "audioresample", "!", "audio/x-raw,rate=480,channels=1,format=S16LE", "!",
                   "fakesink"});
    p.waitForFinished(300000);
    return t.nsecsElapsed() / 1e6;
}

// Times a song load: until the waveform is shown, and until its beats are.
double loaderDecodeMs(MainWindow &w, const QString &path, int *points, double *beatsMs)
{
    double waveMs = -1;
    *beatsMs = -1;
    QElapsedTimer t;
    auto c = QObject::connect(w.song(), &vc::SongLoader::decoded,
                              [&] { waveMs = t.nsecsElapsed() / 1e6; });
    auto b = QObject::connect(w.song(), &vc::SongLoader::beatsFound,
                              [&] { *beatsMs = t.nsecsElapsed() / 1e6; });
    t.start();
    w.ReadSong(path);
    // Sleeps until the next event, as the editor's event loop does: the
    // overload with a time limit never sleeps, and a waiting loop that spins
    // takes a processor away from the decoder.
    while (waveMs < 0 || *beatsMs < 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QObject::disconnect(c);
    QObject::disconnect(b);
    *points = w.song()->points().size();
    return waveMs;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QuietPrompter prompter;
    vc::Prompter::setInstance(&prompter);

    const QString tool = QStandardPaths::findExecutable("gst-launch-1.0");
    if (tool.isEmpty()) {
        out << "gst-launch-1.0 is not installed\n";
        return 1;
    }
    QTemporaryDir dir;
    QString song = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int itemCount = argc > 2 ? atoi(argv[2]) : 2000;
    const int trackCount = argc > 3 ? atoi(argv[3]) : 10;
    if (song.isEmpty()) {
        song = dir.filePath("five-minutes.mp3");
        out << "making a five-minute MP3...\n";
        out.flush();
        if (!makeSong(tool, song)) {
            out << "could not encode an MP3 (lamemp3enc missing?)\n";
            return 1;
        }
    }

    MainWindow w;
    w.resize(1300, 885);
    w.show();
    if (qEnvironmentVariableIsSet("BENCH_NO_PREVIEW"))
        w.form()->GLWidget->hide();
    QCoreApplication::processEvents();

    // --- decoding, alternating the two so both see the same cache state
    QVector<double> gst, ours, beats, lag;
    int points = 0;
    gstDecodeMs(tool, song); // warm the file cache and the plug-in registry
    for (int i = 0; i < 3; ++i) {
        gst << gstDecodeMs(tool, song);
        double beatsMs = 0;
        ours << loaderDecodeMs(w, song, &points, &beatsMs);
        beats << beatsMs;
        lag << beatsMs - ours.last();
    }
    out << "decode " << QFileInfo(song).fileName() << ": " << points << " points\n";
    out << QString("  gst-launch-1.0 to 480 Hz mono: %1 ms (median of 3)\n")
               .arg(median(gst), 0, 'f', 1);
    out << QString("  song loader, waveform ready:   %1 ms (median of 3), ratio %2\n")
               .arg(median(ours), 0, 'f', 1)
               .arg(median(ours) / median(gst), 0, 'f', 2);
    out << QString("  song loader, beats ready:      %1 ms (median of 3), beats lag %2 ms\n")
               .arg(median(beats), 0, 'f', 1)
               .arg(median(lag), 0, 'f', 1);

    // --- items
    const int placed = addBenchItems(w, itemCount, trackCount);
    out << "items: " << placed << " over " << trackCount << " tracks\n";
    QCoreApplication::processEvents();

    // --- zoom steps: handler plus the layout it causes
    Ui::MainWindow *ui = w.form();
    QVector<double> zoom;
    const int values[] = {85, 90, 100, 120, 160, 120, 100, 80, 60, 40, 80};
    for (int v : values) {
        QElapsedTimer t;
        t.start();
        ui->timeline_scaler->setValue(v);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        zoom << t.nsecsElapsed() / 1e6;
    }
    out << QString("zoom step: median %1 ms, worst %2 ms\n")
               .arg(median(zoom), 0, 'f', 2)
               .arg(*std::max_element(zoom.begin(), zoom.end()), 0, 'f', 2);

    // --- repaint of the visible part of the tracks, ruler and waveform
    QWidget *viewport = ui->timeline_scroll->viewport();
    for (int v : {80, 160, 40, 80}) {
        ui->timeline_scaler->setValue(v);
        QCoreApplication::processEvents();
        QVector<double> paint;
        for (int i = 0; i < 10; ++i) {
            ui->timeline_scroll->horizontalScrollBar()->setValue(i * 997 % 20000);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            // Painting into an image runs every paint handler under the
            // viewport, whether or not the window system shows the window.
            QImage canvas(viewport->size(), QImage::Format_ARGB32_Premultiplied);
            QElapsedTimer t;
            t.start();
            viewport->render(&canvas);
            paint << t.nsecsElapsed() / 1e6;
            if (i == 3 && qEnvironmentVariableIsSet("BENCH_SAVE"))
                canvas.save(
                    QString("%1/repaint-%2.png").arg(qgetenv("BENCH_SAVE").constData()).arg(v));
        }
        out << QString("repaint at zoom %1 (%2 ms/px): median %3 ms, worst %4 ms\n")
                   .arg(v)
                   .arg(640000 / (v * v) / 10.0)
                   .arg(median(paint), 0, 'f', 2)
                   .arg(*std::max_element(paint.begin(), paint.end()), 0, 'f', 2);

        // All the tracks at once over the same stretch of time, as a window
        // tall enough to show every one of them would paint them.
        QWidget *tracks = ui->timeline_widget;
        QVector<double> all;
        for (int i = 0; i < 10; ++i) {
            ui->timeline_scroll->horizontalScrollBar()->setValue(i * 997 % 20000);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            const QPoint from = tracks->mapFrom(viewport, QPoint(0, 0));
            const QRect area(from.x(), 0, viewport->width(), tracks->height());
            QImage canvas(area.size(), QImage::Format_ARGB32_Premultiplied);
            QElapsedTimer t;
            t.start();
            tracks->render(&canvas, QPoint(), QRegion(area));
            all << t.nsecsElapsed() / 1e6;
            if (i == 3 && qEnvironmentVariableIsSet("BENCH_SAVE"))
                canvas.save(
                    QString("%1/tracks-%2.png").arg(qgetenv("BENCH_SAVE").constData()).arg(v));
        }
        out << QString("  all %1 tracks, %2 px wide: median %3 ms, worst %4 ms\n")
                   .arg(trackCount)
                   .arg(viewport->width())
                   .arg(median(all), 0, 'f', 2)
                   .arg(*std::max_element(all.begin(), all.end()), 0, 'f', 2);
    }
    out.flush();
    vc::Prompter::setInstance(nullptr);
    return 0;
}
