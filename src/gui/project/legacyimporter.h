#pragma once

#include "core/project/legacyproject.h"

#include <QStringList>

#include <functional>

class MainWindow;

namespace vc {

class PictureSearch;

// What an import of an old text project did.
struct LegacyImportReport
{
    // Modes inserted on the track.
    int imported = 0;
    // Picture modes left out because their picture could not be loaded
    // (missing or unreadable): the old format keeps no picture of its own,
    // so such a mode has nothing to show. Distinct paths, in file order.
    QStringList missingPictures;
    int missingPictureModes = 0;
    // Lines of a kind the editor has no tab for, or a colour line whose
    // colour is no colour: inserting them would repeat the previous mode.
    int unreadableLines = 0;
    // Lines the parser skipped (fewer than three fields, empty lines).
    int skippedLines = 0;

    bool complete() const
    {
        return missingPictureModes == 0 && unreadableLines == 0 && skippedLines == 0;
    }
};

// Imports an old text project into the main window the way a user would
// have built it: each line fills the mode editor panel (times, the kind's
// controls, repeat count), brings the kind's tab to the front and presses
// Insert, so every mode gets its pattern, thumb and record from the same
// code as a mode made by hand. The modes go to the current track.
//
// The window is used as it is: the caller decides whether it is shown (the
// command-line converter runs it hidden) and clears the project first when
// the import is to replace it.
class LegacyImporter
{
public:
    // Called after each line with the number of lines done and the total.
    using Progress = std::function<void(int done, int total)>;

    explicit LegacyImporter(MainWindow *window);

    // Selects the gadget of the file's first line (matched against the
    // catalogue as whole numbers), then imports every mode.
    LegacyImportReport importProject(const LegacyProject &project, const Progress &progress = {});

    // Imports every mode onto the current track, leaving the gadget alone.
    LegacyImportReport importModes(const LegacyProject &project, const Progress &progress = {});

    // Imports one line; false when it was left out (the report says why).
    bool importMode(const LegacyMode &mode, LegacyImportReport *report);

    // The picture paths of the project's picture modes whose file is not
    // there, each once, in file order.
    static QStringList missingPictures(const LegacyProject &project);
    // Points picture modes whose file is missing at a file of the same name
    // (as the picture library's replacement does); returns how many modes
    // were changed.
    static int relinkPictures(LegacyProject &project, const PictureSearch &search);

private:
    bool fillPicture(const LegacyMode &mode, LegacyImportReport *report);
    bool fillColour(const LegacyMode &mode, LegacyImportReport *report);
    void fillText(const LegacyMode &mode);
    void fillEffect(const LegacyMode &mode);

    MainWindow *m_window;
};

} // namespace vc
