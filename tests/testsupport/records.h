#pragma once

#include "core/model/moderecord.h"

#include <QColor>
#include <QImage>
#include <QSize>

namespace vc::test {

// A colour mode as the editor makes it: the colour's parameter text and a
// thumb filled with the colour (85 by 85 unless thumb says otherwise). The
// repeat count and speed are the record's defaults.
inline ModeRecord colourMode(int start, int end, const QColor &colour,
                             const QSize &thumb = QSize(85, 85))
{
    ModeRecord r;
    r.thumb = QImage(thumb, QImage::Format_RGB32);
    r.thumb.fill(colour);
    r.start = start;
    r.end = end;
    r.colour = colour;
    r.kind = Colour;
    r.params = colourParams(colour);
    return r;
}

} // namespace vc::test
