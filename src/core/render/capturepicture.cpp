#include "core/render/capturepicture.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

namespace vc {

QImage veiledScreenshot(const QImage &clean)
{
    QImage veiled = clean.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    veiled.setDevicePixelRatio(clean.devicePixelRatio());
    QPainter p(&veiled);
    p.fillRect(QRect(QPoint(0, 0), veiled.size()), QColor(255, 255, 255, 150));
    return veiled;
}

QImage capturedPicture(const QImage &clean, const QImage &layer, const QRect &selection)
{
    QImage merged = clean.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    merged.setDevicePixelRatio(1.0);
    if (!layer.isNull()) {
        QImage top = layer;
        top.setDevicePixelRatio(1.0);
        QPainter p(&merged);
        p.drawImage(QRect(QPoint(0, 0), merged.size()), top);
    }
    const QRect whole(QPoint(0, 0), merged.size());
    const qreal dpr = clean.devicePixelRatio();
    QRect cut;
    if (!selection.isNull()) {
        const QRectF scaled(selection.x() * dpr, selection.y() * dpr, selection.width() * dpr,
                            selection.height() * dpr);
        cut = scaled.toAlignedRect() & whole;
    }
    QImage picture = cut.isEmpty() ? merged : merged.copy(cut);
    return picture.convertToFormat(QImage::Format_RGB32);
}

bool saveCapturedPicture(const QImage &picture, const QString &path)
{
    if (picture.isNull() || path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QImageWriter writer(path);
    if (info.suffix().isEmpty())
        writer.setFormat("png");
    return writer.write(picture);
}

} // namespace vc
