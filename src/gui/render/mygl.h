#pragma once

#include "core/render/proppreview.h"

#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QPixmap>

class QTimer;

// The animated preview of the spinning prop: the disc on the left, the LED
// staff on the right, repainted continuously without waiting for vsync.
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

public slots:
    void update_fps();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    vc::PropPreview m_preview;
    QPixmap m_lastPattern;
    int m_averageFrame = 60;
    int m_shownFrame = 60;
    QTimer *m_repaint = nullptr;
    QTimer *m_fpsTimer = nullptr;
};
