#pragma once

#include <QTime>
#include <QTimeEdit>

class QTimer;

// The song clock box: shows the play position and, when no song is
// loaded, runs the internal wall-clock play timer.
class myTime : public QTimeEdit
{
    Q_OBJECT
public:
    explicit myTime(QWidget *parent = nullptr);

    QTimer *timer() const { return m_timer; }

signals:
    void timer_timeout(qlonglong msecs);

private:
    QTimer *m_timer = nullptr;
    QTime m_baseTime;
    int m_startWall = 0;
};
