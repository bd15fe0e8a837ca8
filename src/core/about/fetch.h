#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;

namespace vc {

// One HTTP GET from the update server, streamed: the body goes to a sink as
// it arrives (or is kept, for the small version file), never more than a
// bound; a server that stops sending for the stall time-out, or has not
// sent everything by the deadline, is given up instead of waited for. The
// body is asked for and taken as it is on the wire: an answer packed with a
// content encoding (which would unpack to any size) is refused.
class Fetch : public QObject
{
    Q_OBJECT

public:
    enum class Outcome
    {
        Running,
        Done,         // the whole body arrived
        NetworkError, // refused, unreachable, dropped ...
        HttpError,    // the server answered with an error status
        TimedOut,     // no bytes moved for the stall time-out, or past the deadline
        TooLarge,     // announced or sent more than the bound
        Encoded,      // the body came packed with a content encoding
        SinkFailed,   // the sink refused the bytes (it says why)
    };

    // Takes bytes as they arrive; false stops the transfer.
    using Sink = std::function<bool(const QByteArray &)>;

    Fetch(QNetworkAccessManager &network, const QUrl &url, qint64 limit, int stallTimeoutMs,
          QObject *parent = nullptr);
    ~Fetch() override;

    // Without a sink the body is kept and body() returns it.
    void setSink(Sink sink) { m_sink = std::move(sink); }
    // The whole request must be done this long after start() (0: no limit).
    void setDeadline(int ms) { m_deadlineMs = ms; }
    void start();
    void abort();

    Outcome outcome() const { return m_outcome; }
    // The network's reason for NetworkError, the status for HttpError.
    QString errorText() const { return m_errorText; }
    // Whether the server answered at all (a status line came).
    bool answered() const { return m_answered; }
    // What went wrong, in the user's words; empty when the body arrived.
    QString problem() const;
    QByteArray body() const { return m_body; }
    qint64 received() const { return m_received; }
    QUrl url() const { return m_url; }
    int stallTimeoutMs() const { return m_stallTimeoutMs; }
    qint64 limit() const { return m_limit; }

signals:
    // total is -1 while the server has not announced a size.
    void progress(qint64 received, qint64 total);
    // The error signal of the reply, as it comes (before finished).
    void networkError(QNetworkReply::NetworkError code);
    // Once, whatever the outcome.
    void finished();

private:
    void onReadyRead();
    void onMetaData();
    void onFinished();
    void stop(Outcome outcome);
    bool take(const QByteArray &chunk);
    // Stops with Encoded when the body comes packed.
    bool refuseEncoding();

    QNetworkAccessManager &m_network;
    QUrl m_url;
    qint64 m_limit;
    int m_stallTimeoutMs;
    Sink m_sink;
    QPointer<QNetworkReply> m_reply;
    QTimer m_stall;
    QTimer m_deadline;
    int m_deadlineMs = 0;
    bool m_answered = false;
    bool m_deadlinePassed = false;
    Outcome m_outcome = Outcome::Running;
    QString m_errorText;
    QByteArray m_body;
    qint64 m_received = 0;
    qint64 m_discarded = 0;
};

} // namespace vc
