#include "gui/render/mygl.h"

#include <QPainter>
#include <QSurfaceFormat>
#include <QTimer>

MyGL::MyGL(QWidget *parent)
    : QOpenGLWidget(parent), m_repaint(new QTimer(this)), m_fpsTimer(new QTimer(this))
{
    setMinimumSize(200, 200);
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setSwapInterval(0);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    setFormat(format);

    connect(m_repaint, &QTimer::timeout, this, qOverload<>(&MyGL::update));
    m_repaint->start(1);
    connect(m_fpsTimer, &QTimer::timeout, this, &MyGL::update_fps);
    m_fpsTimer->start(500);
}

void MyGL::setPattern(const QPixmap &pattern, short leds, int fps, double seconds, int loops)
{
    Q_UNUSED(fps); // the preview runs on wall-clock time, not the prop's rate
    m_lastPattern = pattern;
    m_preview.setPattern(pattern, leds, seconds, loops);
}

void MyGL::setSweep(int sweep)
{
    m_preview.setSweep(sweep);
}

void MyGL::seek(int t, int start, int end)
{
    m_preview.seek(t, start, end);
}

void MyGL::clearViews()
{
    m_preview.clearViews();
}

void MyGL::update_fps()
{
    m_shownFrame = m_averageFrame;
}

void MyGL::initializeGL()
{
    initializeOpenGLFunctions();
}

void MyGL::paintGL()
{
    const qint64 elapsed = m_preview.frameClock().restart();
    m_preview.step(elapsed);
    QPainter p(this);
    m_preview.compose(p, width(), height(), m_shownFrame);
    m_averageFrame = static_cast<int>((elapsed + m_averageFrame) / 2);
}
