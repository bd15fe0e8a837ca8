#include "core/about/fetch.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>

namespace vc {

namespace {
// The reply keeps at most this much unread; the rest waits in the socket.
constexpr qint64 ReadBuffer = 256 * 1024;

// Words from the server go into messages: letters, digits and plain
// punctuation only (no markup), and not many of them.
QString serverWords(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (out.size() >= 60)
            break;
        if (c.isLetterOrNumber() || c == QLatin1Char(' ') ||
            QStringLiteral("-_./,:;()").contains(c))
            out += c;
    }
    return out.trimmed();
}

QString statusText(QNetworkReply *reply)
{
    return QStringLiteral("HTTP %1 %2")
        .arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt())
        .arg(serverWords(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()))
        .trimmed();
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
    // A server that sends a byte now and then never stalls; the deadline
    // ends it all the same.
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_deadlinePassed = true;
        stop(Outcome::TimedOut);
    });
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
    // Asked for as it is: Qt would otherwise ask for gzip and unpack the
    // body itself, before any bound here sees a byte of it.
    request.setRawHeader("Accept-Encoding", "identity");
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
    if (m_deadlineMs > 0)
        m_deadline.start(m_deadlineMs);
}

void Fetch::abort()
{
    stop(Outcome::NetworkError);
}

bool Fetch::refuseEncoding()
{
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed().toLower();
    if (encoding.isEmpty() || encoding == "identity")
        return false;
    m_errorText = serverWords(QString::fromLatin1(encoding));
    stop(Outcome::Encoded);
    return true;
}

void Fetch::onMetaData()
{
    if (m_outcome != Outcome::Running || !m_reply)
        return;
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    m_answered = m_answered || status.isValid();
    // An error page is no download: its size is no concern of the bound.
    if (status.toInt() >= 300 || refuseEncoding())
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
            stop(Outcome::HttpError);
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
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    m_answered = m_answered || status.isValid();
    if (status.isValid() && status.toInt() != 200) {
        // Redirects are not followed; any other status is no file either.
        m_errorText = statusText(m_reply);
        stop(Outcome::HttpError);
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        m_errorText = m_reply->errorString();
        stop(Outcome::NetworkError);
        return;
    }
    if (refuseEncoding() || !take(m_reply->readAll()))
        return;
    stop(Outcome::Done);
}

QString Fetch::problem() const
{
    switch (m_outcome) {
    case Outcome::Running:
    case Outcome::Done:
    case Outcome::SinkFailed: // the sink knows why
        return QString();
    case Outcome::NetworkError:
    case Outcome::TimedOut:
        if (!m_answered)
            return tr("無法連線至更新伺服器");
        if (m_outcome == Outcome::NetworkError)
            return tr("與更新伺服器的連線中斷：%1").arg(m_errorText);
        if (m_deadlinePassed)
            return tr("更新伺服器沒有在 %1 秒內傳完資料，已停止下載。").arg(m_deadlineMs / 1000.0);
        return tr("伺服器 %1 秒沒有傳來資料，已停止下載。").arg(m_stallTimeoutMs / 1000.0);
    case Outcome::HttpError:
        return tr("更新伺服器回應錯誤：%1").arg(m_errorText);
    case Outcome::TooLarge:
        return tr("下載的檔案大於允許的 %1 位元組，已停止下載。").arg(m_limit);
    case Outcome::Encoded:
        return tr("更新伺服器的回答經過壓縮（%1），不予接受。").arg(m_errorText);
    }
    return QString();
}

void Fetch::stop(Outcome outcome)
{
    if (m_outcome != Outcome::Running)
        return;
    m_outcome = outcome;
    m_stall.stop();
    m_deadline.stop();
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
