#pragma once

#include "core/device/showimage.h"
#include "core/device/streamfiles.h"
#include "core/model/moderecord.h"
#include "core/project/projectformat.h"

#include <QString>
#include <QVector>

// The command-line tool's view of a project: reading it, describing it and
// turning one of its tracks into the builder's input, with the refusals
// worded for a terminal. Messages are one English line that names the file.
namespace vc::ctl {

struct Project
{
    QString path;
    ProjectData data;
    // Decoded records, track 1 first, each track in its file order.
    QVector<QVector<ModeRecord>> tracks;
    // Per track, the 1-based numbers of records that could not be read whole.
    QVector<QVector<int>> damaged;
};

// Reads a project in the current format, as the editor reads it. Fails (with *error) when the file
// is missing or unreadable, is an old text project (its name lacks ".vtc3",
// which is how the editor tells the formats apart), or is damaged.
bool openProject(const QString &path, Project *project, QString *error);

// What the export button reads from the window, as options.
struct ShowOptions
{
    int track = 1; // in the editor's numbering: 1 is the bottom track
    int slot = 1;  // 1..8
    bool autoRepeat = true;
    int startMarkMs = 0;
};

constexpr int SlotCount = 8;
// The editor's frame-rate field holds 0..9999.
constexpr int MaxFpsText = 9999;

// The settings the editor's build would use for this project.
device::ShowSettings showSettings(const ProjectData &data, const ShowOptions &options);

// The builder's input for the chosen track and the settings of its build.
// Fails for a slot outside 1..8, a track that does not exist and a track
// holding a damaged record; what the build itself refuses (an empty track,
// the LED count, the frame rate, too many blocks) comes from the build.
bool prepareShow(const Project &project, const ShowOptions &options,
                 QVector<device::ShowItem> *items, device::ShowSettings *settings, QString *error);

// Why a build was refused, in one line (without the file name).
QString refusalText(const device::BuildResult &result, const device::ShowSettings &settings,
                    int track);

// The text of "info": LED count, frame rate, song, then one line per track
// and, with modes, one tab-separated line per mode after its track's line.
QString describeProject(const Project &project, bool modes);

// "picture", "colour", "text", "effect", or the number of an unknown kind.
QString kindName(int kind);

// How the tool writes a frame rate: "1333", "1333.5".
QString rateText(float rate);

} // namespace vc::ctl
