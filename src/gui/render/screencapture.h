#pragma once

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>

class QAbstractButton;
class QDockWidget;
class QPushButton;
class QScreen;
class QSlider;
class QSpinBox;

namespace vc {

// Turns part of a screen into a picture: the screen, frozen at
// construction, fills the dialog under a white veil; the user draws on it
// with a pen or an eraser and drags a rectangle, which is saved with the
// drawing merged in and announced by callback().
//
// The tool window is a floating dock: capture, pen and eraser (exactly one
// active), clear, the pen colour and the pen width (slider and spin box in
// step). Closing it closes the dialog.
class ScreenCapture : public QDialog
{
    Q_OBJECT
public:
    // Grabs `screen` at its device pixel ratio and covers it; with no
    // screen, or when the grab yields nothing, there is no screenshot.
    explicit ScreenCapture(QScreen *screen, QWidget *parent = nullptr);

    bool hasScreenshot() const { return !m_clean.isNull(); }
    // Runs the dialog modally. Without a screenshot it says so instead of
    // showing a blank veil, and returns Rejected.
    int run();

    // The capture rectangle in the dialog's coordinates; null before a drag.
    QRect selection() const { return m_selection; }
    QColor penColour() const { return m_penColour; }

public slots:
    // Takes the screenshot, clean and veiled.
    void shoot();

signals:
    // A picture was saved at fsv.
    void callback(QString fsv);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void on_cap_BTN_toggled(bool checked);
    void on_pen_BTN_toggled(bool checked);
    void on_era_BTN_toggled(bool checked);
    void on_size_slide_valueChanged(int value);
    void on_PenSize_valueChanged(int arg1);
    void on_color_choose_clicked();
    void on_clr_BTN_clicked();

private:
    enum class Tool
    {
        Capture,
        Pen,
        Eraser
    };

    void buildToolWindow();
    Tool tool() const;
    // The cursor of the active tool at the present width.
    void updateCursor();
    // Draws from `from` to `to` on the drawing layer with the active tool
    // (one point when they are equal).
    void stroke(const QPoint &from, const QPoint &to);
    // Asks where the selection goes and saves it; true once saved.
    bool save();

    QScreen *const m_screen;
    QImage m_clean;
    QImage m_veiled;
    QImage m_layer;
    QColor m_penColour{Qt::black};
    QPoint m_lastPoint;
    QPoint m_hover;
    bool m_hovering = false;
    QRect m_selection;
    bool m_pressed = false;

    QDockWidget *m_dock = nullptr;
    bool m_dockPlaced = false;
    QPushButton *m_capture = nullptr;
    QPushButton *m_pen = nullptr;
    QPushButton *m_eraser = nullptr;
    QPushButton *m_clear = nullptr;
    QPushButton *m_colour = nullptr;
    QSlider *m_sizeSlide = nullptr;
    QSpinBox *m_penSize = nullptr;
};

} // namespace vc
