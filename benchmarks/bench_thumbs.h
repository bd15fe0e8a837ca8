#pragma once

// What the project benchmarks share: the thumbs their picture modes carry
// and the median of the repeats.

#include "core/model/moderecord.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QVector>

#include <algorithm>

namespace bench {

// A picture pattern's thumb: a gradient and shapes, with photo-like grain
// when grain is set. Photos keep their grain, so their PNGs hardly shrink;
// drawn graphics (logos, patterns) compress well.
inline QImage pictureThumb(QRandomGenerator &rng, bool grain, QImage::Format format)
{
    const int width = 120 + int(rng.bounded(280));
    QImage img(width, vc::ThumbHeight, format);
    QPainter p(&img);
    QLinearGradient g(0, 0, width, vc::ThumbHeight);
    g.setColorAt(0, QColor::fromHsv(int(rng.bounded(360)), 200, 255));
    g.setColorAt(1, QColor::fromHsv(int(rng.bounded(360)), 255, 120));
    p.fillRect(img.rect(), g);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
        p.setBrush(QColor::fromHsv(int(rng.bounded(360)), 255, 255));
        p.drawEllipse(QPointF(rng.bounded(width), rng.bounded(vc::ThumbHeight)),
                      4 + rng.bounded(20), 4 + rng.bounded(20));
    }
    p.end();
    if (!grain)
        return img;
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int(rng.bounded(24)) - 12;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255),
                           qBound(0, qBlue(c) + n, 255));
        }
    }
    return img;
}

inline double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

} // namespace bench
