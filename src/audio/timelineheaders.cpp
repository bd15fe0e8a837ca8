#include "audio/timelineheaders.h"

#include <QPainter>

Indicator::Indicator(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedWidth(1);
}

void Indicator::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QPen(QColor(10, 250, 250), 1));
    p.drawLine(0, 0, 0, height());
}

TimelineHeaders::TimelineHeaders(QWidget *parent)
    : QWidget(parent), m_indicator(new Indicator(this))
{
    setMouseTracking(true);
    connect(m_indicator, &Indicator::moved, this, &TimelineHeaders::indicatorMoved);
}
