#include "gui/about/fetch.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>

namespace vc {

namespace {
// The reply keeps at most this much unread; the rest waits in the socket.
constexpr qint64 ReadBuffer = 256 * 1024;

QString statusText(QNetworkReply *reply)
{
    return QStringLiteral("HTTP %1 %2")
        .arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt())
        .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
}
} // namespace

Fetch::Fetch(QNetworkAccessManager &network, const QUrl &url, qint64 limit, int stallTimeoutMs,
             QObject *parent)
    : QObject(parent), m_network(network), m_url(url), m_limit(limit),
      m_stallTimeoutMs(stallTimeoutMs)
{
    m_stall.setSingleShot(true);
    m_stall.setInterval(stallTimeoutMs);
    connect(&m_stall, &QTimer::timeout, this, [this] { stop(Outcome::TimedOut); });
}

Fetch::~Fetch()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->deleteLater();
    }
}

void Fetch::start()
{
    QNetworkRequest request(m_url);
    // Plain HTTP to the one server: no redirects to elsewhere, no caching.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    m_reply = m_network.get(request);
    m_reply->setReadBufferSize(ReadBuffer);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &Fetch::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &Fetch::onReadyRead);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64, qint64) {
        m_stall.start(); // bytes moved
    });
    connect(m_reply, &QNetworkReply::errorOccurred, this, [this](QNetworkReply::NetworkError code) {
        if (m_reply)
            m_errorText = m_reply->errorString();
        emit networkError(code);
    });
    connect(m_reply, &QNetworkReply::finished, this, &Fetch::onFinished);
    m_stall.start();
}

void Fetch::abort()
{
    stop(Outcome::NetworkError);
}

void Fetch::onMetaData()
{
    if (m_outcome != Outcome::Running || !m_reply)
        return;
    // An error page is no download: its size is no concern of the bound.
    if (m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() >= 300)
        return;
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    // A size announced beyond the bound is refused before a byte is read.
    if (length.isValid() && length.toLongLong() > m_limit)
        stop(Outcome::TooLarge);
}

bool Fetch::take(const QByteArray &chunk)
{
    if (chunk.isEmpty())
        return true;
    if (chunk.size() > m_limit - m_received) {
        stop(Outcome::TooLarge);
        return false;
    }
    m_received += chunk.size();
    if (m_sink) {
        if (!m_sink(chunk)) {
            stop(Outcome::SinkFailed);
            return false;
        }
    } else {
        m_body += chunk;
    }
    return true;
}

void Fetch::onReadyRead()
{
    if (m_outcome != Outcome::Running || !m_reply)
        return;
    m_stall.start();
    // An error page is no download: its body is read (so that the reply
    // can finish) but not taken.
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300) {
        m_discarded += m_reply->readAll().size();
        if (m_discarded > m_limit) { // an endless error page
            m_errorText = statusText(m_reply);
            stop(Outcome::NetworkError);
        }
        return;
    }
    if (!take(m_reply->readAll()))
        return;
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    emit progress(m_received, length.isValid() ? length.toLongLong() : -1);
}

void Fetch::onFinished()
{
    if (m_outcome != Outcome::Running || !m_reply)
        return;
    const QNetworkReply::NetworkError error = m_reply->error();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (error != QNetworkReply::NoError) {
        m_errorText = m_reply->errorString();
        stop(Outcome::NetworkError);
        return;
    }
    if (status != 200) {
        // Redirects are not followed; any other status is no file either.
        m_errorText = statusText(m_reply);
        stop(Outcome::NetworkError);
        return;
    }
    if (!take(m_reply->readAll()))
        return;
    stop(Outcome::Done);
}

void Fetch::stop(Outcome outcome)
{
    if (m_outcome != Outcome::Running)
        return;
    m_outcome = outcome;
    m_stall.stop();
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        // Deleting a reply stops its request. Not abort(): a reply whose
        // failure is on its way from the network thread would then report
        // a second error.
        reply->deleteLater();
    }
    emit finished();
}

} // namespace vc
