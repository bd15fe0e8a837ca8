#pragma once

#include <QPointF>
#include <QVector>
#include <QtCharts/QChartView>

QT_CHARTS_BEGIN_NAMESPACE
class QLineSeries;
QT_CHARTS_END_NAMESPACE

// The song's waveform strip under the tracks. It lets every mouse event
// pass to the widgets below it.
class ChartView : public QtCharts::QChartView
{
    Q_OBJECT
public:
    explicit ChartView(QWidget *parent = nullptr);

    // Builds a chart around the series: no margins, no legend, a hidden
    // vertical axis of +-0.8 x peak so the loudest peaks are clipped.
    // The line itself is drawn by the view from points(), one column of
    // pixels at a time and only where exposed: a chart series takes about
    // a second to take a five-minute song and half a second for every
    // zoom step, while the strip must follow the zoom at once.
    void setupChart(QtCharts::QLineSeries *series, double peak);

    QVector<QPointF> &points() { return m_points; }
    const QVector<QPointF> &points() const { return m_points; }
    // The song's beats (ms, ascending), marked across the strip.
    void setBeats(const QVector<int> &beats);
    const QVector<int> &beats() const { return m_beats; }
    // Width of the strip for the present timeline scale.
    int widthForScale(float msPerPixel) const;

signals:
    void chartClicked(int msecs);

public slots:
    void mouseMoveEvent(QMouseEvent *event) override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void drawWaveform(QPainter &p, const QRect &area) const;
    void drawBeatMarks(QPainter &p, const QRect &area) const;

    QVector<QPointF> m_points;
    double m_peak = 0;
    QVector<int> m_beats;
};
