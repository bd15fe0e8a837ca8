#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace vc::test {

// Plays the prop on the far side of a pseudo-terminal, on a thread of its
// own, so that code under test can block on the real QSerialPort. The
// program opens portName(); the simulator notices the open (a pty cannot
// carry DTR), greets, answers as configured and records every byte.
// Configure before the program opens the port.
class PropSimulator
{
public:
    PropSimulator();
    ~PropSimulator();

    bool isValid() const { return m_master >= 0 || m_hungUp; }
    // The device path, e.g. "/dev/pts/7".
    QString portName() const { return m_portName; }

    // Sent once the port is opened; empty: the prop stays silent.
    void setGreeting(const QByteArray &text);
    // Sent in answer to the first byte of a session (the show slot).
    void setSlotAnswer(const QByteArray &text);
    // Sent once `afterBytes` bytes have followed the slot byte.
    void setFinalAnswer(const QByteArray &text, qint64 afterBytes);
    // Closes the line (as if the prop were unplugged) once this many bytes
    // have arrived in a session.
    void setHangUpAfter(qint64 bytes);
    // Stops reading once this many bytes have arrived: the sender blocks.
    void setStallAfter(qint64 bytes);
    // Answers "DD" with text after delayMs.
    void setWipeAnswer(const QByteArray &text, int delayMs);

    // Sends bytes to the program now (the prop talking on its own).
    void write(const QByteArray &bytes);

    // Bytes received in the current (or last) session.
    QByteArray received() const;
    // Bytes received per session, all sessions.
    QList<QByteArray> sessions() const;
    int sessionCount() const;
    bool portOpen() const { return m_open; }
    bool hungUp() const { return m_hungUp; }

    // Waits (processing the caller's events) until cond holds or ms pass.
    static bool waitUntil(const std::function<bool()> &cond, int ms);

private:
    void loop();
    void startSession();
    void process(const QByteArray &bytes, qint64 nowMs);
    void send(const QByteArray &bytes);

    int m_master = -1;
    int m_wake[2] = {-1, -1};
    QString m_portName;
    std::thread m_thread;
    std::atomic_bool m_stop{false};
    std::atomic_bool m_open{false};
    std::atomic_bool m_hungUp{false};

    mutable std::mutex m_mutex;
    QByteArray m_greeting;
    QByteArray m_slotAnswer;
    bool m_answerSlot = false;
    QByteArray m_finalAnswer;
    qint64 m_finalAfter = -1;
    qint64 m_hangUpAfter = -1;
    qint64 m_stallAfter = -1;
    QByteArray m_wipeAnswer;
    int m_wipeDelayMs = -1;

    QList<QByteArray> m_sessions;
    // per-session state
    qint64 m_greetAt = -1;
    bool m_slotSeen = false;
    bool m_finalSent = false;
    qint64 m_afterSlot = 0;
    qint64 m_wipeAt = -1;
    bool m_wipeDone = false;
    int m_wipeScan = 0;
};

} // namespace vc::test
