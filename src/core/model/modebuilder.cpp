#include "core/model/modebuilder.h"

#include "core/model/repeatsuggestion.h"
#include "core/render/picturepattern.h"
#include "core/render/textpattern.h"
#include "core/render/textrender.h"

namespace vc {

namespace {

// The side of the square a colour mode shows before it is scaled to a thumb.
constexpr int ColourSquare = 80;
// A picture's pattern is first brought to this height, then to the thumb's:
// stored picture thumbs carry both smoothings.
constexpr int PictureStep = 80;

// Thumbs have always been kept as pixmaps, so every step goes through the
// image a pixmap would hold.
QImage smoothToHeight(const QImage &image, int height)
{
    return asPixmapWouldHoldIt(
        asPixmapWouldHoldIt(image).scaledToHeight(height, Qt::SmoothTransformation));
}

QImage colourSquare(const QColor &colour)
{
    // A translucent colour needs an alpha channel, as a pixmap takes one.
    QImage square(ColourSquare, ColourSquare,
                  colour.alpha() < 255 ? QImage::Format_ARGB32_Premultiplied
                                       : QImage::Format_RGB32);
    square.fill(colour);
    return square;
}

TextSettings cleanedText(const ModeSettings &s)
{
    TextSettings t = s.text;
    t.text = TextPattern::cleaned(t.text);
    return t;
}

} // namespace

ModeSettings settingsOf(const ModeRecord &mode)
{
    ModeSettings s;
    s.kind = mode.kind;
    s.startMs = mode.startMs();
    s.endMs = mode.endMs();
    s.loops = mode.loops;
    s.speed = mode.speed;
    const ModeParams p = parseParams(mode.params);
    switch (mode.kind) {
    case Picture:
        s.picturePath = p.picturePath;
        s.gap = p.gap;
        s.pictureFlipH = p.flipH;
        s.pictureFlipV = p.flipV;
        break;
    case Colour:
        s.colour = p.colour1.isValid() ? p.colour1 : mode.colour;
        break;
    case Text:
        PatternParams::readText(mode.params, s.text);
        break;
    case Effect:
        PatternParams::readEffect(mode.params, s.effect);
        break;
    default:
        break;
    }
    return s;
}

QString paramsOf(const ModeSettings &s, int loops)
{
    switch (s.kind) {
    case Picture:
        return pictureParams(loops, s.picturePath, s.gap, s.pictureFlipH, s.pictureFlipV);
    case Colour:
        return colourParams(s.colour);
    case Text:
        return PatternParams::textText(cleanedText(s), loops);
    case Effect:
        return PatternParams::effectText(s.effect, loops);
    default:
        return {};
    }
}

ModePattern ModeBuilder::drawPattern(const ModeSettings &s) const
{
    ModePattern out;
    switch (s.kind) {
    case Picture: {
        const PictureRead read = readPictureForLeds(s.picturePath, m_prop.leds);
        out.error = read.error;
        const PicturePattern p =
            buildPicturePattern(read.image, s.pictureFlipH, s.pictureFlipV, m_prop.leds, s.gap);
        out.image = p.pattern;
        out.width = p.width;
        break;
    }
    case Text: {
        const TextSettings t = cleanedText(s);
        TextLayout layout;
        layout.text = t.text;
        layout.family = s.fontFamily;
        layout.fontSizeIndex = t.fontSizeIndex;
        layout.widthFactor = t.width;
        layout.front = t.front;
        layout.back = t.back;
        layout.revH = t.revH;
        layout.revV = t.revV;
        out.image = renderText(layout);
        out.width = patternWidth(out.image.size(), m_prop.leds);
        break;
    }
    case Effect:
        out.image = EffectGenerator::generate(s.effect);
        out.width = patternWidth(out.image.size(), m_prop.leds);
        break;
    default:
        break; // a colour has no pattern of its own
    }
    return out;
}

BuiltMode ModeBuilder::build(const ModeSettings &s) const
{
    return build(s, drawPattern(s));
}

BuiltMode ModeBuilder::build(const ModeSettings &s, const ModePattern &pattern) const
{
    BuiltMode out;
    out.pattern = pattern;
    ModeRecord &r = out.record;
    QImage thumb;
    switch (s.kind) {
    case Picture:
        if (pattern.image.isNull())
            return out;
        thumb = smoothToHeight(pattern.image, PictureStep);
        break;
    case Colour:
        thumb = colourSquare(s.colour);
        // The record's colour is always opaque; the parameter text names
        // the colour without its alpha.
        r.colour = QColor(s.colour.red(), s.colour.green(), s.colour.blue());
        break;
    case Text:
    case Effect:
        thumb = pattern.image;
        break;
    default:
        return out;
    }
    r.params = paramsOf(s, s.loops);
    // An empty text has no thumb: the record keeps a null one.
    if (!thumb.isNull())
        r.thumb = smoothToHeight(thumb, ThumbHeight);
    r.start = s.startMs;
    r.end = s.endMs;
    r.loops = s.loops;
    r.kind = s.kind;
    r.speed = s.speed;
    out.ok = true;
    return out;
}

BuiltMode ModeBuilder::apply(const ModeRecord &mode, const ModeSettings &s,
                             const ModePattern &drawn) const
{
    if (s.kind != mode.kind || paramsOf(s, 0) != paramsOf(settingsOf(mode), 0))
        return drawn.image.isNull() ? build(s) : build(s, drawn);
    BuiltMode out;
    out.ok = true;
    ModeRecord &r = out.record;
    r = mode;
    // A null time reads as 0; written back unchanged it stays null.
    if (s.startMs != mode.startMs())
        r.start = s.startMs;
    if (s.endMs != mode.endMs())
        r.end = s.endMs;
    if (s.loops != mode.loops) {
        r.loops = s.loops;
        r.params = paramsWithLoops(mode.params, s.loops);
    }
    r.speed = s.speed;
    return out;
}

int ModeBuilder::suggestedLoops(double seconds, int speed, int patternWidth) const
{
    return repeatSuggestion(seconds, speed, m_prop.frameRate, patternWidth);
}

} // namespace vc
