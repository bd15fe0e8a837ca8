#include "gui/timeline/playline.h"

#include "gui/audio/timelineheaders.h"

#include <QPaintEvent>
#include <QPainter>

PlayLine::PlayLine(TimelineHeaders *ruler, QWidget *area) : QWidget(area), m_ruler(ruler)
{
    setObjectName(QStringLiteral("play_line"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // It covers its one-pixel column completely: nothing under it needs
    // painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(ruler->indicator(), &Indicator::moved, this, &PlayLine::follow);
    area->installEventFilter(this);
    ruler->installEventFilter(this);
    follow();
    raise();
    show();
}

void PlayLine::follow()
{
    // Below the ruler, whose own indicator draws the top of the line.
    const QPoint top = m_ruler->mapTo(parentWidget(), QPoint(m_ruler->indicator()->x(), 0)) +
                       QPoint(0, m_ruler->height());
    const QRect line(top.x(), top.y(), 1, std::max(0, parentWidget()->height() - top.y()));
    if (line != geometry())
        setGeometry(line);
}

bool PlayLine::eventFilter(QObject *watched, QEvent *event)
{
    Q_UNUSED(watched);
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move)
        follow();
    return false;
}

void PlayLine::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), QColor(10, 250, 250));
}
