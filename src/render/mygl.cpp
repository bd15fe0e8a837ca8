#include "render/mygl.h"

#include <QPainter>

MyGL::MyGL(QWidget *parent) : QOpenGLWidget(parent)
{
    setMinimumSize(200, 200);
}

void MyGL::paintGL()
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
}

void MyGL::setPattern(const QPixmap &pattern, short leds, int fps, double seconds, int loops)
{
    Q_UNUSED(leds);
    Q_UNUSED(fps);
    Q_UNUSED(seconds);
    Q_UNUSED(loops);
    m_pattern = pattern;
    update();
}
