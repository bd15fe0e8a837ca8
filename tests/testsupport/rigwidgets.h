#pragma once

#include <QSlider>
#include <QSpinBox>
#include <QString>
#include <QWidget>

// Widgets of a test rig, made with the object names and ranges the form
// gives them, so that an area built on a rig meets what it meets in the
// window.
namespace vc::test {

template <typename T> T *named(QWidget *parent, const char *name)
{
    auto *w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

inline QSlider *slider(QWidget *parent, const char *name, int min, int max, int value)
{
    auto *s = named<QSlider>(parent, name);
    s->setOrientation(Qt::Horizontal);
    s->setRange(min, max);
    s->setValue(value);
    return s;
}

inline QSpinBox *spinBox(QWidget *parent, const char *name, int min, int max, int value)
{
    auto *s = named<QSpinBox>(parent, name);
    s->setRange(min, max);
    s->setValue(value);
    return s;
}

} // namespace vc::test
