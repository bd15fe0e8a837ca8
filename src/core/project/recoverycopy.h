#pragma once

#include "core/project/projectformat.h"

#include <QByteArray>
#include <QDateTime>
#include <QMutex>
#include <QString>

#include <memory>
#include <vector>

class KAutoSaveFile;
class QIODevice;
class QObject;
class QThread;

namespace vc {

// A recovery copy of a project with unsaved changes: the project as the
// editor held it when the copy was written, and where it belongs.
struct RecoveryCopy
{
    // The project's file; empty for a project that was never saved.
    QString projectPath;
    // Whether Save wrote to projectPath without asking for a name.
    bool hasFileName = false;
    // When the copy was written.
    QDateTime writtenAt;
    // The editor run that wrote it: a later copy of the same run makes an
    // earlier one worthless.
    QByteArray session;
    // The project as its file would hold it (encodeProject).
    QByteArray project;
    // What the project keeps beside its file (encodeExtras); empty for none.
    QByteArray extras;
};

// The file content of a recovery copy: a tag, a version, the fields above
// and the project, as one big-endian data stream.
QByteArray encodeRecoveryCopy(const RecoveryCopy &copy);
// Writes the same as encodeRecoveryCopy(copy) with `project` as its
// project, straight from the records (a large show is not copied once more
// in memory). False when the device refused a write.
bool writeRecoveryCopy(QIODevice &device, const RecoveryCopy &copy, const ProjectData &project);
// False for data that is no recovery copy, or one whose writing never
// finished (a crash or a power cut in the middle).
bool decodeRecoveryCopy(const QByteArray &bytes, RecoveryCopy *copy);

// Keeps the one recovery copy of the project being edited, written on a
// thread of its own so that the interface only pays for collecting the
// records. A new copy is written whole beside the previous one, which goes
// only then: a crash while writing still leaves the previous copy.
// The copy is removed by discard() and when the writer is destroyed (a
// normal end of the editor); a crash or a kill leaves it for the next start.
class RecoveryWriter
{
public:
    RecoveryWriter();
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter &) = delete;
    RecoveryWriter &operator=(const RecoveryWriter &) = delete;

    // Replaces the copy with this project (encoded on the writer's thread).
    void write(const ProjectData &project, const QString &projectPath, bool hasFileName,
               const QByteArray &extras = QByteArray());
    // Removes the copy (the project was saved, replaced or closed).
    void discard();
    // Takes over a copy left by an earlier run that is being restored: it
    // stays the project's copy until the next write replaces it.
    void adopt(std::unique_ptr<KAutoSaveFile> file);
    // Returns once everything asked for so far is done.
    void waitForIdle();

    // The file holding the copy; empty while there is none.
    QString fileName() const;
    // Copies written so far, and the last failure's description.
    int written() const;
    QString lastError() const;

private:
    void replace(std::unique_ptr<KAutoSaveFile> next);
    void setFileName(const QString &name);

    QThread *m_thread = nullptr;
    QObject *m_context = nullptr; // lives on the thread; runs the jobs in order
    QByteArray m_session;
    // Touched on the writer's thread only.
    std::unique_ptr<KAutoSaveFile> m_file;
    mutable QMutex m_mutex; // guards what follows
    QString m_fileName;
    int m_written = 0;
    QString m_lastError;
};

// A recovery copy left by an editor that is no longer running. While this
// object holds it, no other editor can offer it; deleting the object (or
// keep()) leaves it for a later start.
class FoundRecoveryCopy
{
public:
    FoundRecoveryCopy(std::unique_ptr<KAutoSaveFile> file, RecoveryCopy copy);
    ~FoundRecoveryCopy();
    FoundRecoveryCopy(FoundRecoveryCopy &&) noexcept;
    FoundRecoveryCopy &operator=(FoundRecoveryCopy &&) noexcept;

    const RecoveryCopy &copy() const { return m_copy; }
    QString fileName() const;
    // Removes the copy for good.
    void discard();
    // Lets go of the copy and leaves its file for a later start.
    void keep();
    // Hands the held copy over (to a RecoveryWriter, when it is restored).
    std::unique_ptr<KAutoSaveFile> take();

private:
    std::unique_ptr<KAutoSaveFile> m_file;
    RecoveryCopy m_copy;
};

// The recovery copies of this program that no running editor holds, newest
// first, taken hold of. Copies made worthless by a later one of the same run
// and files whose writing never finished are removed on the way. A copy
// that a running editor still writes is not among them.
std::vector<FoundRecoveryCopy> findRecoveryCopies();

} // namespace vc
