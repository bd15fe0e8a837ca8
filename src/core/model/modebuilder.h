#pragma once

#include "core/model/moderecord.h"
#include "core/model/patternparams.h"
#include "core/render/effectgenerator.h"

#include <QColor>
#include <QImage>
#include <QString>

namespace vc {

// The prop a mode is made for.
struct ModeProp
{
    int leds = 0;           // every pattern is scaled to this height
    float frameRate = 0.0f; // columns per second
};

// Everything a mode is made from: what the mode editor panel and the tab of
// the mode's kind hold when Insert is pressed. Only the kind's own group of
// fields is read.
struct ModeSettings
{
    int kind = Colour; // a ModeKind
    int startMs = 0;
    int endMs = 0;
    int loops = 1; // the repeat count, stored as it is
    int speed = 0; // 0: no speed, the repeat count is set by hand; 2..18: it follows this speed

    // Picture
    QString picturePath;
    int gap = 0; // black after the picture, in percent of its width (0..100)
    bool pictureFlipH = false;
    bool pictureFlipV = false;

    // Colour
    QColor colour{255, 255, 255};

    // Text: what the parameter text stores (colours, text, font index, size
    // index, width factor, mirrors), and the family the font index stands
    // for on this machine (empty: the default font). "|" and "?" in the
    // text are replaced (see TextPattern::cleaned).
    TextSettings text;
    QString fontFamily;

    // Effect
    EffectSettings effect;
};

// A mode's pattern: x is time, y runs along the LEDs.
struct ModePattern
{
    QImage image;  // null for a colour, an empty text or a picture that cannot be read
    int width = 0; // W, the pattern's width at the LED count: the divisor of repeat suggestions
    QString error; // why a picture was refused (too large to read), for the user
};

// A mode made from its settings.
struct BuiltMode
{
    // False when there is no mode to make: a kind without a tab, or a
    // picture that cannot be read (see pattern.error).
    bool ok = false;
    ModeRecord record;
    ModePattern pattern;
};

// The settings a mode was made from, as the editor shows them when the mode
// is opened: its times, its repeat count and speed as stored (never a new
// suggestion), and its kind's fields as its parameter text holds them.
ModeSettings settingsOf(const ModeRecord &mode);
// The parameter text settings make, with the given repeat count.
QString paramsOf(const ModeSettings &s, int loops);

// Makes modes the way the editor's Insert does: the pattern of the kind,
// the thumb scaled from it, the parameter text and the record's fields.
// Drawing text needs a QGuiApplication; nothing here needs widgets.
class ModeBuilder
{
public:
    explicit ModeBuilder(const ModeProp &prop) : m_prop(prop) {}

    const ModeProp &prop() const { return m_prop; }

    // The pattern of the settings' kind at the prop's LED count. A picture
    // is read from its file: W counts the picture without its gap.
    ModePattern drawPattern(const ModeSettings &s) const;

    // The mode of the settings, its pattern drawn here.
    BuiltMode build(const ModeSettings &s) const;
    // The mode of the settings with a pattern drawn already (the picture
    // tab keeps the pattern it shows: a gap changed after loading widens
    // that pattern's canvas, rather than drawing it anew).
    BuiltMode build(const ModeSettings &s, const ModePattern &pattern) const;

    // Applies settings to a mode, as the editor's Apply does. What they
    // leave as the mode holds it stays byte for byte: while the kind's own
    // fields are those of the mode, its stored pattern (the thumb) is kept
    // and only the times, the repeat count and the speed change; settings
    // that change the pattern make the mode anew, from `drawn` when given.
    // Not ok when that pattern cannot be had (a picture that is missing).
    BuiltMode apply(const ModeRecord &mode, const ModeSettings &s,
                    const ModePattern &drawn = {}) const;

    // The repeat count that fits a pattern W columns wide into `seconds`
    // at `speed` on this prop (see repeatSuggestion).
    int suggestedLoops(double seconds, int speed, int patternWidth) const;

private:
    ModeProp m_prop;
};

} // namespace vc
