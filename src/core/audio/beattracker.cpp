#include "core/audio/beattracker.h"

#include "core/audio/harmony.h"
#include "core/audio/meter.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vc {

struct BeatTracker::Aubio
{
    aubio_tempo_t *tempo = nullptr;
    aubio_fft_t *fft = nullptr;
    fvec_t *window = nullptr;
    fvec_t *frame = nullptr;
    fvec_t *complex = nullptr;
    aubio_specdesc_t *flux = nullptr;
    fvec_t *in = nullptr;
    fvec_t *beat = nullptr;
    cvec_t *spectrum = nullptr;
    fvec_t *strength = nullptr;
    aubio_fft_t *chromaFft = nullptr;
    fvec_t *chromaWindow = nullptr;
    fvec_t *history = nullptr; // the last chroma window of samples
    fvec_t *chromaFrame = nullptr;
    fvec_t *chromaComplex = nullptr;

    Aubio(int rate, int scale)
    {
        const uint_t hop = HopSize / scale;
        tempo = new_aubio_tempo("default", WindowSize / scale, hop, rate);
        // An onset strength of our own, on the same windows, to place the
        // grid and to tell the beat from the half and double beat.
        // Half the tracker's window: finer in time, and half the work.
        // As a phase vocoder whose window is its hop would do it, without
        // the phases (the flux needs the magnitudes only).
        static_assert(OnsetWindowSize == HopSize, "the onset window is one hop");
        fft = new_aubio_fft(OnsetWindowSize / scale);
        window = new_aubio_window(const_cast<char_t *>("hanningz"), OnsetWindowSize / scale);
        frame = new_fvec(OnsetWindowSize / scale);
        complex = new_fvec(OnsetWindowSize / scale);
        flux = new_aubio_specdesc("specflux", OnsetWindowSize / scale);
        in = new_fvec(hop);
        beat = new_fvec(1);
        spectrum = new_cvec(OnsetWindowSize / scale);
        strength = new_fvec(1);
        const uint_t chroma = ChromaWindowSize / scale;
        chromaFft = new_aubio_fft(chroma);
        chromaWindow = new_aubio_window(const_cast<char_t *>("hanningz"), chroma);
        history = new_fvec(chroma);
        chromaFrame = new_fvec(chroma);
        chromaComplex = new_fvec(chroma);
    }
    ~Aubio()
    {
        if (tempo)
            del_aubio_tempo(tempo);
        if (fft)
            del_aubio_fft(fft);
        for (fvec_t *v : {window, frame, complex}) {
            if (v)
                del_fvec(v);
        }
        if (flux)
            del_aubio_specdesc(flux);
        if (in)
            del_fvec(in);
        if (beat)
            del_fvec(beat);
        if (spectrum)
            del_cvec(spectrum);
        if (strength)
            del_fvec(strength);
        if (chromaFft)
            del_aubio_fft(chromaFft);
        for (fvec_t *v : {chromaWindow, history, chromaFrame, chromaComplex}) {
            if (v)
                del_fvec(v);
        }
    }
    bool ok() const
    {
        return tempo && fft && window && frame && complex && flux && in && beat && spectrum &&
               strength && chromaFft && chromaWindow && history && chromaFrame && chromaComplex;
    }
};

bool BeatTracker::isRate(int rate)
{
    for (int scale = 1; scale <= 8; scale *= 2) {
        if (rate * scale == SampleRate)
            return true;
    }
    return false;
}

BeatTracker::BeatTracker(int rate)
    : m_rate(isRate(rate) ? rate : SampleRate), m_hop(HopSize * m_rate / SampleRate),
      m_aubio(std::make_unique<Aubio>(m_rate, SampleRate / m_rate)),
      m_pitchClasses(beats::pitchClasses(ChromaWindowSize * m_rate / SampleRate / 2 + 1,
                                         double(SampleRate) / ChromaWindowSize))
{
}

BeatTracker::~BeatTracker() = default;

