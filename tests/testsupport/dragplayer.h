#pragma once

#include "gui/timeline/timelineitem.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QList>
#include <QMimeData>
#include <QPointer>
#include <QWidget>

namespace vc::test {

// Plays the drags that items start, without a person: while it lives, a
// left press on an item sends the drag events a window system would send
// along the steps given (enter, move, leave, drop) and returns at once.
// Without steps a drag is a click: it enters the item's own track where
// the press was and drops there.
class DragPlayer
{
public:
    struct Step
    {
        QPointer<QWidget> target;
        QPoint pos; // in the target's coordinates
    };

    DragPlayer()
    {
        TimelineItem::setDragRunner([this](QDrag *drag) { return play(drag); });
    }
    ~DragPlayer() { TimelineItem::setDragRunner(nullptr); }
    DragPlayer(const DragPlayer &) = delete;
    DragPlayer &operator=(const DragPlayer &) = delete;

    // The steps of the next drag; consumed by it.
    QList<Step> steps;
    // Whether the next drag ends with a drop (else it leaves, as Escape or
    // a release outside the window would end it).
    bool drop = true;

    // What the last drag carried, and whether each step was accepted.
    QStringList formats;
    QByteArray payload;
    QList<bool> accepted;
    int drags = 0;

    Qt::DropAction play(QDrag *drag)
    {
        ++drags;
        QMimeData *mime = drag->mimeData();
        formats = mime->formats();
        payload = mime->data(TimelineItem::DragMimeType);
        accepted.clear();
        QList<Step> todo = steps;
        steps.clear();
        const bool dropAtEnd = drop;
        drop = true;
        if (todo.isEmpty()) {
            auto *source = qobject_cast<QWidget *>(drag->source());
            if (source && source->parentWidget())
                todo.append({source->parentWidget(),
                             source->mapTo(source->parentWidget(), drag->hotSpot())});
        }
        const Qt::DropActions actions = Qt::MoveAction;
        QPointer<QWidget> current;
        bool entered = false;
        QPoint last;
        for (const Step &s : qAsConst(todo)) {
            if (!s.target)
                continue;
            if (s.target != current) {
                if (current && entered) {
                    QDragLeaveEvent leave;
                    QApplication::sendEvent(current, &leave);
                }
                current = s.target;
                QDragEnterEvent enter(s.pos, actions, mime, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(current, &enter);
                entered = enter.isAccepted();
            }
            if (entered && current) {
                QDragMoveEvent move(s.pos, actions, mime, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(current, &move);
            }
            accepted.append(entered);
            last = s.pos;
        }
        if (!current || !entered)
            return Qt::IgnoreAction;
        if (!dropAtEnd) {
            QDragLeaveEvent leave;
            QApplication::sendEvent(current, &leave);
            return Qt::IgnoreAction;
        }
        QDropEvent dropped(last, actions, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(current, &dropped);
        return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
    }
};

} // namespace vc::test
