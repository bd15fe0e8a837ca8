#include "core/project/showproject.h"

#include "core/model/show.h"
#include "core/project/project.h"
#include "core/project/projectextras.h"

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

QVector<DecodedRecord> decodeRecords(const ProjectData &data, ModeRecord::ThumbDecoding thumbs)
{
    QVector<DecodedRecord> out;
    out.reserve(data.recordCount());
    for (const QVector<QByteArray> &track : data.tracks) {
        for (const QByteArray &bytes : track) {
            DecodedRecord d;
            d.record = ModeRecord::decode(bytes, &d.complete, &d.used, thumbs);
            out.append(d);
        }
    }
    return out;
}

void fillTracks(Show &show, const ProjectData &data, const QVector<DecodedRecord> &decoded)
{
    {
        // Each track's views are made once, when its modes are all there.
        const Show::Batch batch(&show);
        int index = 0;
        for (int t = 0; t < data.tracks.size(); ++t) {
            const Show::Id track = t == 0 ? show.currentTrack() : show.addTrack(t);
            for (const QByteArray &bytes : data.tracks.at(t)) {
                const DecodedRecord &d = decoded.at(index++);
                show.appendMode(track, bytes, d.record, d.complete, d.used);
            }
            show.orderTrack(track);
        }
    }
    for (const Show::Track &t : show.tracks()) {
        if (!t.modes.isEmpty()) {
            show.setCurrentTrack(t.id);
            break;
        }
    }
}

ProjectReadResult readProject(const QString &path, Project *project, QString *extrasError,
                              ModeRecord::ThumbDecoding thumbs)
{
    const ProjectReadResult read = loadProjectFile(path);
    if (!read.status.headerRead)
        return read;
    {
        const Project::Untracked loading(project);
        Show &show = *project->show();
        show.setLeds(read.project.leds);
        show.setFrameRate(read.project.frameRate);
        show.setSongPath(read.project.hasSong() ? read.project.songPath : QString());
        fillTracks(show, read.project, decodeRecords(read.project, thumbs));
        ProjectExtras extras;
        if (readExtras(path, &extras, extrasError))
            project->setExtras(extras);
        project->setPath(path);
    }
    project->startHistory();
    return read;
}

} // namespace vc
