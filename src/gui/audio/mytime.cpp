#include "gui/audio/mytime.h"

#include <QTimer>

namespace {

int nowMs()
{
    return QTime::currentTime().msecsSinceStartOfDay();
}

int msOf(const QTime &t)
{
    return t.isValid() ? t.msecsSinceStartOfDay() : 0;
}

} // namespace

namespace {
// How often the running clock reports: as often as the media player reports
// a song's position. The position comes from the wall clock, so this sets
// how smoothly the indicator moves, not where it is; ticking on every pass
// of the event loop would keep a core busy for nothing.
constexpr int TickMs = 10;
} // namespace

myTime::myTime(QWidget *parent) : QTimeEdit(parent), m_timer(new QTimer(this))
{
    setDisplayFormat(QStringLiteral("mm:ss.zzz"));
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(TickMs);
    connect(m_timer, &QTimer::timeout, this, &myTime::on_timer_update);
}

bool myTime::isRunning() const
{
    return m_timer->isActive();
}

void myTime::start()
{
    m_timer->start(TickMs);
}

void myTime::stop()
{
    m_timer->stop();
}

void myTime::restart(qint64 msecs)
{
    if (msecs < 0)
        msecs = 0;
    m_baseTime = QTime(0, 0).addMSecs(static_cast<int>(msecs));
    show(msecs);
    m_startWall = nowMs();
    emit timer_timeout(msecs);
}

qint64 myTime::position() const
{
    int elapsed = nowMs() - m_startWall;
    if (elapsed < 0) // the clock ran past midnight
        elapsed += 24 * 3600 * 1000;
    return msOf(m_baseTime) + elapsed;
}

void myTime::on_timer_update()
{
    const qint64 pos = position();
    show(pos);
    emit timer_timeout(pos);
}

void myTime::show(qint64 msecs)
{
    const QSignalBlocker block(this);
    setTime(QTime(0, 0).addMSecs(static_cast<int>(msecs)));
}
