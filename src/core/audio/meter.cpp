#include "core/audio/meter.h"

#include <algorithm>
#include <cmath>

namespace vc::beats {

namespace {

// The low band's peak in the few hops after ms (a kick's or a bass note's
// energy builds over its first tens of ms).
double lowAt(double ms, const QVector<float> &low, double hopSeconds)
{
    return peakNear(ms, low, hopSeconds, 3);
}

// How much stronger the beats at phase p of every m-th beat are than the
// others: the ratio of their means, and the phase where it is greatest.
double contrast(const QVector<double> &accent, int m, int *phase)
{
    double best = 0;
    for (int p = 0; p < m; ++p) {
        double on = 0, off = 0;
        int nOn = 0, nOff = 0;
        for (int i = 0; i < accent.size(); ++i) {
            if (i % m == p) {
                on += accent[i];
                ++nOn;
            } else {
                off += accent[i];
                ++nOff;
            }
        }
        if (nOn == 0 || nOff == 0)
            continue;
        const double ratio = (on / nOn) / std::max(1e-12, off / nOff);
        if (ratio > best) {
            best = ratio;
            *phase = p;
        }
    }
    return best;
}

} // namespace

Meter findMeter(const QVector<int> &beats, const QVector<float> &low, double hopSeconds)
{
    Meter result;
    // Two bars of six at least, so that every phase is heard twice.
    if (beats.size() < 12 || low.isEmpty() || hopSeconds <= 0)
        return result;
    QVector<double> accent;
    for (int ms : beats)
        accent.append(lowAt(ms, low, hopSeconds));
    int p2 = 0, p3 = 0, p4 = 0, p6 = 0;
    const double c2 = contrast(accent, 2, &p2);
    const double c3 = contrast(accent, 3, &p3);
    const double c4 = contrast(accent, 4, &p4);
    const double c6 = contrast(accent, 6, &p6);
    const double duple = std::max(c2, c4);
    const double triple = std::max(c3, c6);
    // Accents a listener would not hear as bars.
    if (std::max(duple, triple) < 1.3)
        return result;
    if (triple > 1.1 * duple) {
        // Bars of six only when every other bar of three is clearly weaker.
        if (c6 > 1.25 * c3) {
            result.meter = 6;
            result.downbeat = p6;
        } else {
            result.meter = 3;
            result.downbeat = p3;
        }
        return result;
    }
    // Duple time is heard in bars of four unless the song says otherwise;
    // with every second beat accented alike, the stronger of the two starts
    // the bar.
    result.meter = 4;
    result.downbeat = c4 >= c2 ? p4 : p2;
    return result;
}

SongBeats followBass(const SongBeats &beats, const QVector<float> &low, double hopSeconds)
{
    if (beats.ms.size() < 8 || low.isEmpty() || hopSeconds <= 0)
        return beats;
    const double floor = 1e-3 * *std::max_element(low.cbegin(), low.cend());
    const QVector<int> &ms = beats.ms;
    double on = 0, between = 0;
    for (int i = 0; i + 1 < ms.size(); ++i) {
        on += lowAt(ms[i], low, hopSeconds);
        between += lowAt((ms[i] + ms[i + 1]) / 2.0, low, hopSeconds);
    }
    SongBeats out = beats;
    // The beats sit between the bass notes: move them half a beat on.
    if (between > 2 * on + floor * ms.size()) {
        out.ms.clear();
        const int lead = ms[0] - (ms[1] - ms[0]) / 2;
        if (lead >= 0)
            out.ms.append(lead);
        for (int i = 0; i + 1 < ms.size(); ++i)
            out.ms.append((ms[i] + ms[i + 1]) / 2);
    }
    if (out.bpm <= 140 || out.bpm / 2 < 60)
        return out;
    double even = 0, odd = 0;
    for (int i = 0; i < out.ms.size(); ++i)
        (i % 2 ? odd : even) += lowAt(out.ms[i], low, hopSeconds);
    if (std::min(even, odd) + floor * out.ms.size() >= 0.4 * std::max(even, odd))
        return out;
    return halfTempo(out, odd > even);
}

} // namespace vc::beats
