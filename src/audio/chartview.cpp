#include "audio/chartview.h"

#include "timeline/timescale.h"

#include <QDebug>
#include <QGraphicsLayout>
#include <QMouseEvent>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

using namespace QtCharts;

ChartView::ChartView(QWidget *parent) : QChartView(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setStyleSheet(QStringLiteral("background: transparent"));
    setBackgroundBrush(Qt::NoBrush);
}

void ChartView::setupChart(QLineSeries *series, double peak)
{
    qDebug() << "series max" << peak;
    auto *c = new QChart;
    c->setMargins(QMargins(0, 0, 0, 0));
    c->layout()->setContentsMargins(0, 0, 0, 0);
    c->setBackgroundRoundness(0);
    c->setBackgroundVisible(false);
    c->legend()->hide();
    c->addSeries(series);
    auto *axis = new QValueAxis;
    axis->setRange(-0.8 * peak, 0.8 * peak);
    c->addAxis(axis, Qt::AlignLeft);
    axis->hide();
    series->attachAxis(axis);

    QChart *old = chart();
    setChart(c);
    // setChart leaves the previous chart to us.
    if (old && old != c)
        delete old;
}

int ChartView::widthForScale(float msPerPixel) const
{
    return vc::timescale::waveformWidth(m_points.size(), msPerPixel);
}

void ChartView::mouseMoveEvent(QMouseEvent *event)
{
    event->ignore();
}

void ChartView::mousePressEvent(QMouseEvent *event)
{
    event->ignore();
}
