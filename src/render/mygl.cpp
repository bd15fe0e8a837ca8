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
