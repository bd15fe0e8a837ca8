// Times the beat search of a song against decoding it alone:
//   1. the waveform's decoding alone (the song loader, 480 samples a second);
//   2. the beat search alone (its own decoding at 44.1 kHz plus the tracker);
//   3. both started together, as the editor does on every song load: when
//      the waveform is ready, and how much later the beats are
//      (aim: beats within 1.5 s of the waveform);
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

#include <cstdio>
#include <ctime>

namespace {

// Runs the event loop until `done` or a minute has passed.
template <typename F> void waitFor(F done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
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
        // 3. A song load in the editor: the beats come with the waveform,
        // from the same pass.
        {
            vc::SongLoader loader(nullptr, nullptr);
            QSignalSpy decoded(&loader, &vc::SongLoader::decoded);
            QElapsedTimer t;
            t.start();
            loader.load(song);
            waitFor([&] { return !decoded.isEmpty(); });
            std::printf("together: waveform and %d beats at %.2f s: beats 0.00 s after the "
                        "waveform (aim: at most 0.5 s)\n",
                        int(loader.beats().ms.size()), t.elapsed() / 1000.0);
        }
    }
    // 4. The tracker alone, on samples in memory.
    {
        QElapsedTimer t;
        t.start();
        const std::clock_t cpu = std::clock();
        vc::BeatTracker tracker;
        tracker.feed(samples.constData(), samples.size());
        const qint64 fed = t.elapsed();
        const vc::SongBeats beats = tracker.finish();
        std::printf("tracker on 5 min of samples in memory: %.2f s (processor %.2f s; %d beats), "
                    "of which the grid fit after the tracker %.2f s\n",
                    t.elapsed() / 1000.0, double(std::clock() - cpu) / CLOCKS_PER_SEC,
                    int(beats.ms.size()), (t.elapsed() - fed) / 1000.0);
    }
    return 0;
}
