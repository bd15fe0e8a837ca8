#include "core/audio/beatgrid.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace vc {

namespace {

// Beats closer than this are one beat (ms).
constexpr double MinPeriod = 100;
constexpr double MaxPeriod = 5000;
// More beats than a day-long song at 600 BPM is no grid.
constexpr int MaxBeats = 1000000;

// How far an interval may differ from its stretch's period and still keep
// the tempo: whole-ms rounding moves a beat by half a ms either way.
double steadyTolerance(double period)
{
    return std::max(2.5, 0.015 * period);
}

} // namespace

constexpr int BeatGrid::Meters[];

bool BeatGrid::isMeter(int meter)
{
    return std::find(std::begin(Meters), std::end(Meters), meter) != std::end(Meters);
}

BeatGrid BeatGrid::fromTimes(const QVector<double> &ms, int meter, int downbeat)
{
    BeatGrid g;
    g.m_meter = isMeter(meter) ? meter : 4;
    g.m_downbeat = downbeat >= 0 ? downbeat % g.m_meter : 0;
    int i = 0;
    while (i < ms.size()) {
        // Grow the stretch while every next beat lies where its period says.
        int j = i + 1;
        while (j < ms.size()) {
            const double period = j - i >= 2 ? (ms[j - 1] - ms[i]) / (j - 1 - i) : ms[j] - ms[i];
            if (std::abs(ms[j] - ms[j - 1] - period) > steadyTolerance(period))
                break;
            ++j;
        }
        Stretch s;
        s.start = ms[i];
        s.count = j - i;
        if (s.count >= 2)
            s.period = (ms[j - 1] - ms[i]) / (s.count - 1);
        else if (j < ms.size())
            s.period = ms[j] - ms[i];
        else
            s.period = g.m_stretches.isEmpty() ? 500 : g.m_stretches.last().period;
        g.m_stretches.append(s);
        i = j;
    }
    return g;
}

BeatGrid BeatGrid::fromSong(const SongBeats &beats)
{
    QVector<double> ms;
    ms.reserve(beats.ms.size());
    for (int t : beats.ms)
        ms.append(t);
    return fromTimes(ms, beats.meter, beats.downbeat);
}

int BeatGrid::beatCount() const
{
    int n = 0;
    for (const Stretch &s : m_stretches)
        n += s.count;
    return n;
}

QVector<double> BeatGrid::times() const
{
    QVector<double> t;
    t.reserve(beatCount());
    for (const Stretch &s : m_stretches) {
        for (int k = 0; k < s.count; ++k)
            t.append(s.at(k));
    }
    return t;
}

QVector<int> BeatGrid::beats() const
{
    QVector<int> ms;
    for (double t : times())
        ms.append(static_cast<int>(std::lround(t)));
    return ms;
}

int BeatGrid::barOf(int i) const
{
    if (i < m_downbeat || (i - m_downbeat) % m_meter != 0)
        return 0;
    return (i - m_downbeat) / m_meter + 1;
}

double BeatGrid::tempoAt(double ms) const
{
    if (m_stretches.isEmpty())
        return 0;
    // The last stretch begun by ms, or the first.
    const Stretch *playing = &m_stretches.first();
    for (const Stretch &s : m_stretches) {
        if (s.start <= ms)
            playing = &s;
    }
    return 60000.0 / playing->period;
}

int BeatGrid::nearestBeat(double ms) const
{
    const QVector<double> t = times();
    if (t.isEmpty())
        return -1;
    const auto it = std::lower_bound(t.cbegin(), t.cend(), ms);
    int i = int(it - t.cbegin());
    if (i == t.size() || (i > 0 && ms - t[i - 1] < t[i] - ms))
        --i;
    return i;
}

SongBeats BeatGrid::toSongBeats() const
{
    SongBeats b;
    b.ms = beats();
    b.bpm = m_stretches.isEmpty() ? 0 : 60000.0 / m_stretches.first().period;
    b.meter = m_meter;
    b.downbeat = m_downbeat;
    return b;
}

BeatGrid::Flat BeatGrid::flat() const
{
    Flat f;
    f.t = times();
    for (int i = 0; i < f.t.size(); ++i)
        f.down.append(barOf(i) > 0);
    return f;
}

// The first beat still marked as starting a bar decides where bars start.
BeatGrid BeatGrid::rebuilt(const Flat &f) const
{
    const int first = int(std::find(f.down.cbegin(), f.down.cend(), true) - f.down.cbegin());
    return fromTimes(f.t, m_meter, first < f.down.size() ? first % m_meter : 0);
}

BeatGrid BeatGrid::halved() const
{
    const Flat f = flat();
    Flat out;
    // Keep the beats an even number of beats away from the first bar's;
    // that one keeps starting a bar, and the meter places the others.
    for (int i = 0; i < f.t.size(); ++i) {
        if ((i - m_downbeat) % 2 == 0) {
            out.t.append(f.t[i]);
            out.down.append(i == m_downbeat);
        }
    }
    return rebuilt(out);
}

