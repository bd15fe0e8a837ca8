#pragma once

#include "core/render/proppreview.h"

#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QPixmap>

class QTimer;

// The animated preview of the spinning prop: the disc on the left, the LED
// staff on the right. It repaints at the display's refresh rate while it can
// be seen and something on it moves; the motion comes from the elapsed
// time, so the rate changes how often it is sampled, not how it moves.
class MyGL : public QOpenGLWidget, protected QOpenGLFunctions
{
    Q_OBJECT
public:
    explicit MyGL(QWidget *parent = nullptr);

    // Shows a new pattern: leds rows, played loops times in seconds.
    void setPattern(const QPixmap &pattern, short leds, int fps, double seconds, int loops);
    void setSweep(int sweep);
    // Playback jumped to time t inside the item from start to end.
    void seek(int t, int start, int end);
    // The LED count changed: both views go black.
    void clearViews();

    vc::PropPreview &preview() { return m_preview; }
    QPixmap pattern() const { return m_lastPattern; }
    // Whether frames are being drawn (not hidden, covered or standing still).
    bool isAnimating() const;
    // Milliseconds between frames: one refresh of the display it is on.
    int frameInterval() const;

public slots:
    void update_fps();

protected:
    void initializeGL() override;
    void paintGL() override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // Something changed, or the widget came back into view: draw again from
    // a restarted frame clock, so the motion does not jump.
    void wake();
    void tick();
    bool canBeSeen() const;

    vc::PropPreview m_preview;
    QPixmap m_lastPattern;
    // Frame times in ms for the rate text: the running average of the frames
    // drawn since the last wake, and the copy shown (0: no figure, while the
    // preview stands still or has not yet drawn two frames in a row).
    int m_averageFrame = 0;
    int m_shownFrame = 0;
    int m_framesSinceWake = 0;
    bool m_unseen = false; // the frame timer only watches for the widget to come back
    QTimer *m_frameTimer = nullptr;
    QTimer *m_fpsTimer = nullptr;
};