// Samples go straight into the tracker's input hop.
template <typename Sample, typename Convert>
void BeatTracker::feedSamples(const Sample *samples, qint64 count, Convert convert)
{
    if (!m_aubio->ok())
        return;
    fvec_t *in = m_aubio->in;
    while (count > 0) {
        const int n = static_cast<int>(std::min<qint64>(count, m_hop - m_filled));
        for (int i = 0; i < n; ++i)
            in->data[m_filled + i] = convert(samples[i]);
        m_filled += n;
        samples += n;
        count -= n;
        if (m_filled == m_hop) {
            runHop();
            m_filled = 0;
        }
    }
}

void BeatTracker::feed(const float *samples, qint64 count)
{
    feedSamples(samples, count, [](float v) { return v; });
}

void BeatTracker::feed(const qint16 *samples, qint64 count)
{
    feedSamples(samples, count, [](qint16 v) { return v / 32768.0f; });
}

void BeatTracker::runHop()
{
    Aubio &a = *m_aubio;
    double energy = 0;
    for (int i = 0; i < m_hop; ++i)
        energy += double(a.in->data[i]) * a.in->data[i];
    aubio_tempo_do(a.tempo, a.in, a.beat);
    if (a.beat->data[0] != 0) {
        m_trackerBeats.append(aubio_tempo_get_last_s(a.tempo));
        m_trackerBpm.append(aubio_tempo_get_bpm(a.tempo));
    }
    fvec_copy(a.in, a.frame);
    fvec_weight(a.frame, a.window);
    // Centred on the window's middle, as the vocoder does.
    std::swap_ranges(a.frame->data, a.frame->data + m_hop / 2, a.frame->data + m_hop / 2);
    aubio_fft_do_complex(a.fft, a.frame, a.complex);
    aubio_fft_get_norm(a.complex, a.spectrum);
    aubio_specdesc_do(a.flux, a.spectrum, a.strength);
    m_onset.append(a.strength->data[0]);
    // The first bins of the onset spectrum: up to about 200 Hz (the bins
    // are as wide at every rate: the window shrinks with it).
    const int lowBins = std::min<int>(a.spectrum->length, 200 * OnsetWindowSize / SampleRate + 1);
    float low = 0;
    for (int b = 0; b < lowBins; ++b)
        low += a.spectrum->norm[b] * a.spectrum->norm[b];
    m_low.append(low);
    m_level.append(static_cast<float>(energy / m_hop));

    fvec_t *h = a.history;
    std::copy(h->data + m_hop, h->data + h->length, h->data);
    std::copy(a.in->data, a.in->data + m_hop, h->data + h->length - m_hop);
    if (m_level.size() % ChromaStep == 0) {
        fvec_copy(h, a.chromaFrame);
        fvec_weight(a.chromaFrame, a.chromaWindow);
        // The spectrum only: its phases would cost more than the rest.
        aubio_fft_do_complex(a.chromaFft, a.chromaFrame, a.chromaComplex);
        m_chroma.append(beats::chromaOf(a.chromaComplex->data, m_pitchClasses));
    }
}

SongBeats BeatTracker::finish()
{
    if (!m_aubio->ok())
        return {};
    // The last part hop, padded with silence.
    if (m_filled > 0) {
        std::fill(m_aubio->in->data + m_filled, m_aubio->in->data + m_hop, 0.0f);
        runHop();
        m_filled = 0;
    }
    const double hop = double(m_hop) / m_rate;
    SongBeats result = beats::followBass(
        beats::fromTracker(m_trackerBeats, m_trackerBpm, m_onset, m_level, hop), m_low, hop);
    // A chroma frame is centred half its window before the hop it ends.
    const double frame = ChromaStep * hop;
    result = beats::followHarmony(result, m_chroma, frame,
                                  frame - double(ChromaWindowSize) / SampleRate / 2, m_onset, hop);
    const beats::Meter meter = beats::findMeter(result.ms, m_low, hop);
    result.meter = meter.meter;
    result.downbeat = meter.downbeat;
    return result;
}

