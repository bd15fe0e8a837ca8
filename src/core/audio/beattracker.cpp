#include "core/audio/beattracker.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>

namespace vc {

struct BeatTracker::Aubio
{
    aubio_tempo_t *tempo = nullptr;
    aubio_pvoc_t *pvoc = nullptr;
    aubio_specdesc_t *flux = nullptr;
    fvec_t *in = nullptr;
    fvec_t *beat = nullptr;
    cvec_t *spectrum = nullptr;
    fvec_t *strength = nullptr;

    Aubio()
    {
        tempo = new_aubio_tempo("default", WindowSize, HopSize, SampleRate);
        // An onset strength of our own, on the same windows, to place the
        // grid and to tell the beat from the half and double beat.
        pvoc = new_aubio_pvoc(WindowSize, HopSize);
        flux = new_aubio_specdesc("specflux", WindowSize);
        in = new_fvec(HopSize);
        beat = new_fvec(1);
        spectrum = new_cvec(WindowSize);
        strength = new_fvec(1);
    }
    ~Aubio()
    {
        if (tempo)
            del_aubio_tempo(tempo);
        if (pvoc)
            del_aubio_pvoc(pvoc);
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
    }
    bool ok() const { return tempo && pvoc && flux && in && beat && spectrum && strength; }
};

BeatTracker::BeatTracker() : m_aubio(std::make_unique<Aubio>())
{
    m_hop.reserve(HopSize);
}

BeatTracker::~BeatTracker() = default;

void BeatTracker::feed(const float *samples, qint64 count)
{
    if (!m_aubio->ok())
        return;
    for (qint64 i = 0; i < count; ++i) {
        m_hop.append(samples[i]);
        if (m_hop.size() == HopSize)
            runHop();
    }
}

void BeatTracker::feed(const qint16 *samples, qint64 count)
{
    if (!m_aubio->ok())
        return;
    for (qint64 i = 0; i < count; ++i) {
        m_hop.append(samples[i] / 32768.0f);
        if (m_hop.size() == HopSize)
            runHop();
    }
}

void BeatTracker::runHop()
{
    Aubio &a = *m_aubio;
    double energy = 0;
    for (int i = 0; i < HopSize; ++i) {
        a.in->data[i] = m_hop[i];
        energy += double(m_hop[i]) * m_hop[i];
    }
    m_hop.clear();
    aubio_tempo_do(a.tempo, a.in, a.beat);
    if (a.beat->data[0] != 0) {
        m_trackerBeats.append(aubio_tempo_get_last_s(a.tempo));
        m_trackerBpm.append(aubio_tempo_get_bpm(a.tempo));
    }
    aubio_pvoc_do(a.pvoc, a.in, a.spectrum);
    aubio_specdesc_do(a.flux, a.spectrum, a.strength);
    m_onset.append(a.strength->data[0]);
    m_level.append(static_cast<float>(energy / HopSize));
}

SongBeats BeatTracker::finish()
{
    if (!m_aubio->ok())
        return {};
    // The last part hop, padded with silence.
    if (!m_hop.isEmpty()) {
        while (m_hop.size() < HopSize)
            m_hop.append(0.0f);
        runHop();
    }
    return beats::fromTracker(m_trackerBeats, m_trackerBpm, m_onset, m_level,
                              double(HopSize) / SampleRate);
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
    // Mean strength at the grid's beats n = from, from + step, ... within [a, b].
    double along(const Grid &g, double offset, double a, double b, double step = 1) const
    {
        double sum = 0;
        int count = 0;
        const double first = std::ceil((a - g.t0 - offset) / g.period);
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

// The beat period that best explains the tracker's beats, which are
// accurate in time but may skip beats: every pair of beats up to 20 s apart
// lies a whole number of periods apart. `guess` is the tracker's own tempo,
// which is a step or two off (it counts in whole hops).
double refinePeriod(const QVector<double> &beats, double guess)
{
    QVector<double> estimates;
    for (int i = 0; i < beats.size(); ++i) {
        for (int j = i + 1; j < beats.size() && beats[j] - beats[i] <= 20; ++j) {
            const double d = beats[j] - beats[i];
            const double n = std::round(d / guess);
            if (n >= 1 && std::abs(d - n * guess) <= 0.15 * guess) {
                // Wider pairs tell the period more finely.
                for (int w = 0; w < n; ++w)
                    estimates.append(d / n);
            }
        }
    }
    return estimates.isEmpty() ? guess : median(estimates);
}

// How far a beat may lie off a grid and still count as on it.
double tolerance(double period)
{
    return std::max(0.035, 0.12 * period);
}

// Fits one grid to beats about `period` apart: beat numbers by rounding,
// then least squares over the beats near the line, twice. Returns the grid
// and, in `inliers`, how many beats lie on it.
Grid fitGrid(const QVector<double> &beats, double period, int *inliers)
{
    Grid g;
    g.period = period;
    // Start from the phase most beats agree on.
    double bestPhase = beats.first();
    int bestCount = -1;
    for (double candidate : beats) {
        int count = 0;
        for (double b : beats) {
            const double r = std::remainder(b - candidate, period);
            if (std::abs(r) <= tolerance(period))
                ++count;
        }
        if (count > bestCount) {
            bestCount = count;
            bestPhase = candidate;
        }
    }
    g.t0 = bestPhase;
    int count = 0;
    for (int round = 0; round < 5; ++round) {
        QVector<double> t, n;
        for (double b : beats) {
            const double k = std::round((b - g.t0) / g.period);
            if (std::abs(b - g.at(k)) <= tolerance(period)) {
                t.append(b);
                n.append(k);
            }
        }
        count = t.size();
        if (count < 2)
            break;
        const Grid fitted = fitLine(t, n);
        if (!(fitted.period > 0.5 * period && fitted.period < 1.5 * period))
            break;
        g = fitted;
    }
    if (inliers)
        *inliers = count;
    return g;
}

// Tempo and placement between the beat and the half or double beat, where
// both lie in the tapped range: a beat whose off-beats are about as strong
// as the beats themselves is really twice as fast; a beat where every
// second one is much weaker is really half as fast.
double settleOctave(const Grid &g, double from, double to, const Strength &strength, Grid *settled)
{
    const double bpm = 60.0 / g.period;
    *settled = g;
    const double on = strength.along(g, 0, from, to);
    if (on <= 0)
        return bpm;
    if (bpm * 2 <= MaxBpm) {
        const double off = strength.along(g, g.period / 2, from, to);
        if (off >= 0.6 * on) {
            settled->period = g.period / 2;
            return bpm * 2;
        }
    }
    if (bpm / 2 >= MinBpm) {
        const double even = strength.along(g, 0, from, to, 2);
        const double odd = strength.along(g, g.period, from, to, 2);
        if (std::min(even, odd) < 0.4 * std::max(even, odd)) {
            settled->period = g.period * 2;
            if (odd > even)
                settled->t0 = g.t0 + g.period;
            return bpm / 2;
        }
    }
    return bpm;
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

// Runs of the beats that keep one tempo get an even grid each, carried on
// into the gaps around them as long as the onsets are there (the tracker
// takes a few seconds to follow a change); the beats between runs, where
// the tempo moves, stay as the tracker put them.
QVector<int> segmentedBeats(const QVector<double> &beats, const QVector<double> &periods,
                            const Strength &strength, double from, double to)
{
    struct Piece
    {
        Grid g;           // a run's grid; period 0 for a single tracker beat
        double lastK = 0; // the run's beats are k = 0 .. lastK
        double first = 0; // time of its first and last beat
        double last = 0;
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
            piece.g = g;
            piece.lastK = n.last();
            piece.first = g.at(0);
            piece.last = g.at(n.last());
            i = j;
        } else {
            piece.first = piece.last = beats[i];
            ++i;
        }
        pieces.append(piece);
    }

    QVector<double> out;
    for (int p = 0; p < pieces.size(); ++p) {
        const Piece &piece = pieces[p];
        if (piece.g.period <= 0) {
            out.append(piece.first);
            continue;
        }
        const Grid &g = piece.g;
        double mean = 0;
        for (double k = 0; k <= piece.lastK; ++k)
            mean += strength.at(g.at(k));
        mean /= piece.lastK + 1;
        const double lower = (out.isEmpty() ? from - g.period / 4 : out.last() + g.period / 2);
        const double upper =
            (p + 1 < pieces.size() ? pieces[p + 1].first - g.period / 2 : to + g.period / 4);
        QVector<double> before;
        for (double k = -1; g.at(k) > lower && strength.at(g.at(k)) >= 0.3 * mean; --k)
            before.prepend(g.at(k));
        out += before;
        for (double k = 0; k <= piece.lastK; ++k)
            out.append(g.at(k));
        for (double k = piece.lastK + 1; g.at(k) < upper && strength.at(g.at(k)) >= 0.3 * mean; ++k)
            out.append(g.at(k));
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
    const double period = refinePeriod(trackerBeats, guess);

    // One grid for the whole song when nearly all the beats sit on it or
    // half way between (where the tracker briefly took the double tempo);
    // the first few it gives while it settles may miss.
    int inliers = 0;
    Grid g = fitGrid(trackerBeats, period, &inliers);
    int onGrid = 0;
    for (double b : trackerBeats) {
        const double r = std::remainder(b - g.t0, g.period / 2);
        onGrid += std::abs(r) <= tolerance(g.period) ? 1 : 0;
    }
    if (g.period > 0 && inliers >= 4 && onGrid >= 0.8 * trackerBeats.size()) {
        Grid settled;
        settleOctave(g, from, to, strength, &settled);
        g = alignToOnsets(settled, from, to, strength);
        result.bpm = 60.0 / g.period;
        result.ms = gridBeats(g, from, to);
        return result;
    }
    // The tempo moves: the tracker's beats, with even runs where it holds.
    result.bpm = 60.0 / guess;
    result.ms = segmentedBeats(trackerBeats, periods, strength, from, to);
    return result;
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
