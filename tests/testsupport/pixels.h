#pragma once

#include <QColor>
#include <QImage>

namespace vc::test {

// How many pixels of img are exactly c (alpha aside).
inline int countColour(const QImage &img, const QColor &c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += QColor(img.pixel(x, y)) == c;
    return n;
}

} // namespace vc::test
