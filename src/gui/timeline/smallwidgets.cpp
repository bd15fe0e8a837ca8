#include "gui/timeline/smallwidgets.h"

#include <QAction>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

MySlider::MySlider(QWidget *parent) : QSlider(parent) {}

void MySlider::mouseDoubleClickEvent(QMouseEvent *event)
{
    setValue((minimum() + maximum()) / 2);
    event->accept();
}

MyButton::MyButton(QWidget *parent) : QPushButton(parent) {}

void MyButton::enterEvent(QEvent *event)
{
    QPushButton::enterEvent(event);
    emit hovered(true);
}

void MyButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    emit hovered(false);
}

MyLabel::MyLabel(QWidget *parent) : QLabel(parent) {}

void MyLabel::mousePressEvent(QMouseEvent *event)
{
    emit mousePress(event);
}

myMenu::myMenu(QWidget *parent) : QMenu(parent)
{
    setToolTipDuration(-1);
}

bool myMenu::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        QAction *a = activeAction();
        if (a && !a->toolTip().isEmpty()) {
            const int y = (help->globalPos().y() / 10) * 10 - 15;
            QToolTip::showText(QPoint(x() + 170, y), a->toolTip(), this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QMenu::event(event);
}

ScrollArea::ScrollArea(QWidget *parent) : QScrollArea(parent) {}

void ScrollArea::wheelEvent(QWheelEvent *event)
{
    const int angle =
        event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    const bool ctrl = m_heldKey == Qt::Key_Control || (event->modifiers() & Qt::ControlModifier);
    const bool shift = m_heldKey == Qt::Key_Shift || (event->modifiers() & Qt::ShiftModifier);
    if (ctrl || shift) {
        emit scrolled_with_key(angle / 30, ctrl);
    } else {
        QScrollBar *bar = horizontalScrollBar();
        bar->setValue(bar->value() - angle / 3);
    }
    event->accept();
}

void ScrollArea::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Space) {
        event->ignore(); // handled by the main window
        return;
    }
    m_heldKey = event->key();
    QScrollArea::keyPressEvent(event);
}

void ScrollArea::keyReleaseEvent(QKeyEvent *event)
{
    m_heldKey = 0;
    QScrollArea::keyReleaseEvent(event);
}

void ScrollArea::focusOutEvent(QFocusEvent *event)
{
    m_heldKey = 0;
    QScrollArea::focusOutEvent(event);
}

ScrollArea2::ScrollArea2(QWidget *parent) : QScrollArea(parent) {}

void ScrollArea2::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

void ScrollArea2::mousePressEvent(QMouseEvent *event)
{
    event->ignore();
}
