#include "propsimulator.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace vc::test {

namespace {

// How long after the open the greeting goes out: the program has set up
// the line by then.
constexpr int GreetDelayMs = 20;

qint64 nowMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

} // namespace

PropSimulator::PropSimulator()
{
    int slave = -1;
    char name[256] = {};
    if (openpty(&m_master, &slave, name, nullptr, nullptr) != 0) {
        m_master = -1;
        return;
    }
    // Raw from the start, so nothing the prop sends is echoed or changed
    // before the program has configured the line.
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    ::close(slave);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_portName = QString::fromLocal8Bit(name);
    if (pipe(m_wake) != 0) {
        m_wake[0] = m_wake[1] = -1;
    }
    m_thread = std::thread([this] { loop(); });
}

PropSimulator::~PropSimulator()
{
    m_stop = true;
    if (m_wake[1] >= 0) {
        const char c = 0;
        (void)::write(m_wake[1], &c, 1);
    }
    if (m_thread.joinable())
        m_thread.join();
    if (m_master >= 0)
        ::close(m_master);
    for (int fd : m_wake)
        if (fd >= 0)
            ::close(fd);
}

void PropSimulator::setGreeting(const QByteArray &text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_greeting = text;
}

void PropSimulator::setSlotAnswer(const QByteArray &text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_slotAnswer = text;
    m_answerSlot = true;
}

void PropSimulator::setFinalAnswer(const QByteArray &text, qint64 afterBytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_finalAnswer = text;
    m_finalAfter = afterBytes;
}

void PropSimulator::setHangUpAfter(qint64 bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hangUpAfter = bytes;
}

void PropSimulator::setStallAfter(qint64 bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stallAfter = bytes;
}

void PropSimulator::setWipeAnswer(const QByteArray &text, int delayMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wipeAnswer = text;
    m_wipeDelayMs = delayMs;
}

void PropSimulator::write(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    send(bytes);
}

QByteArray PropSimulator::received() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sessions.isEmpty() ? QByteArray() : m_sessions.last();
}

QList<QByteArray> PropSimulator::sessions() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sessions;
}

int PropSimulator::sessionCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sessions.size();
}

bool PropSimulator::waitUntil(const std::function<bool()> &cond, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

void PropSimulator::send(const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0 && m_master >= 0) {
        const ssize_t n = ::write(m_master, p, size_t(left));
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                QThread::msleep(1);
                continue;
            }
            return;
        }
        p += n;
        left -= n;
    }
}

void PropSimulator::startSession()
{
    m_sessions.append(QByteArray());
    m_greetAt = nowMs() + GreetDelayMs;
    m_slotSeen = false;
    m_finalSent = false;
    m_afterSlot = 0;
    m_wipeAt = -1;
    m_wipeDone = false;
    m_wipeScan = 0;
}

void PropSimulator::process(const QByteArray &bytes, qint64 now)
{
    QByteArray &session = m_sessions.last();
    session.append(bytes);
    QByteArray rest = bytes;
    if (m_answerSlot && !m_slotSeen && !rest.isEmpty()) {
        m_slotSeen = true;
        rest.remove(0, 1);
        if (!m_slotAnswer.isEmpty())
            send(m_slotAnswer);
    }
    if (m_slotSeen) {
        m_afterSlot += rest.size();
        if (!m_finalSent && m_finalAfter >= 0 && m_afterSlot >= m_finalAfter) {
            m_finalSent = true;
            if (!m_finalAnswer.isEmpty())
                send(m_finalAnswer);
        }
    }
    if (m_wipeDelayMs >= 0 && m_wipeAt < 0 && !m_wipeDone) {
        const int found = session.indexOf("DD", qMax(0, m_wipeScan - 1));
        if (found >= 0)
            m_wipeAt = now + m_wipeDelayMs;
        m_wipeScan = session.size();
    }
    if (m_hangUpAfter >= 0 && session.size() >= m_hangUpAfter) {
        ::close(m_master);
        m_master = -1;
        m_open = false;
        m_hungUp = true;
    }
}

void PropSimulator::loop()
{
    char buffer[65536];
    while (!m_stop) {
        if (m_master < 0) {
            QThread::msleep(5);
            continue;
        }
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        ::poll(fds, 2, 5);
        if (m_stop)
            break;

        std::unique_lock<std::mutex> lock(m_mutex);
        const qint64 now = nowMs();
        const bool hangup = fds[0].revents & POLLHUP;
        if (hangup) {
            // Nobody holds the port (any more). What the program wrote
            // before closing is still read, unless the prop had stopped
            // reading; then the session is over.
            if (m_open) {
                const bool stalled = m_stallAfter >= 0 && m_sessions.last().size() >= m_stallAfter;
                for (;;) {
                    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                    if (n <= 0)
                        break;
                    if (!stalled)
                        m_sessions.last().append(buffer, int(n));
                }
                m_open = false;
            }
            lock.unlock();
            QThread::msleep(5);
            continue;
        }
        if (!m_open) {
            m_open = true;
            startSession();
        }

        const bool stalled = m_stallAfter >= 0 && m_sessions.last().size() >= m_stallAfter;
        if ((fds[0].revents & POLLIN) && !stalled) {
            qint64 want = sizeof buffer;
            if (m_stallAfter >= 0)
                want = qMin(want, m_stallAfter - m_sessions.last().size());
            const ssize_t n = ::read(m_master, buffer, size_t(want));
            if (n > 0)
                process(QByteArray(buffer, int(n)), now);
            if (m_master < 0)
                continue;
        } else if (stalled) {
            lock.unlock();
            QThread::msleep(2);
            lock.lock();
        }

        if (m_greetAt >= 0 && now >= m_greetAt) {
            m_greetAt = -1;
            if (!m_greeting.isEmpty())
                send(m_greeting);
        }
        if (m_wipeAt >= 0 && now >= m_wipeAt) {
            m_wipeAt = -1;
            m_wipeDone = true;
            send(m_wipeAnswer);
        }
    }
}

} // namespace vc::test
