#pragma once

#include "core/render/picturepattern.h"

#include <QObject>
#include <QPixmap>

class QAbstractButton;
class QCheckBox;
class QGraphicsView;
class QLabel;
class QSlider;
class QWidget;

namespace vc {

class PictureFolder;
class Show;

// The picture tab of the mode editor: opening pictures, mirroring, the gap,
// and the pattern they make. The main window's slots of the tab forward here.
class PictureTab : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QLabel *path = nullptr;            // PicDir: the picture's file
        QGraphicsView *view = nullptr;     // PicView
        QCheckBox *revH = nullptr;         // Pic_revH
        QCheckBox *revV = nullptr;         // Pic_revV
        QSlider *gap = nullptr;            // Pic_Slide: the gap in percent
        QAbstractButton *insert = nullptr; // Add_Button: usable once a picture is there
    };

    // Patterns are drawn at the show's LED count; the open dialog starts at
    // folder, which follows the pictures loaded; dialogs and warnings open
    // over dialogParent.
    PictureTab(const Widgets &widgets, Show *show, PictureFolder *folder, QWidget *dialogParent,
               QObject *parent = nullptr);

    // Loads a picture into the pattern; a missing file is ignored. A file
    // that is no readable picture (or one too large) is refused with a
    // message and the pattern shown before stays; false then, and when the
    // user cancelled the reading of a large picture.
    bool picload(const QString &path);
    // The open dialog; several files become one mode each.
    void openPictures();
    void setGap(int value);
    // Reloads the picture named in the tab (mirror switches, LED count).
    void reload();
    // Entering the tab: reload the shown picture or disable Insert.
    void refresh();
    // The screen capture: the dialog parent's window goes out of sight, the
    // screen it was on is captured, and a saved capture is loaded as the
    // picture; the window then comes back where it was.
    void capture();

    // A mode's picture that is missing: the tab names it and holds no
    // pattern, so that no other picture is taken for it.
    void showMissing(const QString &path);

    bool hasPicture() const { return !m_pattern.pattern.isNull(); }
    // The file the pattern was drawn from.
    QString patternPath() const { return m_patternPath; }
    QPixmap pattern() const { return QPixmap::fromImage(m_pattern.pattern); }
    int patternWidth() const { return m_pattern.width; }

signals:
    // A new pattern was built (null when the file is no readable picture);
    // width is its W, the divisor of the repeat-count suggestion.
    void patternChanged(const QPixmap &pattern, int width);
    // Several pictures were opened at once: between these two, each one
    // loaded is to become a new mode when insertRequested() comes, before
    // the next one loads (never applied to a selected mode).
    void insertRunStarted();
    void insertRequested();
    void insertRunFinished();
    // A message for the status bar.
    void status(const QString &text);

private:
    void showPattern();
    // Reads a picture file into its LED-height picture, a large one on
    // another thread while the window waits. False when the wait was
    // cancelled.
    bool readInBackground(const QString &path, int leds, bool flipH, bool flipV, PictureRead *read);

    const Widgets m_widgets;
    Show *const m_show;
    PictureFolder *const m_folder;
    QWidget *const m_dialogParent;
    vc::PicturePattern m_pattern;
    QString m_patternPath;
    LedPictureCache m_pictures;
};

} // namespace vc
