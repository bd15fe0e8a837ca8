#pragma once

#include <QVector>
#include <QtGlobal>

#include <array>
#include <memory>

namespace vc {

// The beats of a song: its tempo and one time per beat. Empty when the
// song has no beat to find (silence, or too short to tell).
struct SongBeats
{
    double bpm = 0;   // the tempo a listener taps
    QVector<int> ms;  // beat times in ms from the song's start, ascending
    int meter = 4;    // beats per bar
    int downbeat = 0; // index in ms of the first beat that starts a bar
    bool isEmpty() const { return ms.isEmpty(); }
};

// Finds the beats of a song from its mono samples, fed in pieces of any
// size as they are decoded. The tracker underneath follows the song beat by
// beat; what it gives is then folded into the tempo range people tap at and,
// where the tempo holds, replaced by one even grid.
class BeatTracker
{
public:
    // The tracker's window sizes are made for this rate; at lower rates it
    // misjudges the tempo badly unless they shrink with it.
    static constexpr int SampleRate = 44100;
    static constexpr int WindowSize = 1024;
    static constexpr int HopSize = 512;
    static constexpr int OnsetWindowSize = 512;
    // The chords are told apart in longer windows, every few hops.
    static constexpr int ChromaWindowSize = 2048;
    static constexpr int ChromaStep = 4;
    // A rate of SampleRate divided by a power of two: the windows shrink by
    // the same factor, so they span the same time and the tempo and beat
    // times keep their resolution; half the rate is about half the work.
    static bool isRate(int rate);

    // Samples come at `rate` (see isRate(); any other rate counts as SampleRate).
    explicit BeatTracker(int rate = SampleRate);
    ~BeatTracker();
    BeatTracker(const BeatTracker &) = delete;
    BeatTracker &operator=(const BeatTracker &) = delete;

    void feed(const float *samples, qint64 count);
    void feed(const qint16 *samples, qint64 count);
    // Ends the song and works out its beats; feed nothing after it.
    SongBeats finish();

    // What the tracker itself found so far, in seconds (for inspection).
    const QVector<double> &trackerBeats() const { return m_trackerBeats; }
    // The energy below about 200 Hz of every hop, which tells the bars.
    const QVector<float> &lowBand() const { return m_low; }

private:
    void runHop();
    template <typename Sample, typename Convert>
    void feedSamples(const Sample *samples, qint64 count, Convert convert);

    struct Aubio;
    int m_rate = SampleRate;
    int m_hop = HopSize;
    std::unique_ptr<Aubio> m_aubio;
    int m_filled = 0;                        // samples in the tracker's input hop so far
    QVector<double> m_trackerBeats;          // seconds
    QVector<double> m_trackerBpm;            // the tracker's tempo at each beat
    QVector<float> m_onset;                  // onset strength, one value per hop
    QVector<float> m_level;                  // mean square level, one value per hop
    QVector<float> m_low;                    // low-band energy, one value per hop
    QVector<std::array<float, 12>> m_chroma; // pitch classes, every ChromaStep hops
    QVector<qint8> m_pitchClasses;           // of each bin of the chroma window
};

namespace beats {

// Tempos outside [MinBpm, MaxBpm] are halved or doubled into it.
constexpr double MinBpm = 70;
constexpr double MaxBpm = 180;
// Where nothing else decides, the tempo people tap lies at most here.
constexpr double PreferredMaxBpm = 140;
double foldTempo(double bpm);

// Turns the tracker's beats (seconds) and its tempo at each of them into
// the song's beats. `onset` and `level` hold the onset strength and the
// sound level of every hop of `hopSeconds`, the first hop ending at
// hopSeconds.
SongBeats fromTracker(const QVector<double> &trackerBeats, const QVector<double> &trackerBpm,
                      const QVector<float> &onset, const QVector<float> &level, double hopSeconds);

// The beats at half the tempo: every other beat, from the second when
// `fromSecond`.
SongBeats halfTempo(SongBeats beats, bool fromSecond);

// The largest of `perHop` (one value a hop of `hopSeconds`) from the hop
// before the one holding `ms` to `hopsAfter` hops after it.
double peakNear(double ms, const QVector<float> &perHop, double hopSeconds, int hopsAfter);

// std::fmod(t, period) for t >= 0 and period > 0, bit for bit, in a few
// times less time: the grid fit takes it for every onset peak and every
// trial period, and fmod's loop made up most of the fit.
double periodRemainder(double t, double period);

// Index of the beat nearest `ms` whose time lies within [ms - before,
// ms + after], or -1 when none does. `beats` is ascending.
int nearestBeat(const QVector<int> &beats, qint64 ms, qint64 before, qint64 after);

} // namespace beats

} // namespace vc
