#pragma once

#include <QString>
#include <QVector>
#include <functional>

namespace vc::test {

// Writes a 16-bit PCM WAV file of `seconds` seconds. `sample(i, channel)`
// gives each sample; by default a 440 Hz tone at half scale.
bool writeWav(const QString &path, double seconds, int rate = 44100, int channels = 2,
              const std::function<qint16(qint64, int)> &sample = {});

// Encodes a WAV file to MP3 with GStreamer's command-line tool. Returns an
// empty string on success, else why it could not (tool or encoder missing).
QString encodeMp3(const QString &wavPath, const QString &mp3Path);

// Generated songs with a steady beat, mono floats in -1..1: a click on every
// beat, or a drum pattern (kick on beats 1 and 3, snare on 2 and 4, a
// hi-hat on every half beat), or a bass note on every beat under a louder
// click on every off-beat, or a waltz (a bass note on 1, a chord on 2 and
// 3; accented: the chord on 1 too, louder), or piano chords on every half
// beat that change on the beat (no bass). The first beat falls at
// `firstBeat` seconds; the last one a beat before the end.
enum class BeatSong
{
    Clicks,
    Drums,
    OffBeats,
    Waltz,
    AccentedWaltz,
    Piano
};
QVector<float> beatSong(BeatSong kind, double bpm, double seconds, double firstBeat = 0.5,
                        int rate = 44100);
// The same on the beats given (ms): a song whose tempo changes.
QVector<float> beatSong(BeatSong kind, const QVector<double> &beats, double seconds,
                        int rate = 44100);
// Clicks on every beat with a low tone on every `meter`-th beat from beat
// `accentFrom` on: bars a listener hears by their bass.
QVector<float> barSong(double bpm, int meter, int accentFrom, double seconds,
                       double firstBeat = 0.5);
// The beat times of such a song, in ms; from the first beat at or after
// `stepAt` seconds on at `then` BPM.
QVector<double> beatSongBeats(double bpm, double seconds, double firstBeat = 0.5, double then = 0,
                              double stepAt = 0);
// A sample function for writeWav playing `song` (at 44.1 kHz) on every channel.
std::function<qint16(qint64, int)> playing(const QVector<float> &song);

} // namespace vc::test
