#pragma once

#include <QOpenGLWidget>
#include <QPixmap>

// The animated preview of the spinning prop.
class MyGL : public QOpenGLWidget
{
    Q_OBJECT
public:
    explicit MyGL(QWidget *parent = nullptr);

    // Shows a new pattern: leds rows, played loops times in seconds.
    void setPattern(const QPixmap &pattern, short leds, int fps, double seconds, int loops);
    QPixmap pattern() const { return m_pattern; }

protected:
    void paintGL() override;

private:
    QPixmap m_pattern;
};
