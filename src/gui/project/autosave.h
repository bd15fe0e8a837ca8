#pragma once

#include "core/project/recoverycopy.h"

#include <QObject>
#include <QTimer>

class QWidget;

namespace vc {

class ProjectFiles;
class Show;
class TracksController;

// Keeps a recovery copy of the project while it has unsaved changes, also
// of one that was never saved: written a few seconds after editing pauses,
// and at least every half minute while editing goes on. Saving, New, Load
// and a normal end remove it; a crash, a power cut or a kill leave it, and
// the next editor to start offers it back (offerRecovery).
class AutoSave : public QObject
{
    Q_OBJECT

public:
    struct Services
    {
        Show *show = nullptr;               // its prop and song changes count as edits
        TracksController *tracks = nullptr; // says whether anything is unsaved
        ProjectFiles *files = nullptr;      // the project as it would be saved
        QWidget *dialogParent = nullptr;
    };

    explicit AutoSave(const Services &services, QObject *parent = nullptr);
    ~AutoSave() override;

    // How long editing must pause before a copy is written, and the longest
    // a change waits for its copy while editing goes on.
    void setDelays(int pauseMs, int longestMs);
    // Writes the copy now, or removes it when nothing is unsaved.
    void writeNow();
    RecoveryWriter &writer() { return m_writer; }

    // At start-up: offers the copies left by editors that are no longer
    // running, newest first, one after the other: restore, discard, or
    // keep it for a later start.
    void offerRecovery();

private:
    void changed();
    void modifiedChanged(bool modified);

    Services m_s;
    RecoveryWriter m_writer;
    QTimer m_pause;
    QTimer m_longest;
    // The copy goes once a save or load has settled (a cancelled New keeps
    // its changes and must keep its copy).
    QTimer m_settled;
};

} // namespace vc
