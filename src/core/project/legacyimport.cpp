#include "core/project/legacyimport.h"

#include "core/model/repeatsuggestion.h"
#include "core/project/picturelibrary.h"
#include "core/render/effectgenerator.h"

#include <QFileInfo>
#include <QSet>
#include <QTime>

#include <algorithm>

namespace vc {

namespace {

// The ranges of the panel's fields.
constexpr int MaxLeds = 999;
constexpr int MaxFrameRate = 9999;
constexpr double MinSeconds = 0.1;
constexpr double MaxSeconds = 1000.0;
constexpr int SecondsDecimals = 3;
constexpr int MaxGap = 100;
constexpr int FontSizes = 10;
constexpr int MinTextWidth = 1;
constexpr int MaxTextWidth = 20;
constexpr int MinEffectWidth = 1;
constexpr int MaxEffectWidth = 10;
// A text field holds at most this many characters; longer texts are cut.
constexpr int MaxTextLength = 32767;
constexpr qint64 MsPerDay = 24 * 60 * 60 * 1000;

// A time for the panel's time fields: -1 when it lies past the end of the
// day, which the fields do not take (they keep their time then).
int fieldTime(qint64 ms)
{
    ms = std::max<qint64>(ms, 0);
    return ms < MsPerDay ? int(ms) : -1;
}

// What a text and an effect line share: the two colours and the two flip
// flags. A colour the file does not name properly keeps the current one.
template <class Settings> void takeColoursAndFlips(const LegacyMode &mode, Settings &s)
{
    const QColor front = LegacyMode::colour(mode.text(0));
    const QColor back = LegacyMode::colour(mode.text(1));
    if (front.isValid())
        s.front = front;
    if (back.isValid())
        s.back = back;
    s.revH = mode.flag(1);
    s.revV = mode.flag(2);
}

QColor opaque(const QColor &c)
{
    return QColor(c.red(), c.green(), c.blue());
}

} // namespace

ModeProp legacyProp(const LegacyProject &project)
{
    return {std::clamp(project.leds, 0, MaxLeds),
            float(std::clamp(project.frameRate, 0, MaxFrameRate))};
}

LegacyImporter::LegacyImporter(Show &show, Show::Id track, const QStringList &fontFamilies,
                               const LegacyPanelState &start)
    : m_show(show), m_track(track), m_builder({show.leds(), show.frameRate()}),
      m_fontFamilies(fontFamilies), m_panel(start)
{
}

LegacyImportReport LegacyImporter::importModes(const LegacyProject &project,
                                               const Progress &progress)
{
    m_report.skippedLines += project.skippedLines;
    const int total = project.modes.size();
    for (int i = 0; i < total; ++i) {
        importMode(project.modes.at(i));
        if (progress)
            progress(i + 1, total);
    }
    return m_report;
}

// ---------------------------------------------------------------- times

// The start field: the end follows it at the same duration, computed in
// double precision and truncated (1.001 s may give 1000 ms here).
void LegacyImporter::setStart(int ms)
{
    if (ms == m_panel.startMs)
        return;
    m_panel.startMs = ms;
    setEnd(fieldTime(qint64(m_panel.seconds * 1000.0 + ms)));
}

// The end field: the duration follows it.
void LegacyImporter::setEnd(int ms)
{
    if (ms < 0 || ms == m_panel.endMs)
        return;
    m_panel.endMs = ms;
    setSeconds((m_panel.endMs - m_panel.startMs) / 1000.0);
}

// The duration field keeps three decimals within its range. A change sets
// the end again, rounded to the millisecond, and the repeat count when it
// follows the speed; an end before the start or less than 0.1 s after it
// stays when the duration is at its minimum already.
void LegacyImporter::setSeconds(double seconds)
{
    const double value = std::clamp(QString::number(seconds, 'f', SecondsDecimals).toDouble(),
                                    MinSeconds, MaxSeconds);
    if (value == m_panel.seconds)
        return;
    m_panel.seconds = value;
    if (m_panel.automatic)
        m_panel.loops = suggestion();
    const int end = fieldTime(m_panel.startMs + qint64(value * 1000.0 + 0.5));
    if (end >= 0)
        m_panel.endMs = end;
}

int LegacyImporter::suggestion() const
{
    return m_builder.suggestedLoops(m_panel.seconds, m_panel.speed, m_panel.patternWidth);
}

// ---------------------------------------------------------------- lines

void LegacyImporter::missingPicture(const QString &path)
{
    ++m_report.missingPictureModes;
    if (!m_report.missingPictures.contains(path))
        m_report.missingPictures.append(path);
}

// Takes what the line says into the panel's tab of its kind and the
// settings of its mode. False when the line makes no mode.
bool LegacyImporter::fill(const LegacyMode &mode, ModeSettings &s)
{
    LegacyPanelState &p = m_panel;
    switch (mode.kind()) {
    case Picture: {
        const QString path = mode.picturePath();
        if (!QFileInfo(path).isFile()) {
            missingPicture(path);
            return false;
        }
        p.picturePath = path;
        p.gap = std::clamp(mode.number(0), 0, MaxGap);
        p.pictureFlipH = mode.flag(1);
        p.pictureFlipV = mode.flag(2);
        break;
    }
    case Colour: {
        const QColor colour = LegacyMode::colour(mode.part(1));
        if (!colour.isValid()) {
            ++m_report.unreadableLines;
            return false;
        }
        p.colour1 = colour;
        break;
    }
    case Text: {
        TextSettings t = p.text;
        t.front = p.colour1;
        t.back = p.colour2;
        takeColoursAndFlips(mode, t);
        t.text = mode.text(2).left(MaxTextLength);
        // An index from another machine's font list may not exist here:
        // the default font stands in.
        const int font = mode.textNumber(3);
        t.fontIndex = font >= 0 && font < m_fontFamilies.size() ? font : -1;
        const int size = mode.textNumber(4);
        if (size >= 0 && size < FontSizes)
            t.fontSizeIndex = size;
        t.width = std::clamp(mode.number(0), MinTextWidth, MaxTextWidth);
        // The text tab shares the colour pair, without alpha.
        p.colour1 = t.front = opaque(t.front);
        p.colour2 = t.back = opaque(t.back);
        p.text = t;
        break;
    }
    case Effect: {
        EffectSettings e = p.effect;
        e.front = p.colour1;
        e.back = p.colour2;
        // The old format's two flip flags belong to the effect.
        takeColoursAndFlips(mode, e);
        const int effect = mode.textNumber(2);
        if (effect >= 0 && effect < EffectGenerator::Count)
            e.effect = effect;
        const int scheme = mode.threeColourState();
        if (scheme >= 0)
            e.scheme = scheme;
        e.width = std::clamp(mode.textNumber(4), MinEffectWidth, MaxEffectWidth);
        p.colour1 = e.front = opaque(e.front);
        p.colour2 = e.back = opaque(e.back);
        p.effect = e;
        break;
    }
    default:
        return false;
    }
    p.kind = mode.kind();

    s.kind = p.kind;
    s.picturePath = p.picturePath;
    s.gap = p.gap;
    s.pictureFlipH = p.pictureFlipH;
    s.pictureFlipV = p.pictureFlipV;
    s.colour = p.colour1;
    s.text = p.text;
    s.fontFamily = m_fontFamilies.value(p.text.fontIndex);
    s.effect = p.effect;
    return true;
}

bool LegacyImporter::importMode(const LegacyMode &mode)
{
    const int kind = mode.kind();
    if (kind < Picture || kind > Effect) {
        // No tab would take it: Insert would repeat the previous mode.
        ++m_report.unreadableLines;
        return false;
    }
    // An unreadable time leaves the field as it is, where the previous
    // mode ended. The times are taken even for a line that makes no mode.
    if (mode.start.isValid())
        setStart(mode.start.msecsSinceStartOfDay());
    if (mode.end.isValid())
        setEnd(mode.end.msecsSinceStartOfDay());

    ModeSettings s;
    if (!fill(mode, s))
        return false;

    // The kind's tab draws its pattern; the colour draws none and leaves
    // the width of the pattern before.
    const ModePattern pattern = m_builder.drawPattern(s);
    if (kind != Colour)
        m_panel.patternWidth = pattern.width;
    if (m_panel.automatic)
        m_panel.loops = suggestion();
    if (!pattern.error.isEmpty())
        m_report.pictureErrors.append(pattern.error);
    if (kind == Picture && pattern.image.isNull()) {
        // The file is there but is no picture that can be read.
        missingPicture(mode.picturePath());
        return false;
    }

    if (mode.setsLoops()) {
        m_panel.loops = std::clamp(mode.loops(), MinLoops, MaxLoops);
        m_panel.automatic = false;
    }
    s.startMs = m_panel.startMs;
    s.endMs = m_panel.endMs;
    s.loops = m_panel.loops;
    s.speed = m_panel.automatic ? m_panel.speed : 0;
    const BuiltMode built = m_builder.build(s, pattern);
    if (!built.ok)
        return false;
    if (!m_show.insertMode(m_track, built.record.encode()))
        return false; // no such track
    m_lastEndMs = built.record.endMs();

    // Insert moves the panel on: the next mode starts where this one ends
    // and lasts as long.
    const double seconds = m_panel.seconds;
    setStart(m_panel.endMs);
    setEnd(fieldTime(m_panel.startMs + qint64(seconds * 1000.0)));
    ++m_report.imported;
    return true;
}

// ---------------------------------------------------------------- pictures

int LegacyImporter::relinkPictures(LegacyProject &project, const PictureSearch &search)
{
    int changed = 0;
    for (LegacyMode &mode : project.modes) {
        if (mode.kind() != Picture || mode.parts.size() < 3)
            continue;
        const QString path = mode.picturePath();
        if (QFileInfo(path).isFile())
            continue;
        const QString match = search.find(pictureFileName(path));
        if (match.isEmpty())
            continue;
        mode.parts[2] = match;
        mode.params = mode.parts.join(QLatin1Char('?'));
        ++changed;
    }
    return changed;
}

} // namespace vc
