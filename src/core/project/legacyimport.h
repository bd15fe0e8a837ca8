#pragma once

#include "core/model/modebuilder.h"
#include "core/model/moderecord.h"
#include "core/model/show.h"
#include "core/project/legacyproject.h"

#include <QColor>
#include <QStringList>

#include <functional>

namespace vc {

class PictureSearch;

// What an import of an old text project did.
struct LegacyImportReport
{
    // Modes made and placed on the track.
    int imported = 0;
    // Picture modes left out because their picture could not be loaded
    // (missing or unreadable): the old format keeps no picture of its own,
    // so such a mode has nothing to show. Distinct paths, in file order.
    QStringList missingPictures;
    int missingPictureModes = 0;
    // Why pictures were refused (too large to read), one per picture mode,
    // in file order; these modes count as missing too.
    QStringList pictureErrors;
    // Lines of a kind the editor has no tab for, or a colour line whose
    // colour is no colour: inserting them would repeat the previous mode.
    int unreadableLines = 0;
    // Lines the parser skipped: fewer than three fields (see
    // LegacyProject::skippedLines; empty lines are not among them).
    int skippedLines = 0;

    bool complete() const
    {
        return missingPictureModes == 0 && unreadableLines == 0 && skippedLines == 0;
    }
};

// The mode editor panel as an old project's lines are read against it.
// Old projects were written by a program that made every line's mode by
// filling its editor panel and pressing Insert: what a line leaves unsaid
// (a time that is not one, a colour that is no colour, a repeat count a
// colour line never has) is what the line before left in the panel, and
// the panel's rules (ranges, the duration's three decimals, the end that
// follows the start) shape every line's times. The defaults are those of a
// freshly opened editor.
struct LegacyPanelState
{
    int startMs = 0;
    int endMs = 5000;
    double seconds = 5.0; // the duration field: 3 decimals, 0.1 to 1000
    int loops = 1;
    bool automatic = true; // the repeat count follows the speed
    int speed = 10;
    int patternWidth = 0; // W of the pattern drawn last: a colour draws none
    QColor colour1{255, 255, 255};
    QColor colour2{0, 0, 0};
    // The picture, text and effect tabs; their colours are colour1 and 2.
    QString picturePath;
    int gap = 0;
    bool pictureFlipH = false;
    bool pictureFlipV = false;
    TextSettings text;
    EffectSettings effect;
    int kind = Picture; // the tab in front
};

// The prop of an old project as the editor takes it from its first line:
// LED count 0..999, frame rate 0..9999 columns per second.
ModeProp legacyProp(const LegacyProject &project);

// Makes the modes of an old text project's lines with the mode builder and
// puts them on a track of a show, each inserted as the editor's Insert
// inserts it (the mode placed last wins), for the show's prop.
// Needs a QGuiApplication (texts are drawn), no widgets.
class LegacyImporter
{
public:
    // Called after each line with the number of lines done and the total.
    using Progress = std::function<void(int done, int total)>;

    // `fontFamilies` are what a text line's font index counts through
    // (TextPattern::fontFamilies()).
    LegacyImporter(Show &show, Show::Id track, const QStringList &fontFamilies,
                   const LegacyPanelState &start = {});

    // Imports every line; the report also counts the lines the parser
    // skipped.
    LegacyImportReport importModes(const LegacyProject &project, const Progress &progress = {});

    // Imports one line; false when it was left out (the report says why).
    bool importMode(const LegacyMode &mode);

    // The panel as the last line left it.
    const LegacyPanelState &panel() const { return m_panel; }
    const LegacyImportReport &report() const { return m_report; }
    // Where the last mode made ends, as it was made (the editor's play
    // indicator follows it); -1 before the first.
    int lastEndMs() const { return m_lastEndMs; }

    // Points picture modes whose file is missing at a file of the same name
    // (as the picture library's replacement does); returns how many modes
    // were changed.
    static int relinkPictures(LegacyProject &project, const PictureSearch &search);

private:
    void setStart(int ms);
    void setEnd(int ms);
    void setSeconds(double seconds);
    int suggestion() const;
    void missingPicture(const QString &path);
    bool fill(const LegacyMode &mode, ModeSettings &s);

    Show &m_show;
    Show::Id m_track;
    ModeBuilder m_builder;
    QStringList m_fontFamilies;
    LegacyPanelState m_panel;
    LegacyImportReport m_report;
    int m_lastEndMs = -1;
};

} // namespace vc
