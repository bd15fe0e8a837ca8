#pragma once

#include <QTime>
#include <QTimeEdit>

class QTimer;

// The song clock box: shows the play position and, when no song is
// loaded, runs the internal play clock. The clock's position comes from
// the wall clock, not from counting ticks, so late ticks never slow it.
class myTime : public QTimeEdit
{
    Q_OBJECT
public:
    explicit myTime(QWidget *parent = nullptr);

    QTimer *timer() const { return m_timer; }
    bool isRunning() const;
    // Starts and stops the ticking; the position is set by restart().
    void start();
    void stop();
    // Restarts the clock at t ms: shows t, takes the wall time as the new
    // base and reports t at once.
    void restart(qint64 msecs);
    // The position the clock reports now.
    qint64 position() const;

signals:
    void timer_timeout(qlonglong msecs);

private slots:
    void on_timer_update();

private:
    void show(qint64 msecs);

    QTimer *m_timer = nullptr;
    QTime m_baseTime;
    int m_startWall = 0;
};
