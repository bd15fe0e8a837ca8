#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace vc {

// What a text pattern is drawn from.
struct TextLayout
{
    QString text;          // already free of the reserved characters
    QString family;        // empty: the default font
    int fontSizeIndex = 9; // 0..9
    int widthFactor = 5;   // 1..20
    QColor front{255, 255, 255};
    QColor back{0, 0, 0};
    bool revH = false;
    bool revV = false;
};

// Lays the text out in a box of TextPattern::layoutSize() and draws it:
// colour front on back, mirrored as asked. The text wraps at word
// boundaries, or anywhere inside a word wider than the box, within a
// margin of 4 pixels. A text that does not fit is shown as far as its end:
// the box then shows the last lines, and the right end of a line wider
// than the box. Fonts are sized at the resolution TextPattern::measure()
// uses, whatever the screen. An empty text (or a layout too large to hold
// in memory) gives a null image.
//
// Needs a QGuiApplication (fonts), but no window and no widgets.
QImage renderText(const TextLayout &layout);

} // namespace vc
