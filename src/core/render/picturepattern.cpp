#include "core/render/picturepattern.h"

#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace vc {

namespace {

// Pictures above this many pixels are decoded at a reduced size when the
// reader can do it: the pattern needs only a few hundred rows at most, and a
// whole 12-megapixel decode is the slow part of loading a photo.
constexpr qint64 ReducedDecodeAbove = 4LL * 1024 * 1024;

QImage blackImage(int width, int height)
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(QColor(0, 0, 0));
    return img;
}

} // namespace

PictureRead readPictureForLeds(const QString &path, int leds)
{
    PictureRead out;
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    const qint64 pixels = size.isValid() ? qint64(size.width()) * size.height() : 0;

    if (size.isValid() && size.height() > 0 && leds > 0 &&
        qint64(size.width()) * leds / size.height() > MaxPictureColumns) {
        out.error = PictureRead::tr("圖片過寬，無法讀取") +
                    QStringLiteral(" (%1 x %2)").arg(size.width()).arg(size.height());
        return out;
    }
    if (pixels > ReducedDecodeAbove && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        // Keep several source rows per LED so the smooth scaling to the LED
        // count still averages neighbouring pixels.
        const int targetHeight = std::max(std::min(size.height(), std::max(leds, 1) * 8), 1);
        const int targetWidth = std::max(
            1, static_cast<int>(qint64(size.width()) * targetHeight / std::max(size.height(), 1)));
        reader.setScaledSize(QSize(targetWidth, targetHeight));
    } else if (pixels > MaxWholePicturePixels) {
        out.error = PictureRead::tr("圖片過大，無法讀取") +
                    QStringLiteral(" (%1 x %2)").arg(size.width()).arg(size.height());
        return out;
    }
    out.image = reader.read();
    return out;
}

PicturePattern buildPicturePattern(const QImage &picture, bool flipH, bool flipV, int leds,
                                   int gapPercent)
{
    PicturePattern out;
    if (picture.isNull() || leds <= 0)
        return out;
    if (qint64(picture.width()) * leds / std::max(picture.height(), 1) > MaxPictureColumns)
        return out;
    QImage img = picture.convertToFormat(QImage::Format_RGB32);
    if (flipH || flipV)
        img = img.mirrored(flipH, flipV);

    const QImage ledPicture = img.scaledToHeight(leds, Qt::SmoothTransformation);
    out.pictureColumns = ledPicture.width();
    out.width = out.pictureColumns;

    const QImage enlarged = ledPicture.scaledToHeight(200, Qt::FastTransformation);
    const int w200 = enlarged.width();
    out.pattern = blackImage(w200 * (gapPercent + 100) / 100, 200);
    QPainter p(&out.pattern);
    p.drawImage(0, 0, enlarged);
    return out;
}

PicturePattern regapPicturePattern(const PicturePattern &current, int leds, int gapPercent)
{
    PicturePattern out;
    out.pictureColumns = current.pictureColumns;
    out.width = (gapPercent + 100) * current.pictureColumns / 100;
    if (out.width <= 0 || leds <= 0)
        return out;
    // The new canvas is W columns at LED height, enlarged like the picture.
    const QSize canvas = QImage(out.width, leds, QImage::Format_RGB32)
                             .scaledToHeight(200, Qt::FastTransformation)
                             .size();
    out.pattern = blackImage(canvas.width(), canvas.height());
    QPainter p(&out.pattern);
    p.drawImage(0, 0, current.pattern);
    return out;
}

} // namespace vc
