#include "core/timeline/timescale.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace vc::timescale {

float scaleForZoom(int sliderValue)
{
    if (sliderValue <= 0)
        sliderValue = 1;
    const int squared = sliderValue * sliderValue;
    return static_cast<float>(640000 / squared) / 10.0f;
}

int msToX(qint64 ms, float scale)
{
    if (ms < 0)
        ms = 0;
    return static_cast<int>(static_cast<float>(ms) / scale + 0.5f);
}

int itemX(qint64 ms, float scale)
{
    if (ms < 0)
        ms = 0;
    return static_cast<int>(double(static_cast<float>(ms) / scale) + 0.5);
}

int xToMsTrunc(int x, float scale)
{
    return static_cast<int>(static_cast<float>(x) * scale);
}

int xToMsRound(int x, float scale)
{
    return static_cast<int>(static_cast<float>(x) * scale + 0.5f);
}

int spanWidth(qint64 ms, float scale)
{
    return static_cast<int>(static_cast<float>(ms) / scale);
}

int minItemWidth(float scale)
{
    return static_cast<int>(20.0f / scale);
}

int snapResizeEnd(int p, int rightLimit, int indicatorX)
{
    if (p >= rightLimit - 7 && p <= rightLimit + 3)
        return rightLimit;
    if (p >= indicatorX - 7 && p <= indicatorX + 3)
        return indicatorX;
    return p + 2;
}

int snapResizeStart(int p, int leftLimit, int indicatorX)
{
    if (p >= leftLimit - 3 && p <= leftLimit + 7)
        return leftLimit;
    if (p >= indicatorX - 3 && p <= indicatorX + 7)
        return indicatorX;
    return p - 2;
}

int snapMove(int n, int w, int leftLimit, int rightLimit, float scale)
{
    const float s = 5.0f / scale;
    const float fn = static_cast<float>(n);
    const float fl = static_cast<float>(leftLimit);
    const float fr = static_cast<float>(rightLimit);
    const float fe = static_cast<float>(n + w);
    if (fl + s >= fn - 5 && fn + 5 >= fl - s)
        return leftLimit;
    if (fe + 5 >= fr - s && fr + s >= fe - 5)
        return rightLimit - w;
    return n > 0 ? n : 0;
}

namespace {

// The beat nearest to pixel `target` whose x lies within [target - below,
// target + above]; -1 when none.
int beatNear(const QVector<int> &beats, float scale, float target, float below, float above,
             int *beatX)
{
    // A pixel stands for up to `scale` ms; look a pixel wider in time and
    // judge by the beat's own x.
    const qint64 from = static_cast<qint64>((target - below - 1) * scale);
    const qint64 to = static_cast<qint64>((target + above + 1) * scale) + 1;
    auto it = std::lower_bound(beats.cbegin(), beats.cend(), from);
    int best = -1;
    float bestDistance = 0;
    for (; it != beats.cend() && *it <= to; ++it) {
        const int x = msToX(*it, scale);
        if (x < target - below || x > target + above)
            continue;
        const float d = std::abs(x - target);
        if (best < 0 || d < bestDistance) {
            best = *it;
            bestDistance = d;
            *beatX = x;
        }
    }
    return best;
}

} // namespace

Snapped snapResizeEnd(int p, int rightLimit, int indicatorX, const QVector<int> &beats, float scale)
{
    Snapped s{snapResizeEnd(p, rightLimit, indicatorX), -1};
    const bool snapped = (p >= rightLimit - 7 && p <= rightLimit + 3) ||
                         (p >= indicatorX - 7 && p <= indicatorX + 3);
    int bx = 0;
    const int beat = beatNear(beats, scale, p, 3, 7, &bx);
    if (beat >= 0 && (!snapped || std::abs(bx - p) < std::abs(s.x - p)))
        s = {bx, beat};
    return s;
}

Snapped snapResizeStart(int p, int leftLimit, int indicatorX, const QVector<int> &beats,
                        float scale)
{
    Snapped s{snapResizeStart(p, leftLimit, indicatorX), -1};
    const bool snapped =
        (p >= leftLimit - 3 && p <= leftLimit + 7) || (p >= indicatorX - 3 && p <= indicatorX + 7);
    int bx = 0;
    const int beat = beatNear(beats, scale, p, 7, 3, &bx);
    if (beat >= 0 && (!snapped || std::abs(bx - p) < std::abs(s.x - p)))
        s = {bx, beat};
    return s;
}

