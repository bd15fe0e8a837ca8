// Times the two halves of getting a show onto the prop:
//   1. building the show image of a 10-minute track (300 picture modes of
//      2 s, 120 LEDs, 2100 columns per second) into the two stream files,
//      against writing the same number of bytes with one write call
//      (aim: the build within 3x of the plain write). A show image holds at
//      most 255 blocks, so the track is built as two images of 5 minutes
//      (150 modes each), one after the other;
//   2. the upload's throughput through a pseudo-terminal with a simulated
//      prop on the far side (aim: at least 2 MB/s, so that the program is
//      never what holds back a 115200-baud link of about 11.5 kB/s).
//
//   bench_device [repetitions] [upload megabytes]   (default 5, 16)

#include "core/device/showimage.h"
#include "core/device/streamfiles.h"
#include "core/device/workerthread.h"
#include "testsupport/propsimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QPainter>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace vc::device;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// 300 back-to-back picture modes of 2 s: thumbs 170 x 85 (240 columns at
// 120 LEDs) with the repeat count that plays each picture about once per
// pass; every tenth mode is a short one that gets split into passes.
QVector<ShowItem> tenMinuteTrack()
{
    QVector<ShowItem> items;
    for (int i = 0; i < 300; ++i) {
        ShowItem it;
        it.start = i * 2000;
        it.end = it.start + 2000;
        it.kind = i % 7 == 3 ? 3 : 0;
        it.loops = i % 10 == 9 ? 60 : 17;
        it.thumb = QImage(170, 85, QImage::Format_RGB32);
        it.thumb.fill(Qt::black);
        QPainter p(&it.thumb);
        for (int x = 0; x < 170; x += 10)
            p.fillRect(x, (x * 3 + i) % 60, 8, 25,
                       QColor::fromHsv((x * 2 + i * 11) % 360, 255, 255));
        items << it;
    }
    return items;
}

void benchBuild(int repetitions)
{
    const QVector<ShowItem> items = tenMinuteTrack();
    ShowSettings s;
    s.leds = 120;
    s.frameRate = 2100.0f;
    s.fpsText = 2100;
    s.slot = 1;
    s.autoRepeat = true;

    const QVector<ShowItem> halves[2] = {items.mid(0, 150), items.mid(150)};
    ShowSettings settings[2] = {s, s};
    settings[1].startMarkMs = halves[1].first().start;

    QTemporaryDir dir;
    const StreamFiles files{dir.filePath("extemp2.tmp"), dir.filePath("extemp.tmp")};
    std::vector<double> build, plain, memory;
    qint64 bytes = 0;
    for (int r = 0; r < repetitions; ++r) {
        QElapsedTimer t;
        t.start();
        bytes = 0;
        for (int half = 0; half < 2; ++half) {
            const StreamWriteResult res = writeStreamFiles(halves[half], settings[half], files);
            if (!res.ok()) {
                std::fprintf(stderr, "build failed\n");
                std::exit(1);
            }
            bytes += res.build.frameBytes + QFile(files.headerPath).size();
        }
        build.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        for (int half = 0; half < 2; ++half)
            buildShowImage(halves[half], settings[half]);
        memory.push_back(t.nsecsElapsed() / 1e6);

        // The same bytes, already in memory, written with one call.
        const QByteArray blob(int(bytes), char(0x2A));
        t.restart();
        QSaveFile out(dir.filePath("plain.tmp"));
        out.open(QIODevice::WriteOnly);
        out.write(blob);
        out.commit();
        plain.push_back(t.nsecsElapsed() / 1e6);
    }
    const double b = median(build), p = median(plain), m = median(memory);
    std::printf("show image: 300 picture modes, 10 min, 120 LEDs, 2100 columns/s"
                " (two images of 150)\n");
    std::printf("  image size           %.1f MB\n", bytes / 1e6);
    std::printf("  build into files     %8.1f ms (median of %d)\n", b, repetitions);
    std::printf("  build into memory    %8.1f ms\n", m);
    std::printf("  one write, same size %8.1f ms\n", p);
    std::printf("  build / plain write  %8.2fx   (aim: within 3x)\n", b / p);
}

void benchUpload(int megabytes)
{
    QTemporaryDir dir;
    const StreamFiles files{dir.filePath("extemp2.tmp"), dir.filePath("extemp.tmp")};
    ShowItem red;
    red.end = 480;
    red.kind = ColourMode;
    red.colour = Qt::red;
    ShowSettings s;
    s.leds = 2;
    s.frameRate = 10.0f;
    s.fpsText = 10;
    const ShowImage img = buildShowImage({red}, s);
    QFile h(files.headerPath);
    h.open(QIODevice::WriteOnly);
    h.write(img.header);
    h.close();
    const qint64 frameBytes = qint64(megabytes) << 20;
    QFile f(files.framePath);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray(int(frameBytes), char(0x20)));
    f.close();

    vc::test::PropSimulator prop;
    prop.setGreeting("Vantor");
    prop.setSlotAnswer("OK");
    prop.setFinalAnswer("END", headerWireBytes(img.header).size() + frameBytes);

    WorkerThread worker({prop.portName()}, files);
    QElapsedTimer clock;
    qint64 firstChunk = -1;
    qint64 done = -1;
    QObject::connect(&worker, &WorkerThread::progress, &worker, [&](int percent, int) {
        if (percent == 0 && firstChunk < 0)
            firstChunk = clock.nsecsElapsed();
        if (percent == 100)
            done = clock.nsecsElapsed();
    });
    clock.start();
    worker.start();
    while (!worker.isFinished() || done < 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (worker.isFinished() && !worker.success())
            break;
    }
    worker.wait();
    if (!worker.success() || firstChunk < 0 || done < 0) {
        std::fprintf(stderr, "upload failed\n");
        std::exit(1);
    }
    // The transfer: from the first chunk to the prop's answer, less the
    // fixed 100 ms pause before the answer is awaited.
    const double seconds = (done - firstChunk) / 1e9 - 0.1;
    std::printf("upload through a pseudo-terminal: %d MB of frames in 2048-byte chunks\n",
                megabytes);
    std::printf("  search, slot byte, header  %8.1f ms\n", firstChunk / 1e6);
    std::printf("  frames                     %8.1f ms\n", seconds * 1e3);
    std::printf("  throughput                 %8.1f MB/s   (aim: at least 2 MB/s)\n",
                frameBytes / 1e6 / seconds);
    std::printf("  prop received              %lld bytes\n", (long long)prop.received().size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("vc.*=false"));
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int megabytes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 16;
    benchBuild(repetitions);
    benchUpload(megabytes);
    return 0;
}
