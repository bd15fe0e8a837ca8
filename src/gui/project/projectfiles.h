#pragma once

#include "core/project/projectformat.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class MainWindow;
class TimelineItem;

namespace vc {

class PictureSearch;
struct LegacyImportReport;

// The project files area of the main window: New, Load, Save and Save As,
// loading a project in either format (also dropped ones and one named on
// the command line), matching the file's gadget, the window title, and the
// pictures a project refers to (the missing-picture check, replacing the
// picture directory, exporting the picture library).
class ProjectFiles : public QObject
{
    Q_OBJECT

public:
    explicit ProjectFiles(MainWindow *window);

    // Whether Save writes to the project path directly (false: it asks for
    // a name first).
    bool hasFileName() const { return m_hasFileName; }

    // New: asks, and on Yes replaces the project with one empty track. The
    // undo history starts afresh whatever the answer. True on Yes.
    bool newProject();
    // Load: asks, then lets the user choose a project file.
    void load();
    // Save / Save As. True when the project was written; false when the
    // user cancelled or the save failed (which is reported).
    bool save();
    bool saveAs();

    // Replaces the project with the content of a project file (the current
    // format when the name contains ".vtc3", else the old text format).
    // A file that cannot be opened or read leaves the project as it was and
    // says so; a damaged file loads what it holds up to the damage, with a
    // warning. Returns whether the project was replaced.
    bool loadFile(const QString &path);

    // The project as it would be saved: the gadget, the song and the live
    // tracks, track 1 first.
    ProjectData projectData() const;
    // Selects the gadget of a loaded project: the custom entry with the
    // file's values, then the first catalogue row with the same LED count
    // and frame rate (compared as floats, or as whole numbers for the old
    // format), if there is one.
    void restoreGadget(int leds, float frameRate, bool wholeNumbers);

    // A fresh undo history whose first snapshot is the project as it is now;
    // the title keeps its state (a fresh project carries no "*").
    void startHistory();

    // --- pictures
    // True when every picture mode's picture is there. Otherwise reports
    // the number missing and offers to search a folder for them.
    bool checkMissingPictures();
    // Asks for a folder and points the modes whose picture is missing at
    // files of the same name found there; then checks again.
    void replacePictureDirectory();
    // Copies every picture the show uses into one folder chosen by the user.
    void exportPictureLibrary();

private:
    bool loadCurrentFormat(const QString &path);
    bool loadLegacyFormat(const QString &path);
    void beginLoad(const QString &path);
    void finishLoad();
    void addRecords(const ProjectData &project);
    bool writeTo(const QString &path);
    void reportImport(const LegacyImportReport &report);

    // Asks about missing pictures and searches a chosen folder for them,
    // round after round, until none is missing, the user says No or
    // cancels the folder dialog. False when pictures are still missing.
    bool searchMissing(const std::function<int()> &countMissing,
                       const std::function<void(const PictureSearch &)> &relink);
    // The folder dialog and the walk of the chosen folder; null when no
    // folder was chosen.
    std::unique_ptr<PictureSearch> chooseAndSearch();
    // Points the items whose picture is missing at the search's matches.
    void relinkItems(const PictureSearch &search);

    QList<TimelineItem *> allItems() const;
    QStringList allParams() const;
    QString songPath() const;

    MainWindow *m_window;
    bool m_hasFileName = false;
};

} // namespace vc
