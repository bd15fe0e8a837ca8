#pragma once

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>

// Small widget classes the main window's form uses by name.

// A slider that jumps to the middle of its range on a double click.
class MySlider : public QSlider
{
    Q_OBJECT
public:
    explicit MySlider(QWidget *parent = nullptr);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

// A push button that reports the pointer entering (true) and leaving (false).
class MyButton : public QPushButton
{
    Q_OBJECT
public:
    explicit MyButton(QWidget *parent = nullptr);

signals:
    void hovered(bool entered);

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
};

// A label that reports every mouse press (the tracks' row labels).
class MyLabel : public QLabel
{
    Q_OBJECT
public:
    explicit MyLabel(QWidget *parent = nullptr);

signals:
    void mousePress(QMouseEvent *event);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// A menu that shows the tooltip of the hovered action beside the menu.
class myMenu : public QMenu
{
    Q_OBJECT
public:
    explicit myMenu(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
};

// The track area: the wheel scrolls horizontally, Ctrl or Shift plus the
// wheel is reported instead (zoom, vertical scroll), and Delete and Space
// reach the main window.
class ScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit ScrollArea(QWidget *parent = nullptr);

    int heldKey() const { return m_heldKey; }

signals:
    void scrolled_with_key(int delta, bool ctrl);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    // A key released while another window has the focus (a dialog opened
    // by Ctrl+S) never reaches the area: forget it, or every later turn of
    // the wheel would zoom.
    void focusOutEvent(QFocusEvent *event) override;

private:
    int m_heldKey = 0;
};

// A scroll area that only scrolls through its scroll bars: the wheel does
// nothing and presses pass on to the widget below.
class ScrollArea2 : public QScrollArea
{
    Q_OBJECT
public:
    explicit ScrollArea2(QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};
