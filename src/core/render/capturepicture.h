#pragma once

#include <QImage>
#include <QRect>
#include <QString>

namespace vc {

// A screenshot as the capture dialog shows it: covered with white at alpha
// 150, so that what is drawn and selected on it stands out.
QImage veiledScreenshot(const QImage &clean);

// The picture a capture saves: the drawing layer over the clean screenshot,
// cut to the selection. The selection is in the screenshot's logical
// pixels (it may carry a device pixel ratio); a null one, or one lying off
// the screenshot, takes the whole screen.
QImage capturedPicture(const QImage &clean, const QImage &layer, const QRect &selection);

// Writes a captured picture, making its folder first. The format follows
// the file's suffix; a name without one is written as PNG. False when the
// folder cannot be made or the picture cannot be written.
bool saveCapturedPicture(const QImage &picture, const QString &path);

} // namespace vc