BeatGrid BeatGrid::doubled() const
{
    const Flat f = flat();
    Flat out;
    for (int i = 0; i < f.t.size(); ++i) {
        out.t.append(f.t[i]);
        out.down.append(f.down[i]);
        if (i + 1 < f.t.size()) {
            out.t.append((f.t[i] + f.t[i + 1]) / 2);
            out.down.append(false);
        }
    }
    return rebuilt(out);
}

BeatGrid BeatGrid::shifted(double deltaMs, double fromMs) const
{
    const Flat f = flat();
    Flat out;
    int firstMoved = int(std::lower_bound(f.t.cbegin(), f.t.cend(), fromMs) - f.t.cbegin());
    if (firstMoved >= f.t.size())
        return *this;
    const double movedStart = f.t[firstMoved] + deltaMs;
    // An earlier beat closer than a third of a period to the first moved
    // one would be a beat twice.
    const double period = m_stretches.isEmpty() ? 500 : 60000.0 / tempoAt(f.t[firstMoved]);
    for (int i = 0; i < f.t.size(); ++i) {
        const double t = i >= firstMoved ? f.t[i] + deltaMs : f.t[i];
        if (t < 0 || (i < firstMoved && t > movedStart - period / 3))
            continue;
        out.t.append(t);
        out.down.append(f.down[i]);
    }
    return rebuilt(out);
}

BeatGrid BeatGrid::withDownbeatAt(double ms) const
{
    BeatGrid g = *this;
    const int i = nearestBeat(ms);
    if (i >= 0)
        g.m_downbeat = i % m_meter;
    return g;
}

BeatGrid BeatGrid::withMeter(int meter) const
{
    BeatGrid g = *this;
    if (isMeter(meter)) {
        g.m_meter = meter;
        g.m_downbeat = m_downbeat % meter;
    }
    return g;
}

BeatGrid BeatGrid::tapped(const QVector<double> &taps, double fromMs, double toMs, int meter)
{
    const int n = taps.size();
    if (n < 4 || !std::is_sorted(taps.cbegin(), taps.cend()))
        return {};
    const double period = (taps.last() - taps.first()) / (n - 1);
    if (!(period >= 200 && period <= 2000))
        return {};
    // The phase the taps agree on: where their mean lands on the grid.
    double phase = 0;
    for (int i = 0; i < n; ++i)
        phase += taps[i] - i * period;
    phase /= n;
    const double lead = std::floor((phase - std::max(0.0, fromMs)) / period + 1e-9);
    double start = phase - lead * period;
    if (start < 0)
        start += period;
    Stretch s;
    s.start = start;
    s.period = period;
    s.count = std::max(n, int(std::floor((std::max(toMs, taps.last()) - start) / period)) + 1);
    BeatGrid g;
    g.m_meter = isMeter(meter) ? meter : 4;
    g.m_stretches.append(s);
    g.m_downbeat = g.nearestBeat(taps.first()) % g.m_meter;
    return g;
}

QJsonObject BeatGrid::toJson() const
{
    QJsonArray stretches;
    for (const Stretch &s : m_stretches)
        stretches.append(QJsonArray{s.start, s.period, s.count});
    return QJsonObject{{QStringLiteral("meter"), m_meter},
                       {QStringLiteral("downbeat"), m_downbeat},
                       {QStringLiteral("stretches"), stretches}};
}

bool BeatGrid::fromJson(const QJsonObject &json, BeatGrid *grid, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    BeatGrid g;
    g.m_meter = json.value(QLatin1String("meter")).toInt();
    g.m_downbeat = json.value(QLatin1String("downbeat")).toInt(-1);
    if (!isMeter(g.m_meter))
        return fail(QStringLiteral("the meter is not 2, 3, 4 or 6"));
    if (g.m_downbeat < 0 || g.m_downbeat >= g.m_meter)
        return fail(QStringLiteral("the first bar starts outside the first bar"));
    qint64 total = 0;
    double end = -1;
    for (const QJsonValue &v : json.value(QLatin1String("stretches")).toArray()) {
        const QJsonArray a = v.toArray();
        Stretch s;
        s.start = a.at(0).toDouble(-1);
        s.period = a.at(1).toDouble(-1);
        s.count = a.at(2).toInt(0);
        if (a.size() != 3 || !std::isfinite(s.start) || s.start < 0 || !(s.period >= MinPeriod) ||
            !(s.period <= MaxPeriod) || s.count < 1)
            return fail(QStringLiteral("a stretch of beats is not one"));
        total += s.count;
        if (total > MaxBeats)
            return fail(QStringLiteral("too many beats"));
        if (s.start <= end)
            return fail(QStringLiteral("stretches of beats overlap"));
        end = s.last();
        g.m_stretches.append(s);
    }
    if (g.m_stretches.isEmpty())
        return fail(QStringLiteral("no beats"));
    *grid = g;
    return true;
}

} // namespace vc
