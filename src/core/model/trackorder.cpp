#include "core/model/trackorder.h"

#include <algorithm>

namespace vc {

void orderByStart(QVector<ModeRecord> &records)
{
    orderByStart(records, [](const ModeRecord &r) { return r.startMs(); });
}

placement::Span movedTimes(int rawStart, int rawEnd, int start, int end)
{
    const int s = start == std::max(rawStart, 0) ? rawStart : start;
    const int e = end == std::max(rawEnd, 0) ? rawEnd : end;
    return placement::Span{s, e};
}

QVector<ModeRecord> applyPlacement(const QVector<ModeRecord> &records,
                                   const placement::Result &result, float frameRate, int leds)
{
    return applyPlacement(
        records, result,
        [](const ModeRecord &r) {
            return placement::Span{r.start, r.end};
        },
        [frameRate, leds](ModeRecord &r, int start, int end) {
            r.retime(start, end, frameRate, leds);
        },
        [](const ModeRecord &r) { return r; });
}

QVector<ModeRecord> sortTrack(const QVector<ModeRecord> &records, float frameRate, int leds)
{
    QVector<placement::Span> spans;
    spans.reserve(records.size());
    for (const ModeRecord &r : records)
        spans.append(placement::Span{r.start, r.end});
    return applyPlacement(records, placement::sortItems(spans), frameRate, leds);
}

} // namespace vc
