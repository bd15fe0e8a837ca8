#include "core/device/trackshow.h"

#include "core/model/trackorder.h"

namespace vc::device {

ShowItem showItem(const ModeRecord &record)
{
    ShowItem it;
    it.start = record.startMs();
    it.end = record.endMs();
    it.kind = record.kind;
    it.colour = record.colour;
    it.loops = record.loops;
    it.thumb = record.thumbImage();
    return it;
}

QVector<ShowItem> trackShowItems(const QVector<ModeRecord> &records, float frameRate, int leds)
{
    const QVector<ModeRecord> sorted = sortTrack(records, frameRate, leds);
    QVector<ShowItem> items;
    items.reserve(sorted.size());
    for (const ModeRecord &r : sorted)
        items.append(showItem(r));
    return items;
}

} // namespace vc::device
