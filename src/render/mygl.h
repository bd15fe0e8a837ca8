#pragma once

#include <QOpenGLWidget>

// The animated preview of the spinning prop.
class MyGL : public QOpenGLWidget
{
    Q_OBJECT
public:
    explicit MyGL(QWidget *parent = nullptr);

protected:
    void paintGL() override;
};
