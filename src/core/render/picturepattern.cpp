#include "core/render/picturepattern.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace vc {

namespace {

// Pictures above this many pixels are decoded at a reduced size when the
// reader can do it: the pattern needs only a few hundred rows at most, and a
// whole 12-megapixel decode is the slow part of loading a photo.
constexpr qint64 ReducedDecodeAbove = 4LL * 1024 * 1024;
// A picture up to this size decodes in a few milliseconds.
constexpr qint64 QuickPicturePixels = 2LL * 1024 * 1024;

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
    return patternFromLedPicture(ledPicture(picture, flipH, flipV, leds), gapPercent);
}

QImage ledPicture(const QImage &picture, bool flipH, bool flipV, int leds)
{
    if (picture.isNull() || leds <= 0)
        return {};
    if (qint64(picture.width()) * leds / std::max(picture.height(), 1) > MaxPictureColumns)
        return {};
    QImage img = picture.convertToFormat(QImage::Format_RGB32);
    if (flipH || flipV)
        img = img.mirrored(flipH, flipV);
    return img.scaledToHeight(leds, Qt::SmoothTransformation);
}

PicturePattern patternFromLedPicture(const QImage &ledPicture, int gapPercent)
{
    PicturePattern out;
    if (ledPicture.isNull())
        return out;
    out.pictureColumns = ledPicture.width();
    out.width = out.pictureColumns;

    const QImage enlarged = ledPicture.scaledToHeight(200, Qt::FastTransformation);
    const int w200 = enlarged.width();
    out.pattern = blackImage(w200 * (gapPercent + 100) / 100, 200);
    QPainter p(&out.pattern);
    p.drawImage(0, 0, enlarged);
    return out;
}

PictureRead readLedPicture(const QString &path, int leds, bool flipH, bool flipV)
{
    PictureRead read = readPictureForLeds(path, leds);
    read.image = ledPicture(read.image, flipH, flipV, leds);
    return read;
}

bool isQuickToRead(const QString &path)
{
    const QSize size = QImageReader(path).size();
    return size.isValid() && qint64(size.width()) * size.height() <= QuickPicturePixels;
}

QString LedPictureCache::keyFor(const QString &path, int leds, bool flipH, bool flipV)
{
    const QFileInfo file(path);
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(file.absoluteFilePath())
        .arg(file.size())
        .arg(file.lastModified().toMSecsSinceEpoch())
        .arg(leds)
        .arg(int(flipH))
        .arg(int(flipV));
}

QImage LedPictureCache::find(const QString &key) const
{
    const QImage *picture = m_pictures.object(key);
    return picture ? *picture : QImage();
}

void LedPictureCache::insert(const QString &key, const QImage &picture)
{
    m_pictures.insert(key, new QImage(picture), int(picture.sizeInBytes() / 1024) + 1);
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
