#pragma once

#include <QVector>
#include <QtGlobal>

// The arithmetic of the time axis: zoom, time <-> pixel conversions, the
// snapping of dragged item edges, the ruler's ticks and labels, the waveform
// geometry and the song's time range. Pure functions, no widgets.
namespace vc::timescale {

// Milliseconds per pixel for a zoom slider value: trunc(640000 / v^2) / 10,
// so 40 -> 40.0, 80 -> 10.0, 100 -> 6.4, 160 -> 2.5.
float scaleForZoom(int sliderValue);

// Screen x of a time: ms / scale rounded (add 0.5, truncate). Negative
// times count as 0.
int msToX(qint64 ms, float scale);
// The x of an item's time on its track: like msToX, but the quotient is
// rounded in double precision, as items have always been laid out.
int itemX(qint64 ms, float scale);
// Time of a screen x, truncated (ruler clicks, resizing drags).
int xToMsTrunc(int x, float scale);
// Time of a screen x, rounded (an item's times after a move).
int xToMsRound(int x, float scale);
// Width in pixels of a time span: trunc(ms / scale) (ruler, ghost).
int spanWidth(qint64 ms, float scale);
// Narrowest an item may be drawn: trunc(20 / scale).
int minItemWidth(float scale);

// Distance the pointer must travel (Manhattan length) before a drag moves
// anything, and the width of an item's resize handles.
constexpr int DragThreshold = 5;
constexpr int EdgeWidth = 8;

// Where the end of an item lands when its right edge is dragged to pointer
// x p: the right neighbour's start (rightLimit) when p is within
// [rightLimit - 7, rightLimit + 3], else the indicator x when p is within
// [indicator - 7, indicator + 3], else p + 2.
int snapResizeEnd(int p, int rightLimit, int indicatorX);
// The mirror for the start: leftLimit when p is in [leftLimit - 3,
// leftLimit + 7], else the indicator within [I - 3, I + 7], else p - 2.
int snapResizeStart(int p, int leftLimit, int indicatorX);
// Where an item of width w moved to x n lands: touching its left neighbour
// (leftLimit) or its right neighbour (rightLimit - w) when within 5 pixels
// plus 5 / scale, else at n, never left of 0.
int snapMove(int n, int w, int leftLimit, int rightLimit, float scale);

// Snapping to the song's beats (times in ms, ascending) as well: a beat
// whose x lies in the window the rules above use wins when it is nearer to
// the pointer than what those rules chose. `beatMs` is the beat's time when
// one won, else -1, so a caller can take the beat's exact time rather than
// the time of its pixel.
struct Snapped
{
    int x = 0;
    int beatMs = -1;
};
Snapped snapResizeEnd(int p, int rightLimit, int indicatorX, const QVector<int> &beats,
                      float scale);
Snapped snapResizeStart(int p, int leftLimit, int indicatorX, const QVector<int> &beats,
                        float scale);
// For a move, either edge of the item may land on a beat; beatMs is the
// time the item's start lands on.
Snapped snapMove(int n, int w, int leftLimit, int rightLimit, float scale,
                 const QVector<int> &beats);
// The play indicator dragged to x lands on a beat within the window of a
// move (5 pixels plus 5 / scale).
Snapped snapIndicator(int x, const QVector<int> &beats, float scale);

// One place on the ruler, every 10 ms.
struct RulerMark
{
    enum Tick
    {
        NoTick,
        Minor,
        Medium,
        Major
    };
    enum Label
    {
        NoLabel,
        TimeLabel,
        FractionLabel
    };
    float x = 0;   // pixel position, accumulated in single precision
    qint64 ms = 0; // k x 10
    Tick tick = NoTick;
    Label label = NoLabel;
};

// Tick kind and label kind of step k (k x 10 ms) at the given scale.
RulerMark::Tick tickFor(qint64 k, float scale);
RulerMark::Label labelFor(qint64 k, float scale);
// Left end of a label's text at a mark's x: centred on the tick, but never
// left of the ruler's start, so the first label ("00:00") shows whole.
int labelLeft(float x, RulerMark::Label label);
// The marks with a tick or a label whose x lies in [fromX, toX), for a
// ruler of the given width. x advances by 10 / scale per step, summed in
// single precision from 0 as the ruler has always drawn it.
QVector<RulerMark> rulerMarks(float scale, int width, int fromX, int toX);
// Top of a tick line of each kind; every tick ends at RulerBottom.
int tickTop(RulerMark::Tick tick);
constexpr int RulerTop = 17;
constexpr int RulerBottom = 30;
constexpr int LabelBaseline = 15;

// Waveform: y of one 16-bit sample, the signed square root of sample / 32767.
double waveformY(qint16 sample);
// Waveform samples per second, and its pixel width for a number of points.
constexpr double WaveformRate = 480.0;
int waveformWidth(int points, float scale);
// A time in waveform samples (the progress dialog's unit): trunc(ms x 0.48).
int msToSamples(qint64 ms);

// The slider maximum and timeline length for a decoded song: songs up to
// five minutes keep the five-minute timeline, longer ones get their own.
struct SongRange
{
    int sliderMax = 0;
    int timelineMs = 0;
};
constexpr int DefaultTimelineMs = 300000;
SongRange songRange(qint64 durationMs);

// Horizontal scroll value that keeps x in view: value itself when x lies
// within [value, value + width], else x - trunc(width / 2) (which may be
// negative; the scroll bar clamps it).
int scrollToShow(int x, int value, int width);

} // namespace vc::timescale
