// Times the beat search of a song against decoding it alone:
//   1. the waveform's decoding alone (the song loader, 480 samples a second);
//   2. the beat search alone (its own decoding plus the tracker);
//   3. both started together, as the editor does on every song load: when
//      the waveform is ready, and how much later the beats are
//      (aim: beats within 0.5 s of the waveform);
//   4. the tracker alone on the samples already in memory.
//
//   bench_beats [SONG]   (default: a generated 5-minute drum song at
//                         120 BPM, encoded to MP3 with GStreamer)

#include "core/audio/beattracker.h"
#include "core/audio/songdecoder.h"
#include "gui/audio/songloader.h"
#include "testsupport/audiofiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

// Runs the event loop until `done` or a minute has passed.
template <typename F> void waitFor(F done)
{
    QElapsedTimer t;
    t.start();
    // Sleeps until the next event (the overload with a time limit never
    // sleeps and would take a processor away from the decoder); the timer
    // wakes it to look at the clock.
    QTimer tick;
    tick.start(100);
    while (!done() && t.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));

    QTemporaryDir dir;
    QString song = app.arguments().value(1);
    const QVector<float> samples = vc::test::beatSong(vc::test::BeatSong::Drums, 120, 300, 0.5);
    if (song.isEmpty()) {
        const QString wav = dir.filePath(QStringLiteral("song.wav"));
        song = dir.filePath(QStringLiteral("song.mp3"));
        vc::test::writeWav(wav, 300, 44100, 2, vc::test::playing(samples));
        const QString why = vc::test::encodeMp3(wav, song);
        if (!why.isEmpty()) {
            std::printf("cannot make the MP3 (%s); timing the WAV\n", qPrintable(why));
            song = wav;
        }
    }
    std::printf("song: %s\n", qPrintable(song));

    for (int round = 0; round < 3; ++round) {
        // 1. The waveform alone.
        {
            vc::SongLoader loader(nullptr, nullptr);
            QSignalSpy decoded(&loader, &vc::SongLoader::decoded);
            QElapsedTimer t;
            t.start();
            const std::clock_t cpu = std::clock();
            loader.load(song);
            waitFor([&] { return !decoded.isEmpty(); });
            std::printf("waveform alone:        %6.2f s (processor %.2f s; %d points)\n",
                        t.elapsed() / 1000.0, double(std::clock() - cpu) / CLOCKS_PER_SEC,
                        int(loader.points().size()));
        }
        // 2. The beats alone (as the command-line tool finds them).
        {
            vc::SongBeats beats;
            QElapsedTimer t;
            t.start();
            const std::clock_t cpu = std::clock();
            vc::SongDecoder::searchBeats(song, &beats);
            std::printf("beat search alone:     %6.2f s (processor %.2f s; %d beats, %.2f BPM)\n",
                        t.elapsed() / 1000.0, double(std::clock() - cpu) / CLOCKS_PER_SEC,
                        int(beats.ms.size()), beats.bpm);
        }
        // 3. A song load in the editor: the beats follow the waveform,
        // from the same pass.
        {
            vc::SongLoader loader(nullptr, nullptr);
            QSignalSpy decoded(&loader, &vc::SongLoader::decoded);
            QSignalSpy found(&loader, &vc::SongLoader::beatsFound);
            QElapsedTimer t;
            t.start();
            loader.load(song);
            waitFor([&] { return !decoded.isEmpty(); });
            const qint64 wave = t.elapsed();
            waitFor([&] { return !found.isEmpty(); });
            std::printf("together: waveform at %.2f s, %d beats %.2f s after it "
                        "(aim: at most 0.5 s)\n",
                        wave / 1000.0, int(loader.beats().ms.size()),
                        (t.elapsed() - wave) / 1000.0);
        }
    }
    // 4. The tracker alone, on samples in memory: at 44.1 kHz and at the
    // rate the decoder gives it (every pair of samples averaged).
    QVector<int> full;
    for (const int rate : {int(vc::BeatTracker::SampleRate), int(vc::SongDecoder::BeatRate)}) {
        QVector<float> in = samples;
        for (int step = vc::BeatTracker::SampleRate / rate; step > 1; step /= 2) {
            for (int i = 0; 2 * i + 1 < in.size(); ++i)
                in[i] = (in[2 * i] + in[2 * i + 1]) / 2;
            in.resize(in.size() / 2);
        }
        QElapsedTimer t;
        t.start();
        const std::clock_t cpu = std::clock();
        vc::BeatTracker tracker(rate);
        tracker.feed(in.constData(), in.size());
        const qint64 fed = t.elapsed();
        const vc::SongBeats beats = tracker.finish();
        int shift = 0;
        if (full.isEmpty())
            full = beats.ms;
        for (int i = 0; i < qMin(full.size(), beats.ms.size()); ++i)
            shift = qMax(shift, qAbs(full[i] - beats.ms[i]));
        std::printf("tracker at %d Hz on 5 min of samples in memory: %.2f s (processor %.2f s; "
                    "%d beats, %.2f BPM, at most %d ms off 44.1 kHz), of which the grid fit "
                    "after the tracker %.2f s\n",
                    rate, t.elapsed() / 1000.0, double(std::clock() - cpu) / CLOCKS_PER_SEC,
                    int(beats.ms.size()), beats.bpm, shift, (t.elapsed() - fed) / 1000.0);
    }
    return 0;
}
