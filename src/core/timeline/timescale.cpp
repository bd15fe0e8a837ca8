#include "core/timeline/timescale.h"

#include <QtMath>

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
