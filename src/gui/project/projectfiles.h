#pragma once

#include "core/model/moderecord.h"
#include "core/project/legacyimport.h"
#include "core/project/projectformat.h"
#include "core/project/showproject.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace vc {

class PictureFolder;
class ProjectLock;
struct RecoveryCopy;
class PictureSearch;
class Project;
class Show;
class TracksController;

// The project files area of the main window: New, Load, Save and Save As,
// loading a project in either format (also dropped ones and one named on
// the command line) into the show, the project's path and title, and the
// pictures a project refers to (the missing-picture check, replacing the
// picture directory, exporting the picture library). What the rest of the
// window does about a new or loaded project it learns from the signals.
class ProjectFiles : public QObject
{
    Q_OBJECT

public:
    struct Services
    {
        Project *project = nullptr;         // the show, its history, path and extras
        Show *show = nullptr;               // the project's
        TracksController *tracks = nullptr; // clears the tracks
        PictureFolder *pictures = nullptr;  // where picture dialogs open
        QWidget *dialogParent = nullptr;
        QWidget *trackArea = nullptr; // painted once, when a load is complete
    };

    explicit ProjectFiles(const Services &services, QObject *parent = nullptr);
    ~ProjectFiles() override;

    // The project's path: where Save writes, where Load opens.
    QString currentFile() const { return m_currentFile; }
    void setCurrentFile(const QString &path) { m_currentFile = path; }
    // The editor panel as an old project's lines are read against it.
    std::function<LegacyPanelState()> panelState;

    // Whether Save writes to the project path directly (false: it asks for
    // a name first).
    bool hasFileName() const { return m_hasFileName; }
    // A load or a save is running (it lets events through meanwhile).
    bool isBusy() const { return m_busy; }

    // New: asks, and on Yes replaces the project with one empty track and
    // starts the undo history afresh; Cancel changes nothing. True on Yes.
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

    // Puts a recovery copy in place of the project, marked as changed: Save
    // writes where the project came from (asking for a name when it had
    // none or another editor has that file open). Asks first when the
    // project has unsaved changes. True when the project was replaced.
    bool restoreRecovery(const RecoveryCopy &copy);

    // The project's own file; empty for a project that has none yet.
    QString projectPath() const { return m_untitled ? QString() : m_currentFile; }

    // The project as it would be saved: the gadget, the song and the live
    // tracks, track 1 first.
    ProjectData projectData() const;

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

signals:
    // The project was replaced (New, or a load begins): the editor panel
    // starts again.
    void projectReplaced();
    // A loaded project's song; empty for a project without one (the song
    // there was goes).
    void songRequested(const QString &path);
    // A loaded project's prop: its gadget is to be selected (the LED count
    // and frame rate compared as whole numbers for the old format).
    void propRequested(int leds, float frameRate, bool wholeNumbers);
    // An old project was imported: the panel shows what its lines left,
    // the play indicator stands at the end of the last mode (-1: none).
    void legacyImported(const LegacyPanelState &panel, int lastEndMs);
    // A load is complete: the time axis is laid out again.
    void loaded();

private:
    // Sets a flag for as long as it lives.
    class Busy
    {
    public:
        explicit Busy(bool *flag) : m_flag(flag) { *m_flag = true; }
        ~Busy() { *m_flag = false; }
        Busy(const Busy &) = delete;
        Busy &operator=(const Busy &) = delete;

    private:
        bool *m_flag;
    };

    bool loadCurrentFormat(const QString &path);
    // The beat grid and the props: none (a new project), or those beside a
    // project file (path) or in a recovery copy (bytes), as where the
    // history starts.
    void clearExtras();
    void takeExtras(const QString &path, const QByteArray &bytes);
    void replaceProject(const ProjectReadResult &read, const QString &path);
    // This editor's mark on a project file: the one it holds, or a new try.
    std::unique_ptr<ProjectLock> lockFor(const QString &path);
    bool loadLegacyFormat(const QString &path);
    void beginLoad(const QString &path);
    void finishLoad();
    void checkThumbsInBackground();
    void addRecords(const ProjectData &project, const QVector<DecodedRecord> &decoded);
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
    // Where the picture library's folder dialogs open: beside the project,
    // else beside the picture loaded last.
    QString pictureLibraryStart() const;
    // Points the items whose picture is missing at the search's matches.
    void relinkItems(const PictureSearch &search);

    QStringList allParams() const;

    Services m_s;
    QString m_currentFile;
    bool m_hasFileName = false;
    // No file of its own yet (a new project): the path above is only where
    // dialogs start.
    bool m_untitled = true;
    // Set while a load or a save runs.
    bool m_busy = false;
    // Records of the project just put in place that could not be read whole.
    int m_damagedRecords = 0;
    // Counts the projects put in place, so that a late report about an
    // earlier one is dropped.
    int m_loadGeneration = 0;
    std::unique_ptr<ProjectLock> m_lock;
};

} // namespace vc
