#pragma once

#include "core/render/picturepattern.h"

#include <QObject>
#include <QPixmap>

class MainWindow;

namespace vc {

// The picture tab of the mode editor: opening pictures, mirroring, the gap,
// and the pattern they make.
class PictureTab : public QObject
{
    Q_OBJECT
public:
    explicit PictureTab(MainWindow *window);

    // Loads one picture and rebuilds the pattern; a missing file is ignored.
    void picload(const QString &path);
    // The open dialog; several files become one mode each.
    void openPictures();
    void setGap(int value);
    // Reloads the picture named in the tab (mirror switches, LED count).
    void reload();
    // Entering the tab: reload the shown picture or disable Insert.
    void refresh();

    bool hasPicture() const { return !m_pattern.pattern.isNull(); }
    QPixmap pattern() const { return QPixmap::fromImage(m_pattern.pattern); }
    int patternWidth() const { return m_pattern.width; }
    // Hands the pattern to the preview with the panel's duration and repeat count.
    void preview();

signals:
    // A message for the status bar.
    void status(const QString &text);

private:
    void showPattern();

    MainWindow *m_window;
    vc::PicturePattern m_pattern;
};

} // namespace vc
