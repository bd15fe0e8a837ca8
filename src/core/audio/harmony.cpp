#include "core/audio/harmony.h"

#include <algorithm>
#include <cmath>

namespace vc::beats {

QVector<qint8> pitchClasses(int bins, double binHz)
{
    QVector<qint8> classes(bins, -1);
    for (int b = 0; b < bins; ++b) {
        const double f = b * binHz;
        // A bin must be narrower than a semitone's step to name a note (the
        // step is about 6 % of the frequency); the overtones above 5 kHz
        // add little.
        if (f < binHz / 0.06 || f > 5000)
            continue;
        const int note = static_cast<int>(std::lround(12 * std::log2(f / 440.0)));
        classes[b] = static_cast<qint8>(((note % 12) + 12) % 12);
    }
    return classes;
}

Chroma chromaOf(const float *spectrum, const QVector<qint8> &classes)
{
    Chroma c{};
    const int n = 2 * (classes.size() - 1);
    for (int b = 1; b < n / 2; ++b) {
        if (classes[b] >= 0)
            c[classes[b]] += spectrum[b] * spectrum[b] + spectrum[n - b] * spectrum[n - b];
    }
    return c;
}

namespace {

// Sums of the chroma frames, to take the chroma of any stretch at once.
class Chords
{
public:
    Chords(const QVector<Chroma> &chroma, double frameSeconds, double firstSeconds)
        : m_frame(frameSeconds), m_first(firstSeconds), m_sums(chroma.size() + 1)
    {
        for (int i = 0; i < chroma.size(); ++i) {
            for (int p = 0; p < 12; ++p)
                m_sums[i + 1][p] = m_sums[i][p] + chroma[i][p];
        }
    }
    // How far the chroma of the `w` ms before `ms` lies from that of the `w`
    // ms after it: 0 for the same chord, 1 for no note in common.
    double change(double ms, double w) const
    {
        const int a = index(ms - w), m = index(ms), b = index(ms + w);
        double dot = 0, before = 0, after = 0;
        for (int p = 0; p < 12; ++p) {
            const double x = m_sums[m][p] - m_sums[a][p];
            const double y = m_sums[b][p] - m_sums[m][p];
            dot += x * y;
            before += x * x;
            after += y * y;
        }
        return before > 0 && after > 0 ? 1 - dot / std::sqrt(before * after) : 0;
    }

private:
    int index(double ms) const
    {
        const double i = std::ceil((ms / 1000 - m_first) / m_frame);
        return static_cast<int>(std::clamp(i, 0.0, double(m_sums.size() - 1)));
    }
    double m_frame;
    double m_first;
    QVector<std::array<double, 12>> m_sums;
};

double strengthAt(double ms, const QVector<float> &onset, double hopSeconds)
{
    return peakNear(ms, onset, hopSeconds, 1);
}

} // namespace

SongBeats followHarmony(const SongBeats &beats, const QVector<Chroma> &chroma, double frameSeconds,
                        double firstSeconds, const QVector<float> &onset, double hopSeconds)
{
    const QVector<int> &ms = beats.ms;
    if (ms.size() < 8 || chroma.isEmpty() || frameSeconds <= 0 || hopSeconds <= 0)
        return beats;
    const Chords chords(chroma, frameSeconds, firstSeconds);
    // Each stretch where the tempo holds is judged on its own: the tracker
    // may sit between the changes in one and on them in the next.
    SongBeats out = beats;
    out.ms.clear();
    const auto interval = [&](int i) { return ms[i + 1] - ms[i]; };
    for (int a = 0, b = 0; a < ms.size(); a = b + 1) {
        b = a;
        while (b + 1 < ms.size() &&
               (b == a || std::abs(interval(b) - interval(b - 1)) <= 0.05 * interval(b - 1)))
            ++b;
        double on = 0, between = 0, onsetOn = 0, onsetBetween = 0;
        for (int i = a; i < b; ++i) {
            const double half = interval(i) / 2.0;
            on += chords.change(ms[i], half);
            between += chords.change(ms[i] + half, half);
            onsetOn += strengthAt(ms[i], onset, hopSeconds);
            onsetBetween += strengthAt(ms[i] + half, onset, hopSeconds);
        }
        const int n = b - a;
        if (n < 8 || between <= 2 * on + 0.1 * n || onsetBetween < 0.7 * onsetOn) {
            out.ms += ms.mid(a, n + 1);
            continue;
        }
        const int lead = ms[a] - interval(a) / 2;
        if (lead >= 0 && (out.ms.isEmpty() || lead - out.ms.last() >= 0.4 * interval(a)))
            out.ms.append(lead);
        for (int i = a; i < b; ++i)
            out.ms.append(ms[i] + interval(i) / 2);
    }
    if (out.bpm <= 140 || out.bpm / 2 < 60)
        return out;
    double even = 0, odd = 0;
    int evens = 0, odds = 0;
    for (int i = 1; i + 1 < out.ms.size(); ++i) {
        const double c = chords.change(out.ms[i], (out.ms[i + 1] - out.ms[i - 1]) / 4.0);
        (i % 2 ? odd : even) += c;
        ++(i % 2 ? odds : evens);
    }
    even /= std::max(1, evens);
    odd /= std::max(1, odds);
    if (std::max(even, odd) < 0.1 || std::min(even, odd) >= 0.25 * std::max(even, odd))
        return out;
    return halfTempo(out, odd > even);
}

} // namespace vc::beats
