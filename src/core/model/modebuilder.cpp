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
        r.params = pictureParams(s.loops, s.picturePath, s.gap, s.pictureFlipH, s.pictureFlipV);
        break;
    case Colour:
        thumb = colourSquare(s.colour);
        // The record's colour is always opaque; the parameter text names
        // the colour without its alpha.
        r.colour = QColor(s.colour.red(), s.colour.green(), s.colour.blue());
        r.params = colourParams(s.colour);
        break;
    case Text:
        thumb = pattern.image;
        r.params = PatternParams::textText(cleanedText(s), s.loops);
        break;
    case Effect:
        thumb = pattern.image;
        r.params = PatternParams::effectText(s.effect, s.loops);
        break;
    default:
        return out;
    }
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

int ModeBuilder::suggestedLoops(double seconds, int speed, int patternWidth) const
{
    return repeatSuggestion(seconds, speed, m_prop.frameRate, patternWidth);
}

} // namespace vc
