#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

namespace vc {

// One track given to one prop of a troupe: the performer's name and the
// serial port the prop is on. Tracks are numbered as the editor numbers
// them: 1 is the bottom track.
struct PropAssignment
{
    int track = 0;
    QString name;
    QString port;
    bool operator==(const PropAssignment &o) const
    {
        return track == o.track && name == o.name && port == o.port;
    }
    bool operator!=(const PropAssignment &o) const { return !(*this == o); }
};

// What a project keeps besides its show: the corrected beat grid and the
// props of a troupe. The project file's own format has no room for them
// and other readers of it must keep loading it, so they live in a small
// JSON file beside it (see extrasPathFor); a reader that knows nothing of
// that file loses nothing but these.
struct ProjectExtras
{
    // The beat grid as its owner writes it; empty: none stored (the beats
    // come from the song).
    QJsonObject beatGrid;
    // Ascending by track, one entry per track at most.
    QVector<PropAssignment> props;
    // Members this version does not know, kept as they were read so that
    // writing the file again does not lose what a newer editor put there.
    QJsonObject other;

    bool isEmpty() const { return beatGrid.isEmpty() && props.isEmpty() && other.isEmpty(); }
    bool operator==(const ProjectExtras &o) const
    {
        return beatGrid == o.beatGrid && props == o.props && other == o.other;
    }
    bool operator!=(const ProjectExtras &o) const { return !(*this == o); }
};

// "show.vtc3" -> "show.vtc3.json".
QString extrasPathFor(const QString &projectPath);

// The file's content: a JSON object with a format tag and a version.
QByteArray encodeExtras(const ProjectExtras &extras);
// False (with a reason) for what is not such a file or comes from a later
// version that this one cannot read. Props naming no track are dropped.
bool decodeExtras(const QByteArray &bytes, ProjectExtras *extras, QString *error);

// Reads the file beside a project. A project without one has no extras:
// that is no error.
bool readExtras(const QString &projectPath, ProjectExtras *extras, QString *error);
// Writes the file beside a project whole or not at all (a temporary file
// renamed into place); with nothing to store, removes it.
bool writeExtras(const QString &projectPath, const ProjectExtras &extras, QString *error);

} // namespace vc
