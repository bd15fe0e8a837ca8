#pragma once

#include <QTime>
#include <QWidget>

// The play cursor standing on the time ruler.
class Indicator : public QWidget
{
    Q_OBJECT
public:
    explicit Indicator(QWidget *parent = nullptr);

    QTime time() const { return m_time; }
    void setTime(const QTime &t) { m_time = t; }

signals:
    void moved(int x, bool byUser);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTime m_time{0, 0};
};

// The time ruler above the tracks, carrying the indicator and the start mark.
class TimelineHeaders : public QWidget
{
    Q_OBJECT
public:
    explicit TimelineHeaders(QWidget *parent = nullptr);

    Indicator *indicator() const { return m_indicator; }
    // Where an exported show begins, in ruler pixels; 0 = no start mark.
    int startMark() const { return m_startMark; }

signals:
    void indicatorMoved(int x, bool byUser);

private:
    Indicator *m_indicator = nullptr;
    int m_startMark = 0;
};
