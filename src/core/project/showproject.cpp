#include "core/project/showproject.h"

#include "core/model/show.h"

namespace vc {

ProjectData projectOf(const Show &show)
{
    ProjectData data;
    data.leds = show.leds();
    data.frameRate = show.frameRate();
    data.songPath = show.songPath();
    for (const Show::Track &t : show.tracks()) {
        QVector<QByteArray> records;
        records.reserve(t.modes.size());
        for (const Show::Mode &m : t.modes)
            records.append(m.bytes);
        data.tracks.append(records);
    }
    if (data.tracks.isEmpty())
        data.tracks.append(QVector<QByteArray>());
    return data;
}

} // namespace vc
