#pragma once

#include "core/model/moderecord.h"
#include "core/project/projectformat.h"

#include <QString>
#include <QVector>

namespace vc {

class Project;
class Show;

// What a project file holds of a show: its prop, its song and every
// track's records in the track's order (at least one track).
ProjectData projectOf(const Show &show);

// A project file's records decoded, in file order, track 1 first.
struct DecodedRecord
{
    ModeRecord record;
    bool complete = false;
    int used = 0;
};
QVector<DecodedRecord> decodeRecords(const ProjectData &data,
                                     ModeRecord::ThumbDecoding thumbs = ModeRecord::ThumbLater);

// The inverse of projectOf for the tracks: puts a project file's tracks on
// a show that holds one empty track (a new or cleared one), each directly
// above the one before so that track 1 stays at the bottom, each in start
// order (a file from elsewhere may list a track out of order), and makes
// the lowest track holding modes current, the one export and upload take.
// `decoded` is decodeRecords(data). The editor and the command-line tool
// both read projects through it, so they see the same show.
void fillTracks(Show &show, const ProjectData &data, const QVector<DecodedRecord> &decoded);

// Reads a project file of the current format into a project that holds
// nothing yet: the prop, the song, the tracks and what is kept beside the
// file; the project's history starts there. The status is the file's
// (nothing is put in the project unless its header could be read); a file
// beside it that cannot be read leaves the extras empty and says why in
// *extrasError.
ProjectReadResult readProject(const QString &path, Project *project, QString *extrasError,
                              ModeRecord::ThumbDecoding thumbs = ModeRecord::ThumbChecked);

} // namespace vc
