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
    using placement::Fate;
    QVector<ModeRecord> moved = records;
    QVector<ModeRecord> pieces(records.size());
    auto retime = [&](ModeRecord &r, int start, int end) {
        const placement::Span t = movedTimes(r.start, r.end, start, end);
        if (t.start != r.start || t.end != r.end)
            r.retime(t.start, t.end, frameRate, leds);
    };
    for (int i = 0; i < records.size(); ++i) {
        const placement::Outcome &o = result.outcomes.at(i);
        switch (o.fate) {
        case Fate::Kept:
        case Fate::Removed:
            break;
        case Fate::Retimed:
            retime(moved[i], o.start, o.end);
            break;
        case Fate::Split:
            // The second half is a copy of the record as it was.
            pieces[i] = records.at(i);
            retime(moved[i], o.start, o.end);
            pieces[i].retime(o.pieceStart, o.pieceEnd, frameRate, leds);
            break;
        }
    }
    QVector<ModeRecord> out;
    out.reserve(result.order.size());
    for (const placement::Slot &slot : result.order)
        out.append(slot.piece ? pieces.at(slot.index) : moved.at(slot.index));
    return out;
}

QVector<ModeRecord> placeRecord(const QVector<ModeRecord> &track, const ModeRecord &record,
                                float frameRate, int leds)
{
    QVector<ModeRecord> records = track;
    records.append(record);
    QVector<placement::Span> spans;
    spans.reserve(records.size());
    for (const ModeRecord &r : records)
        spans.append(placement::Span{r.start, r.end});
    return applyPlacement(records, placement::place(spans, int(records.size()) - 1), frameRate,
                          leds);
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
