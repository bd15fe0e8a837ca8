#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class QIODevice;
class QSaveFile;

namespace vc {

// The content of a project file in the current binary format (".vtc3"):
// one big-endian Qt data stream holding
//   qint16  LED count
//   double  frame rate (kept as a float in the program)
//   QString song path, or the four characters "null" when there is no song
//   QByteArray records: the mode records of track 1, then "NEXT", the
//           records of track 2, and so on; an empty track is nothing between
//           two separators, and there is no separator after the last track.
// There is no magic number and no version field.
struct ProjectData
{
    qint16 leds = 0;
    float frameRate = 0.0f;
    // Empty when the project has no song; written as "null".
    QString songPath;
    // Track 1 first; each track is its mode records in item order. Hidden
    // tracks are left out by the caller. Reading always yields at least one
    // track.
    QVector<QVector<QByteArray>> tracks;

    bool hasSong() const { return !songPath.isEmpty(); }
    int recordCount() const;
};

// Told after each record written: the bytes written so far of the whole
// file's; returning false cancels.
using SaveProgress = std::function<bool(qint64 done, qint64 total)>;

// The record that separates two tracks in a project file.
QByteArray trackSeparator();

// The song path text stored for a project without a song.
QString noSongMarker();

// Writes the project to an open device. Returns false when the device
// refused a write (the device's errorString() says why).
bool writeProject(QIODevice &device, const ProjectData &project);
// The same, telling the progress after each record; stops (and returns
// false with *cancelled set) when the progress says so.
bool writeProject(QIODevice &device, const ProjectData &project, const SaveProgress &progress,
                  bool *cancelled);
// The whole file content, as writeProject() would write it.
QByteArray encodeProject(const ProjectData &project);
// Its length in bytes, without encoding it.
qint64 encodedProjectSize(const ProjectData &project);

// How reading a project went.
struct ProjectReadStatus
{
    enum Code
    {
        Ok,
        // The file could not be opened (loadProjectFile only).
        OpenFailed,
        // The device reported a read error.
        ReadFailed,
        // The data ends inside the header or inside a record; everything up
        // to the last whole record was kept.
        Truncated,
        // A length or value that cannot belong to a project file (an odd
        // string length, a song path longer than any file name, a file larger
        // than any project); reading stopped there.
        Corrupt,
    };
    Code code = Ok;
    // A short English description for the debug log and the command line.
    QString detail;
    // The same in the interface's language, for the editor's messages.
    QString reason;
    // True when the header was read whole; only then is the result usable
    // as a project. A file whose header could not be read must not replace
    // the project being edited.
    bool headerRead = false;
    // Mode records kept (separators not counted).
    int records = 0;
    // Empty (zero-length or null) records that were dropped: they cannot
    // hold a mode.
    int emptyRecordsDropped = 0;

    bool ok() const { return code == Ok; }
};

struct ProjectReadResult
{
    ProjectData project;
    ProjectReadStatus status;
};

// Files larger than this are refused as not being projects: a project of
// twenty tracks of a hundred picture modes is a few megabytes.
constexpr qint64 MaxProjectFileSize = qint64(512) * 1024 * 1024;
// Thumbs pack small, so a file of a few megabytes could state pictures of
// many gigabytes. Thumbs of the usual size (up to NormalThumbWidth wide)
// are unpacked only when used and never kept unpacked beyond
// UnpackedThumbPixels, so a project may hold any number of them; the wider
// part of wider thumbs may add up to MaxProjectThumbPixels in one project
// (1 GiB once unpacked at four bytes a pixel), as their headers state them.
// Reading stops at the record that would pass it, as at a damaged one.
constexpr qint64 NormalThumbWidth = 1024;
constexpr qint64 MaxProjectThumbPixels = qint64(1) << 28;
// A song path longer than this (in UTF-16 units) is no file name on any
// platform; such a header is treated as damaged.
constexpr int MaxSongPathLength = 32767;

// Reads a project from an open device, from its current position to its
// end. Every length is checked against the bytes the device still holds
// before anything is allocated, so a damaged or hostile file costs at most
// its own size in memory.
ProjectReadResult readProject(QIODevice &device);
ProjectReadResult decodeProject(const QByteArray &bytes);

// Opens and reads a project file; OpenFailed when it cannot be opened.
ProjectReadResult loadProjectFile(const QString &path);

// A project file being saved, in two steps: write() puts the whole project
// into a temporary file beside the old one and onto the disk (the long
// part; it may run on another thread), commit() then puts it in place of
// the old file in one rename. Until commit() the old file is untouched, and
// a save that is not committed leaves no temporary file behind.
class ProjectSave
{
public:
    explicit ProjectSave(const QString &path);
    ~ProjectSave();
    ProjectSave(const ProjectSave &) = delete;
    ProjectSave &operator=(const ProjectSave &) = delete;

    // False when the file cannot be written, or the progress cancelled.
    bool write(const ProjectData &project, const SaveProgress &progress = {});
    // Replaces the old file; false when that fails. Only after a write().
    bool commit();
    bool cancelled() const { return m_cancelled; }
    // Why the save failed, in the system's words.
    QString errorString() const;

private:
    std::unique_ptr<QSaveFile> m_file;
    QString m_error;
    bool m_cancelled = false;
    bool m_written = false;
};

// Saves a project file with a ProjectSave, so a failed or cancelled save
// leaves the old file byte for byte as it was. On failure returns false
// and, when errorText is given, a description; *cancelled says whether the
// progress cancelled it.
bool saveProjectFile(const QString &path, const ProjectData &project, QString *errorText = nullptr,
                     const SaveProgress &progress = {}, bool *cancelled = nullptr);

} // namespace vc