Snapped snapMove(int n, int w, int leftLimit, int rightLimit, float scale,
                 const QVector<int> &beats)
{
    Snapped s{snapMove(n, w, leftLimit, rightLimit, scale), -1};
    // How far the edge that snapped had to go; none when nothing snapped.
    float distance = -1;
    if (s.x == leftLimit && std::abs(n - leftLimit) <= 5 + 5.0f / scale)
        distance = std::abs(n - leftLimit);
    else if (s.x == rightLimit - w && std::abs(n + w - rightLimit) <= 5 + 5.0f / scale)
        distance = std::abs(n + w - rightLimit);
    const float window = 5 + 5.0f / scale;
    int bx = 0;
    const int left = beatNear(beats, scale, n, window, window, &bx);
    if (left >= 0 && (distance < 0 || std::abs(bx - n) < distance)) {
        distance = std::abs(bx - n);
        s = {bx, left};
    }
    const int right = beatNear(beats, scale, n + w, window, window, &bx);
    if (right >= 0 && bx - w >= 0 && (distance < 0 || std::abs(bx - (n + w)) < distance)) {
        // The start lands a whole item's length before the beat.
        s = {bx - w, -1};
    }
    return s;
}

Snapped snapIndicator(int x, const QVector<int> &beats, float scale)
{
    const float window = 5 + 5.0f / scale;
    int bx = 0;
    const int beat = beatNear(beats, scale, x, window, window, &bx);
    return beat >= 0 ? Snapped{bx, beat} : Snapped{x, -1};
}

RulerMark::Tick tickFor(qint64 k, float z)
{
    if ((k % 100 == 0 && z <= 23) || (k % 500 == 0 && z > 23))
        return RulerMark::Major;
    if ((k % 10 == 0 && z <= 23) || (k % 50 == 0 && z > 23))
        return RulerMark::Medium;
    if (z <= 5)
        return RulerMark::Minor;
    return RulerMark::NoTick;
}

RulerMark::Label labelFor(qint64 k, float z)
{
    if ((k % 100 == 0 && z <= 10) || (k % 200 == 0 && z <= 23) || (k % 500 == 0 && z > 23))
        return RulerMark::TimeLabel;
    if (k % 20 == 0 && z <= 2.5f)
        return RulerMark::FractionLabel;
    return RulerMark::NoLabel;
}

QVector<RulerMark> rulerMarks(float scale, int width, int fromX, int toX)
{
    QVector<RulerMark> marks;
    if (scale <= 0 || width <= 0)
        return marks;
    const float step = 10.0f / scale;
    const float limit = static_cast<float>(qMin(width, toX));
    // Labels stand left of their tick, so marks just right of the range may
    // still show theirs inside it.
    const float from = static_cast<float>(fromX) - 1.0f;
    float x = 0;
    for (qint64 k = 0; x < limit; ++k, x += step) {
        if (x < from - 40.0f)
            continue;
        RulerMark m;
        m.x = x;
        m.ms = k * 10;
        m.tick = tickFor(k, scale);
        m.label = labelFor(k, scale);
        if (m.tick != RulerMark::NoTick || m.label != RulerMark::NoLabel)
            marks.append(m);
    }
    return marks;
}

int labelLeft(float x, RulerMark::Label label)
{
    const int half = label == RulerMark::TimeLabel ? 16 : 15;
    return std::max(0, static_cast<int>(x - half));
}

int tickTop(RulerMark::Tick tick)
{
    switch (tick) {
    case RulerMark::Major:
        return 17;
    case RulerMark::Medium:
        return 21;
    case RulerMark::Minor:
        return 25;
    case RulerMark::NoTick:
        break;
    }
    return RulerBottom;
}

double waveformY(qint16 sample)
{
    const double a = sample / 32767.0;
    return a >= 0 ? std::sqrt(a) : -std::sqrt(-a);
}

int waveformWidth(int points, float scale)
{
    return static_cast<int>(points / 0.48 / scale);
}

int msToSamples(qint64 ms)
{
    return static_cast<int>(ms * 0.48);
}

SongRange songRange(qint64 durationMs)
{
    SongRange r;
    if (durationMs <= DefaultTimelineMs) {
        r.sliderMax = DefaultTimelineMs;
        r.timelineMs = DefaultTimelineMs;
    } else {
        r.sliderMax = static_cast<int>(durationMs);
        r.timelineMs = static_cast<int>(durationMs);
    }
    return r;
}

int scrollToShow(int x, int value, int width)
{
    if (x >= value && x <= value + width)
        return value;
    return x - width / 2;
}

} // namespace vc::timescale
