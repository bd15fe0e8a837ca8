#include "ctl/projectshow.h"

#include "core/device/trackshow.h"
#include "core/model/show.h"
#include "core/project/project.h"
#include "core/project/projectnames.h"
#include "core/project/showproject.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace vc::ctl {

namespace {

QString named(const QString &path, const QString &what)
{
    return QDir::toNativeSeparators(path) + QLatin1String(": ") + what;
}

} // namespace

bool openProject(const QString &path, Project *project, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = named(path, QStringLiteral("no such file"));
        return false;
    }
    if (info.isDir()) {
        *error = named(path, QStringLiteral("is a folder, not a project file"));
        return false;
    }
    // The editor reads a name holding ".vtc3" as the current format and
    // any other as an old text project; the same test decides here.
    if (!isCurrentFormatName(path)) {
        *error = named(path, QStringLiteral("an old text project (or not a project): "
                                            "convert it first with \"vantorctl convert\""));
        return false;
    }
    // The same reading as the editor's: the same tracks, in the same order.
    // (What is kept beside the file is read by the commands that need it,
    // which report it there.)
    vc::Project document;
    QString extrasError;
    const ProjectReadResult read = readProject(path, &document, &extrasError);
    switch (read.status.code) {
    case ProjectReadStatus::Ok:
        break;
    case ProjectReadStatus::OpenFailed:
        *error = named(path, QStringLiteral("cannot be opened: ") + read.status.detail);
        return false;
    case ProjectReadStatus::ReadFailed:
    case ProjectReadStatus::Truncated:
    case ProjectReadStatus::Corrupt:
        *error = named(path, QStringLiteral("damaged project file (") + read.status.detail +
                                 QLatin1Char(')'));
        return false;
    }

    project->path = path;
    project->data = read.project;
    project->tracks.clear();
    project->damaged.clear();
    const QVector<Show::Track> &tracks = document.show()->tracks();
    for (int t = 0; t < tracks.size(); ++t) {
        QVector<ModeRecord> track;
        track.reserve(tracks.at(t).modes.size());
        bool whole = true;
        for (const Show::Mode &m : tracks.at(t).modes) {
            track.append(m.record);
            whole = whole && m.complete;
        }
        // Damaged records are named by their place in the file.
        QVector<int> damaged;
        const QVector<QByteArray> &records = read.project.tracks.at(t);
        for (int i = 0; !whole && i < records.size(); ++i) {
            bool ok = false;
            ModeRecord::decode(records.at(i), &ok, nullptr, ModeRecord::ThumbChecked);
            if (!ok)
                damaged.append(i + 1);
        }
        project->tracks.append(track);
        project->damaged.append(damaged);
    }
    return true;
}

device::ShowSettings showSettings(const ProjectData &data, const ShowOptions &options)
{
    device::ShowSettings s;
    s.leds = data.leds;
    // The editor takes a project's frame rate into its frame-rate field,
    // which holds whole numbers from 0 to 9999, and builds with the field's
    // value: the header text and the timing both follow it.
    s.fpsText = std::clamp(truncatedFrameRate(data.frameRate), 0, MaxFpsText);
    s.frameRate = float(s.fpsText);
    s.slot = options.slot;
    s.autoRepeat = options.autoRepeat;
    s.startMarkMs = options.startMarkMs;
    return s;
}

QString refusalText(const device::BuildResult &result, const device::ShowSettings &settings,
                    int track)
{
    using device::BuildRefusal;
    switch (result.refusal) {
    case BuildRefusal::None:
        return {};
    case BuildRefusal::EmptyTrack:
        return QStringLiteral("track %1 is empty").arg(track);
    case BuildRefusal::LedCount:
        return QStringLiteral("the LED count is %1; a show describes 1 to %2 LEDs")
            .arg(settings.leds)
            .arg(device::MaxLeds);
    case BuildRefusal::FrameRate:
        return QStringLiteral("the frame rate is %1; a show needs at least 1 column per second")
            .arg(rateText(settings.frameRate));
    case BuildRefusal::TooManyBlocks:
        return QStringLiteral("track %1 needs %2 blocks; a show holds at most %3 (fewer modes or "
                              "shorter pauses between them)")
            .arg(track)
            .arg(result.blocks)
            .arg(device::MaxBlocks);
    case BuildRefusal::WriteFailed:
        return QStringLiteral("the show image could not be written");
    }
    return {};
}

bool prepareShow(const Project &project, const ShowOptions &options,
                 QVector<device::ShowItem> *items, device::ShowSettings *settings, QString *error)
{
    const QString &path = project.path;
    if (options.slot < 1 || options.slot > SlotCount) {
        *error = named(
            path, QStringLiteral("slot %1 is outside 1 to %2").arg(options.slot).arg(SlotCount));
        return false;
    }
    const int count = project.tracks.size();
    if (options.track < 1 || options.track > count) {
        *error =
            named(path, QStringLiteral("track %1 does not exist (the project has %2 %3)")
                            .arg(options.track)
                            .arg(count)
                            .arg(count == 1 ? QStringLiteral("track") : QStringLiteral("tracks")));
        return false;
    }
    const QVector<ModeRecord> &records = project.tracks.at(options.track - 1);
    const QVector<int> &damaged = project.damaged.at(options.track - 1);
    if (!damaged.isEmpty()) {
        *error = named(path, QStringLiteral("track %1, mode %2: the record is damaged")
                                 .arg(options.track)
                                 .arg(damaged.first()));
        return false;
    }

    *settings = showSettings(project.data, options);
    *items = device::trackShowItems(records, settings->frameRate, settings->leds);

    return true;
}

QString kindName(int kind)
{
    switch (kind) {
    case Picture:
        return QStringLiteral("picture");
    case Colour:
        return QStringLiteral("colour");
    case Text:
        return QStringLiteral("text");
    case Effect:
        return QStringLiteral("effect");
    default:
        return QString::number(kind);
    }
}

QString rateText(float rate)
{
    return QString::number(double(rate), 'g', 9);
}

QString describeProject(const Project &project, bool modes)
{
    const ProjectData &d = project.data;
    QString out;
    out += QStringLiteral("LED count: %1\n").arg(d.leds);
    out += QStringLiteral("Frame rate: %1\n").arg(rateText(d.frameRate));
    out += QStringLiteral("Song: %1\n")
               .arg(d.hasSong() ? QDir::toNativeSeparators(d.songPath) : QStringLiteral("none"));
    for (int t = 0; t < project.tracks.size(); ++t) {
        const QVector<ModeRecord> &records = project.tracks.at(t);
        out += QStringLiteral("Track %1: %2 %3")
                   .arg(t + 1)
                   .arg(records.size())
                   .arg(records.size() == 1 ? QStringLiteral("mode") : QStringLiteral("modes"));
        if (!records.isEmpty()) {
            int first = records.first().startMs();
            int last = records.first().endMs();
            for (const ModeRecord &r : records) {
                first = std::min(first, r.startMs());
                last = std::max(last, r.endMs());
            }
            out += QStringLiteral(", %1 to %2").arg(formatTime(first), formatTime(last));
        }
        out += QLatin1Char('\n');
        if (!modes)
            continue;
        for (const ModeRecord &r : records) {
            const QStringList fields{formatTime(r.startMs()),  formatTime(r.endMs()),
                                     kindName(r.kind),         QString::number(r.loops),
                                     QString::number(r.speed), r.params};
            out += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
        }
    }
    return out;
}

} // namespace vc::ctl
