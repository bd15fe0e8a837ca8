#pragma once

#include "core/app/picturefolder.h"
#include "core/model/show.h"
#include "core/project/legacyimport.h"
#include "core/project/project.h"
#include "core/timeline/timeaxis.h"
#include "testsupport/scriptedprompter.h"

#include <QByteArray>
#include <QList>
#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QScrollArea;
class QVBoxLayout;
class Timeline;
class TimelineHeaders;

namespace vc {
class ProjectFiles;
class TracksController;
} // namespace vc

namespace vc::test {

// Adds a mode's record to a track (the current one when none is given), as
// the editor's Insert does.
void addRecord(TracksController *tracks, const QByteArray &record, Timeline *track = nullptr);
// Every track by number, its items' starts: "1:0,2000 2: 3:500"
QString trackLayout(const TracksController *tracks);

// The project files area on widgets of its own instead of the whole main
// window: a show of 80 LEDs at 2100 frames a second (the window's stored
// gadget in these tests), its time axis, a track area on plain widgets laid
// out as in the window's form, a picture folder and the project files on
// them. Dialogs are answered by the rig's prompter.
//
// The song and the prop a loaded project asks for reach the show, as the
// window's handlers pass them on, so that a project read here saves back as
// it was; the editor panel an old project is read against is `panel`.
struct ProjectRig
{
    ProjectRig();
    ~ProjectRig();
    ProjectRig(const ProjectRig &) = delete;
    ProjectRig &operator=(const ProjectRig &) = delete;

    // Installed first, so that nothing made here asks a real dialog.
    ScriptedPrompter prompter;
    Project project;
    Show &show = *project.show();
    TimeAxis axis;
    PictureFolder pictures;
    LegacyPanelState panel;
    // Every widget's parent, and the parent of the dialogs.
    QWidget host;
    QWidget *area = nullptr;
    QVBoxLayout *layout = nullptr;
    QWidget *rowHeader = nullptr;
    QVBoxLayout *rowHeaderLayout = nullptr;
    TimelineHeaders *ruler = nullptr;
    QScrollArea *scroll = nullptr;
    TracksController *tracks = nullptr;
    ProjectFiles *files = nullptr;

    // What the project files announced, in order.
    std::unique_ptr<QSignalSpy> titles;   // titleChanged(title)
    std::unique_ptr<QSignalSpy> songs;    // songRequested(path)
    std::unique_ptr<QSignalSpy> props;    // propRequested(leds, frameRate, wholeNumbers)
    std::unique_ptr<QSignalSpy> replaced; // projectReplaced()
    std::unique_ptr<QSignalSpy> loaded;   // loaded()
    struct Import
    {
        LegacyPanelState panel;
        int lastEndMs = -1;
    };
    QList<Import> imports; // legacyImported(panel, lastEndMs)

    // The last title announced; empty when none was.
    QString title() const;

    Timeline *current() const;
    void add(const QByteArray &record, Timeline *track = nullptr)
    {
        addRecord(tracks, record, track);
    }
    QString layoutText() const { return trackLayout(tracks); }

    int messages() const { return prompter.count(QStringLiteral("message")); }
    QString lastMessage() const;
};

} // namespace vc::test
