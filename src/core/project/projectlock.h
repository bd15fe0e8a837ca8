#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace vc {

// Marks a project file as open in this editor, so that a second editor
// opening it can warn instead of letting both overwrite each other's
// saves. The mark is a lock file of the program's own (not next to the
// project), held while the object lives; a mark left by an editor that is
// no longer running is taken over.
class ProjectLock
{
public:
    enum State
    {
        Held,          // this editor has the project
        HeldElsewhere, // another running editor has it
        Unavailable,   // no lock could be made (an unwritable data folder)
    };

    // Tries to take the project at once.
    explicit ProjectLock(const QString &projectPath);
    ~ProjectLock();
    ProjectLock(const ProjectLock &) = delete;
    ProjectLock &operator=(const ProjectLock &) = delete;

    State state() const { return m_state; }
    bool isHeld() const { return m_state == Held; }
    QString projectPath() const { return m_projectPath; }

    // The lock file that stands for a project file.
    static QString lockFileFor(const QString &projectPath);

private:
    QString m_projectPath;
    std::unique_ptr<QLockFile> m_lock;
    State m_state = Unavailable;
};

} // namespace vc
