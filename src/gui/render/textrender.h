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

// Lays the text out in a rich-text editor widget that is never shown and
// renders it: colour front on back, mirrored as asked. An empty text (or a
// layout too large to hold in memory) gives a null image.
QImage renderText(const TextLayout &layout);

} // namespace vc
