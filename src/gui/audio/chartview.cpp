#include "gui/audio/chartview.h"

#include "core/timeline/timescale.h"

#include <QDebug>
#include <QGraphicsLayout>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>

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
    m_peak = peak;
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

void ChartView::paintEvent(QPaintEvent *event)
{
    QChartView::paintEvent(event);
    if (m_points.size() < 2)
        return;
    QPainter p(viewport());
    drawBeatMarks(p, event->rect());
    drawWaveform(p, event->rect());
}

void ChartView::setBeats(const QVector<int> &beats)
{
    m_beats = beats;
    viewport()->update();
}

// A faint amber line across the strip at each beat, under the waveform, at
// the x the waveform's own samples of that moment have.
void ChartView::drawBeatMarks(QPainter &p, const QRect &area) const
{
    const double lastX = m_points.last().x();
    if (m_beats.isEmpty() || lastX <= 0 || width() <= 1)
        return;
    const double pxPerMs = (width() - 1) / lastX * vc::timescale::WaveformRate / 1000.0;
    const int from = static_cast<int>((area.left() - 1) / pxPerMs);
    const int to = static_cast<int>((area.right() + 2) / pxPerMs) + 1;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(255, 170, 40, 110), 1));
    for (auto it = std::lower_bound(m_beats.cbegin(), m_beats.cend(), from);
         it != m_beats.cend() && *it <= to; ++it) {
        const int x = static_cast<int>(*it * pxPerMs + 0.5);
        p.drawLine(x, 0, x, height());
    }
    p.restore();
}

void ChartView::drawWaveform(QPainter &p, const QRect &area) const
{
    const double lastX = m_points.last().x();
    if (lastX <= 0 || width() <= 1)
        return;
    // The chart's mapping: the data's x range across the whole width, the
    // axis range +-0.8 x peak across the height, clipped beyond it.
    const double pxPerSample = (width() - 1) / lastX;
    const double half = height() / 2.0;
    const double range = m_peak > 0 ? 0.8 * m_peak : 1.0;
    auto yPx = [&](double y) { return qBound(0.0, half - y * half / range, double(height())); };
    // Index of the first point at or after sample x (points are in x order
    // after the leading one).
    auto indexAt = [&](double x) {
        auto it = std::lower_bound(m_points.cbegin() + 1, m_points.cend(), x,
                                   [](const QPointF &pt, double v) { return pt.x() < v; });
        return int(it - m_points.cbegin());
    };

    p.setRenderHint(QPainter::Antialiasing, renderHints() & QPainter::Antialiasing);
    p.setPen(QPen(QColor(100, 100, 255, 255), 1));
    const double fromSample = qMax(0.0, (area.left() - 2) / pxPerSample);
    const double toSample = (area.right() + 2) / pxPerSample;
    int i = qMax(1, indexAt(fromSample) - 1);
    const int end = qMin(m_points.size(), indexAt(toSample) + 2);
    if (i >= end)
        return;

    if (pxPerSample >= 0.25) {
        // Up to four samples a pixel: the line through every sample.
        QPolygonF line;
        line.reserve(end - i);
        for (; i < end; ++i)
            line << QPointF(m_points[i].x() * pxPerSample, yPx(m_points[i].y()));
        p.drawPolyline(line);
        return;
    }
    // Denser: per column, the span the line covers there, joined to the
    // previous column's last sample as the line would be.
    double prevY = m_points[i].y();
    while (i < end) {
        const int column = int(m_points[i].x() * pxPerSample);
        double lo = prevY, hi = prevY;
        while (i < end && int(m_points[i].x() * pxPerSample) == column) {
            lo = qMin(lo, m_points[i].y());
            hi = qMax(hi, m_points[i].y());
            prevY = m_points[i].y();
            ++i;
        }
        p.drawLine(QPointF(column + 0.5, yPx(hi)), QPointF(column + 0.5, yPx(lo)));
    }
}