namespace beats {

double foldTempo(double bpm)
{
    if (!(bpm > 0) || !std::isfinite(bpm))
        return 0;
    while (bpm < MinBpm)
        bpm *= 2;
    while (bpm > MaxBpm)
        bpm /= 2;
    return bpm;
}

namespace {

// A grid of beats: t = t0 + n x period.
struct Grid
{
    double t0 = 0;
    double period = 0;
    double at(double n) const { return t0 + n * period; }
};

// The onset strength of a song as a function of time.
class Strength
{
public:
    Strength(const QVector<float> &onset, double hop) : m_onset(onset), m_hop(hop) {}
    // The strongest onset within a hop of t. An onset shows in the first
    // window that reaches it, the hop that ends just after it.
    double at(double t) const
    {
        const int i = static_cast<int>(std::floor(t / m_hop));
        double best = 0;
        for (int j = i - 1; j <= i + 1; ++j) {
            if (j >= 0 && j < m_onset.size())
                best = std::max(best, double(m_onset[j]));
        }
        return best;
    }
    // Mean strength at the grid's beats within [a, b], moved by offset; with
    // a step of 2, only at its even beats (counted from t0).
    double along(const Grid &g, double offset, double a, double b, int step = 1) const
    {
        double sum = 0;
        int count = 0;
        double first = std::ceil((a - g.t0 - offset) / g.period);
        if (std::fmod(first, step) != 0)
            first += step - std::abs(std::fmod(first, step));
        for (double n = first; g.at(n) + offset <= b; n += step) {
            sum += at(g.at(n) + offset);
            ++count;
        }
        return count ? sum / count : 0;
    }
    double hop() const { return m_hop; }
    double length() const { return m_onset.size() * m_hop; }

private:
    const QVector<float> &m_onset;
    double m_hop;
};

double median(QVector<double> v)
{
    if (v.isEmpty())
        return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// Least-squares grid through beats given their beat numbers.
Grid fitLine(const QVector<double> &t, const QVector<double> &n)
{
    const int count = t.size();
    double sn = 0, st = 0, snn = 0, snt = 0;
    for (int i = 0; i < count; ++i) {
        sn += n[i];
        st += t[i];
        snn += n[i] * n[i];
        snt += n[i] * t[i];
    }
    Grid g;
    const double den = count * snn - sn * sn;
    if (count < 2 || den == 0)
        return g;
    g.period = (count * snt - sn * st) / den;
    g.t0 = (st - g.period * sn) / count;
    return g;
}

// The grid the song's onsets agree on best, with a period within 4 % of
// the tracker's. The tracker counts its period in whole hops, a step or
// two off the song's, and makes up for it by jumping back onto the beat now
// and then; its beats cannot give the period finely enough to hold over a
// whole song. Every onset peak votes, with its strength, for its phase
// within the period; the period whose votes pile up most in one place wins.
Grid combGrid(const QVector<float> &onset, double hop, double guess, double from, double to)
{
    struct Peak
    {
        double t;
        double strength;
    };
    QVector<Peak> peaks;
    double mean = 0;
    for (float v : onset)
        mean += v;
    mean /= std::max(1, int(onset.size()));
    for (int j = 1; j + 1 < onset.size(); ++j) {
        const double t = j * hop;
        if (onset[j] > mean && onset[j] >= onset[j - 1] && onset[j] > onset[j + 1] && t >= from &&
            t <= to)
            peaks.append({t, onset[j] - mean});
    }
    Grid best;
    if (peaks.isEmpty())
        return best;
    constexpr int Bins = 64;
    double bestScore = -1;
    double bins[Bins];
    // First in steps that let the grid drift by a sixteenth of a beat over
    // the whole song, then around the best of those in steps that let it
    // drift by less than a quarter of a hop.
    const double beats = std::max(1.0, (to - from) / guess);
    const double coarse = guess / 16 / beats;
    const double fine = std::max(guess * 1e-6, hop / 4 / beats);
    auto search = [&](double low, double high, double step) {
        for (double period = low; period <= high; period += step) {
            std::fill(bins, bins + Bins, 0.0);
            for (const Peak &p : peaks) {
                const double phase = beats::periodRemainder(p.t, period) / period;
                bins[std::min(Bins - 1, int(phase * Bins))] += p.strength;
            }
            for (int b = 0; b < Bins; ++b) {
                const double score = bins[(b + Bins - 1) % Bins] + bins[b] + bins[(b + 1) % Bins];
                if (score > bestScore) {
                    bestScore = score;
                    best.period = period;
                    best.t0 = (b + 0.5) * period / Bins;
                }
            }
        }
    };
    search(guess * 0.96, guess * 1.04, coarse);
    const double around = best.period;
    search(around - 2 * coarse, around + 2 * coarse, fine);
    return best;
}

// Whether the song keeps the grid's tempo from start to end: in nearly
// every stretch of 16 beats where there are onsets, the grid's beats are
// about as strong as those of the best grid of the tracker's own tempo
// there, and clearly stronger than the onsets in between.
bool keepsTempo(const Grid &g, double from, double to, const Strength &strength,
                const QVector<float> &onset, const QVector<double> &beats,
                const QVector<double> &periods)
{
    const double stretch = 16 * g.period;
    int stretches = 0, kept = 0;
    for (double a = from; a + stretch / 2 < to; a += stretch) {
        const double b = std::min(to, a + stretch);
        const double here = strength.along(g, 0, a, b);
        QVector<double> local;
        for (int i = 0; i < beats.size(); ++i) {
            if (beats[i] >= a && beats[i] < b && periods[i] > 0)
                local.append(periods[i]);
        }
        const Grid own =
            combGrid(onset, strength.hop(), local.isEmpty() ? g.period : median(local), a, b);
        const double best = own.period > 0 ? strength.along(own, 0, a, b) : 0;
        double mean = 0;
        int steps = 0;
        for (double offset = 0; offset < g.period; offset += strength.hop() / 2, ++steps)
            mean += strength.along(g, offset, a, b);
        mean /= std::max(1, steps);
        if (std::max(here, best) <= 0)
            continue;
        ++stretches;
        if (here >= 0.7 * best && here >= 1.5 * mean)
            ++kept;
    }
    return stretches > 0 && kept >= 0.8 * stretches;
}

// How far a beat may lie off a grid and still count as on it.
double tolerance(double period)
{
    return std::max(0.035, 0.12 * period);
}

// Tempo and placement between the beat and the half or double beat, where
// both lie in the tapped range: a beat whose off-beats are about as strong
// as the beats themselves is really twice as fast; a beat where every
// second one is much weaker is really half as fast.
Grid settleOctave(const Grid &g, double from, double to, const Strength &strength)
{
    const double bpm = 60.0 / g.period;
    Grid settled = g;
    const double on = strength.along(g, 0, from, to);
    if (on <= 0)
        return settled;
    // Where the onsets nearly decide, people tap between 60 and 140 BPM:
    // going above it takes a little more, coming back into it a little less.
    if (bpm * 2 <= MaxBpm) {
        const double off = strength.along(g, g.period / 2, from, to);
        if (off >= (bpm * 2 > PreferredMaxBpm ? 0.7 : 0.6) * on) {
            settled.period = g.period / 2;
            return settled;
        }
    }
    if (bpm / 2 >= MinBpm) {
        const double even = strength.along(g, 0, from, to, 2);
        const double odd = strength.along(g, g.period, from, to, 2);
        if (std::min(even, odd) < (bpm > PreferredMaxBpm ? 0.5 : 0.4) * std::max(even, odd)) {
            settled.period = g.period * 2;
            if (odd > even)
                settled.t0 = g.t0 + g.period;
        }
    }
    return settled;
}

// Three beats in the time of two: a tune in dotted quarters over a
// waltz's oom-pah-pah draws the tracker to a beat one and a half beats
// long, on the bar's first beat and half way through its second. The
// beat a listener taps is the accompaniment's, three in the time of two
// such beats. Where four in five of the beats that grid adds carry an
// onset of a tenth of the found beats' at least, and twice what sounds half
// way between, that is the beat.
Grid settleTriple(const Grid &g, double from, double to, const Strength &strength)
{
    const double period = g.period * 2 / 3;
    // (A grid found a hair slower than the beat.)
    if (60.0 / period > MaxBpm + 1)
        return g;
    for (const double phase : {0.0, g.period}) {
        const Grid fast{g.t0 + phase, period};
        QVector<double> added, between;
        for (double k = std::ceil((from - fast.t0) / period); fast.at(k) <= to; ++k) {
            if (std::fmod(std::abs(k), 3) != 0)
                added.append(strength.at(fast.at(k)));
            between.append(strength.at(fast.at(k) + period / 2));
        }
        if (added.size() < 8)
            continue;
        std::sort(added.begin(), added.end());
        std::sort(between.begin(), between.end());
        const double weakest = added[added.size() / 5];
        if (weakest >= 0.1 * strength.along(g, 0, from, to) &&
            weakest >= 2 * between[between.size() / 5])
            return fast;
    }
    return g;
}

// Moves the grid to where the onsets are strongest, within a fraction of a
// beat: the tracker places its beats a little off the onsets.
Grid alignToOnsets(Grid g, double from, double to, const Strength &strength)
{
    const double reach = std::min(0.06, g.period / 8);
    double bestOffset = 0;
    double best = strength.along(g, 0, from, to);
    for (double offset = -reach; offset <= reach; offset += strength.hop() / 2) {
        const double s = strength.along(g, offset, from, to);
        if (s > best * 1.0001) {
            best = s;
            bestOffset = offset;
        }
    }
    g.t0 += bestOffset;
    return g;
}

// Where the song sounds: from the first to the last hop louder than 50 dB
// below its loudest.
bool soundSpan(const QVector<float> &level, double hop, double *from, double *to)
{
    const float peak = level.isEmpty() ? 0 : *std::max_element(level.cbegin(), level.cend());
    if (!(peak > 1e-9f))
        return false;
    const float floor = peak * 1e-5f;
    int first = 0, last = level.size() - 1;
    while (first < last && level[first] < floor)
        ++first;
    while (last > first && level[last] < floor)
        --last;
    *from = first * hop;
    *to = (last + 1) * hop;
    return true;
}

// Marks start at the first beat that is heard and stop at the last: a pad
// before the drums come in, or the ring-out of the last chord, sounds, but
// nobody taps along with it, and on a prop a mark there is a flash with
// nothing to see it on. A beat is heard where its onset is at least a
// quarter of the song's typical onset at its beats.
QVector<int> heardBeats(const QVector<int> &ms, const Strength &strength)
{
    if (ms.size() < 8)
        return ms;
    QVector<double> at;
    at.reserve(ms.size());
    for (int t : ms)
        at.append(strength.at(t / 1000.0));
    const double floor = median(at) / 4;
    int first = 0, last = ms.size() - 1;
    while (first < last && at[first] < floor)
        ++first;
    while (last > first && at[last] < floor)
        --last;
    return ms.mid(first, last - first + 1);
}

QVector<int> gridBeats(const Grid &g, double from, double to)
{
    QVector<int> ms;
    const double slack = g.period / 4;
    for (double n = std::ceil((from - slack - g.t0) / g.period); g.at(n) <= to + slack; ++n) {
        const double t = g.at(n);
        if (t >= 0)
            ms.append(static_cast<int>(std::lround(t * 1000)));
    }
    return ms;
}

// The grid through the onset peaks nearest its beats within [from, to]:
// finer than the comb's bins where a run is short.
Grid fitToOnsets(const Grid &g, double from, double to, const QVector<float> &onset, double hop)
{
    double mean = 0;
    for (float v : onset)
        mean += v;
    mean /= std::max(1, int(onset.size()));
    const int reach = std::max(1, int(g.period / 8 / hop));
    QVector<double> t, n;
    for (double k = std::ceil((from - g.t0) / g.period); g.at(k) <= to; ++k) {
        const int c = static_cast<int>(std::lround(g.at(k) / hop));
        int best = -1;
        for (int j = std::max(0, c - reach); j <= c + reach && j < onset.size(); ++j) {
            if (best < 0 || onset[j] > onset[best])
                best = j;
        }
        if (best >= 0 && onset[best] > mean) {
            t.append(best * hop);
            n.append(k);
        }
    }
    if (t.size() < 8)
        return g;
    const Grid fitted = fitLine(t, n);
    return fitted.period > 0.98 * g.period && fitted.period < 1.02 * g.period ? fitted : g;
}

// Runs of the beats that keep one tempo get an even grid each, carried on
// into the gaps around them as long as the onsets are there; the beats
// between runs, where the tempo moves, stay as the tracker put them. Where
// one run follows another within a few beats, the tempo stepped there: the
// tracker follows a step a few seconds late, keeping the old tempo past it
// and taking up the new one late, so the step goes where the two grids
// together fall best on the onsets, the old one's beats before it and the
// new one's from it.
QVector<int> segmentedBeats(const QVector<double> &beats, const QVector<double> &periods,
                            const Strength &strength, const QVector<float> &onset, double from,
                            double to)
{
    struct Piece
    {
        Grid g;           // a run's grid; period 0 for a single tracker beat
        double lastK = 0; // the run's beats are k = 0 .. lastK
        double first = 0; // time of its first and last beat
        double last = 0;
        double mean = 0;             // onset strength at its beats
        double start = -1, end = -1; // where a step to or from it lies
    };
    QVector<Piece> pieces;
    constexpr int MinRun = 8;
    int i = 0;
    while (i < beats.size()) {
        // Grow a run while every beat stays on the grid fitted so far.
        int j = i + 1;
        const double period = periods[i];
        Grid g;
        g.t0 = beats[i];
        g.period = period;
        QVector<double> t{beats[i]}, n{0};
        while (j < beats.size() && period > 0) {
            const double k = std::round((beats[j] - g.t0) / g.period);
            if (k <= n.last() || std::abs(beats[j] - g.at(k)) > tolerance(g.period))
                break;
            t.append(beats[j]);
            n.append(k);
            if (t.size() >= 3) {
                const Grid fitted = fitLine(t, n);
                if (fitted.period > 0.8 * period && fitted.period < 1.25 * period)
                    g = fitted;
            }
            ++j;
        }
        Piece piece;
        if (t.size() >= MinRun) {
            // On the onsets from its first beat to the tracker's next: the
            // tracker's beats give the tempo roughly only, and may sit on the
            // off-beats.
            const double until = j < beats.size() ? beats[j] : to;
            const Grid placed = combGrid(onset, strength.hop(), g.period, g.at(0), until);
            if (placed.period > 0) {
                const Grid aligned =
                    alignToOnsets(fitToOnsets(placed, g.at(0), until, onset, strength.hop()),
                                  g.at(0), until, strength);
                const double k0 = std::round((g.t0 - aligned.t0) / aligned.period);
                piece.g = {aligned.at(k0), aligned.period};
                piece.lastK = std::round((g.at(n.last()) - piece.g.t0) / piece.g.period);
            } else {
                piece.g = g;
                piece.lastK = n.last();
            }
            piece.first = piece.g.at(0);
            piece.last = piece.g.at(piece.lastK);
            for (double k = 0; k <= piece.lastK; ++k)
                piece.mean += strength.at(piece.g.at(k));
            piece.mean /= piece.lastK + 1;
            i = j;
        } else {
            piece.first = piece.last = beats[i];
            ++i;
        }
        pieces.append(piece);
    }

    // Steps between runs at most 16 beats apart, searched from 16 beats
    // before the later run to 8 into it: every beat counts one when it falls
    // on an onset and minus one when not.
    const auto score = [&](const Piece &p, double k) {
        return strength.at(p.g.at(k)) >= 0.3 * p.mean ? 1 : -1;
    };
    for (int a = 0, b = 1; b < pieces.size(); ++b) {
        if (pieces[b].g.period <= 0)
            continue;
        if (pieces[a].g.period > 0) {
            Piece &pa = pieces[a];
            Piece &pb = pieces[b];
            const Grid &ga = pa.g;
            const Grid &gb = pb.g;
            const double gap = std::min(ga.period, gb.period) / 2;
            if (pb.first - pa.last <= 16 * std::max(ga.period, gb.period)) {
                const double lo = std::max(pa.first, std::min(pa.last, pb.first - 16 * ga.period));
                const double hi = std::min(pb.last, pb.first + 8 * gb.period);
                int best = std::numeric_limits<int>::min();
                for (double k = std::ceil((lo - gb.t0) / gb.period); gb.at(k) <= hi; ++k) {
                    int sum = 0;
                    for (double m = std::ceil((lo - ga.t0) / ga.period); ga.at(m) < gb.at(k) - gap;
                         ++m)
                        sum += score(pa, m);
                    for (double m = k; gb.at(m) <= hi; ++m)
                        sum += score(pb, m);
                    if (sum > best) {
                        best = sum;
                        pb.start = gb.at(k);
                        pa.end = gb.at(k) - gap;
                    }
                }
            }
        }
        a = b;
    }

    // A run goes on into the gaps around it while its beats are heard: a
    // beat a little weak in its hop, with the next one strong, counts.
    const auto heard = [&](const Piece &p, double k, double dir) {
        return score(p, k) > 0 || score(p, k + dir) > 0;
    };
    // Where its beats are heard, a run's grid wins over the tracker's single
    // beats around it: those are where it had not yet found the beat.
    QVector<double> out;
    bool stepping = false; // between two runs with a step between them
    double runEnd = std::numeric_limits<double>::lowest(); // the last beat a run gave
    double spacing = 0.15;                                 // the closest two beats may come
    for (int p = 0; p < pieces.size(); ++p) {
        const Piece &piece = pieces[p];
        if (piece.g.period <= 0) {
            if (!stepping && (out.isEmpty() || piece.first >= out.last() + spacing))
                out.append(piece.first);
            continue;
        }
        const Grid &g = piece.g;
        spacing = g.period / 2;
        double k = 0;
        if (piece.start >= 0) {
            k = std::ceil((piece.start - g.t0) / g.period - 1e-6);
        } else {
            QVector<double> before{g.at(0)};
            const double lower = std::max(from - g.period / 4, runEnd + spacing);
            for (double b = -1; g.at(b) > lower && heard(piece, b, -1); --b)
                before.prepend(g.at(b));
            while (!out.isEmpty() && out.last() > before.first() - spacing)
                out.removeLast();
            out += before.mid(0, before.size() - 1);
        }
        stepping = piece.end >= 0;
        if (stepping) {
            for (; g.at(k) < piece.end; ++k)
                out.append(g.at(k));
            runEnd = out.isEmpty() ? runEnd : out.last();
            continue;
        }
        for (; k <= piece.lastK; ++k)
            out.append(g.at(k));
        int next = p + 1;
        while (next < pieces.size() && pieces[next].g.period <= 0)
            ++next;
        const double upper =
            (next < pieces.size() ? pieces[next].first - spacing : to + g.period / 4);
        for (; g.at(k) < upper && heard(piece, k, 1); ++k)
            out.append(g.at(k));
        runEnd = out.isEmpty() ? runEnd : out.last();
    }
    QVector<int> ms;
    for (double t : out) {
        if (t >= 0 && (ms.isEmpty() || t * 1000 - ms.last() >= 150))
            ms.append(static_cast<int>(std::lround(t * 1000)));
    }
    return ms;
}

} // namespace

SongBeats fromTracker(const QVector<double> &trackerBeats, const QVector<double> &trackerBpm,
                      const QVector<float> &onset, const QVector<float> &level, double hopSeconds)
{
    SongBeats result;
    double from = 0, to = 0;
    if (trackerBeats.size() < 4 || trackerBpm.size() != trackerBeats.size() || hopSeconds <= 0 ||
        !soundSpan(level, hopSeconds, &from, &to))
        return result;
    const Strength strength(onset, hopSeconds);

    // The tracker's tempo at each beat, folded into the tapped range.
    QVector<double> periods;
    for (double bpm : trackerBpm) {
        const double folded = foldTempo(bpm);
        periods.append(folded > 0 ? 60.0 / folded : 0);
    }
    const double guess = median(periods);
    if (!(guess > 0))
        return result;

    // One grid for the whole song when the song keeps to it.
    Grid g = combGrid(onset, hopSeconds, guess, from, to);
    if (g.period > 0.8 * guess && g.period < 1.25 * guess) {
        const Grid octave = settleOctave(g, from, to, strength);
        const Grid triple = settleTriple(octave, from, to, strength);
        const Grid settled = alignToOnsets(triple, from, to, strength);
        // The tracker's beats are the dotted ones: its tempo is judged so.
        QVector<double> own = periods;
        for (double &p : own)
            p *= triple.period / octave.period;
        if (keepsTempo(settled, from, to, strength, onset, trackerBeats, own)) {
            result.bpm = 60.0 / settled.period;
            result.ms = heardBeats(gridBeats(settled, from, to), strength);
            return result;
        }
    }
    // The tempo moves: the tracker's beats, with even runs where it holds.
    // Its tempo is the one most of its beats keep.
    result.ms =
        heardBeats(segmentedBeats(trackerBeats, periods, strength, onset, from, to), strength);
    QVector<double> intervals;
    for (int i = 1; i < result.ms.size(); ++i)
        intervals.append((result.ms[i] - result.ms[i - 1]) / 1000.0);
    const double typical = median(intervals);
    result.bpm = foldTempo(typical > 0 ? 60.0 / typical : 60.0 / guess);
    return result;
}

SongBeats halfTempo(SongBeats beats, bool fromSecond)
{
    QVector<int> slower;
    for (int i = fromSecond ? 1 : 0; i < beats.ms.size(); i += 2)
        slower.append(beats.ms[i]);
    beats.ms = slower;
    beats.bpm /= 2;
    return beats;
}

double peakNear(double ms, const QVector<float> &perHop, double hopSeconds, int hopsAfter)
{
    const int h = static_cast<int>(std::floor(ms / 1000.0 / hopSeconds));
    double peak = 0;
    for (int j = std::max(0, h - 1); j <= h + hopsAfter && j < perHop.size(); ++j)
        peak = std::max(peak, double(perHop[j]));
    return peak;
}

double periodRemainder(double t, double period)
{
    // fmod's result, t - n * period for the whole n that puts it in
    // [0, period), is always representable, so one fused multiply-add with
    // that n gives it without rounding. The rounded quotient can put n off
    // by one; the result's range shows which way.
    double n = std::floor(t / period);
    double r = std::fma(-n, period, t);
    if (r < 0) {
        n -= 1;
        r = std::fma(-n, period, t);
    } else if (r >= period) {
        n += 1;
        r = std::fma(-n, period, t);
    }
    return r;
}

int nearestBeat(const QVector<int> &beats, qint64 ms, qint64 before, qint64 after)
{
    auto it = std::lower_bound(beats.cbegin(), beats.cend(), ms - before);
    int best = -1;
    qint64 bestDistance = 0;
    for (; it != beats.cend() && *it <= ms + after; ++it) {
        const qint64 d = std::abs(*it - ms);
        if (best < 0 || d < bestDistance) {
            best = int(it - beats.cbegin());
            bestDistance = d;
        }
    }
    return best;
}

} // namespace beats

} // namespace vc
