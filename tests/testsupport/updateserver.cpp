#include "updateserver.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace vc::test {

namespace {

QByteArray header(qint64 length, const QByteArray &status = "200 OK",
                  const QByteArray &more = QByteArray())
{
    QByteArray h = "HTTP/1.1 " + status + "\r\nContent-Type: application/octet-stream\r\n" + more;
    if (length >= 0)
        h += "Content-Length: " + QByteArray::number(length) + "\r\n";
    return h + "Connection: close\r\n\r\n";
}

// The flood's bytes are made as the client takes them, never all at once.
constexpr qint64 FloodChunk = 64 * 1024;
const char *const FloodSent = "vcFloodSent";
const char *const FloodTotal = "vcFloodTotal";

} // namespace

StandInUpdateServer::StandInUpdateServer()
{
    connect(&m_server, &QTcpServer::newConnection, this, &StandInUpdateServer::onConnection);
    m_server.listen(QHostAddress::LocalHost, 0);
}

StandInUpdateServer::~StandInUpdateServer() = default;

QUrl StandInUpdateServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
}

void StandInUpdateServer::serve(const QString &path, const QByteArray &body, Behaviour behaviour)
{
    Route &r = m_routes[path];
    r.body = body;
    r.behaviour = behaviour;
}

void StandInUpdateServer::misbehave(const QString &path, Behaviour behaviour)
{
    m_routes[path].behaviour = behaviour;
}

void StandInUpdateServer::flood(const QString &path, qint64 bytes, bool announce)
{
    Route &r = m_routes[path];
    r.behaviour = Behaviour::Flood;
    r.floodBytes = bytes;
    r.announceFlood = announce;
}

void StandInUpdateServer::onConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            if (socket->property("vcAnswered").toBool())
                return;
            QByteArray request = socket->property("vcRequest").toByteArray() + socket->readAll();
            socket->setProperty("vcRequest", request);
            if (!request.contains("\r\n\r\n"))
                return;
            socket->setProperty("vcAnswered", true);
            const QList<QByteArray> first = request.left(request.indexOf("\r\n")).split(' ');
            const QString path = QString::fromLatin1(first.value(1));
            m_requests.append(path);
            if (onRequest)
                onRequest(path);
            answer(socket, path);
        });
    }
}

void StandInUpdateServer::answer(QTcpSocket *socket, const QString &path)
{
    if (!m_routes.contains(path)) {
        // A body larger than the client's read buffer: an error page must
        // not hold the request up.
        const QByteArray page = "not found " + QByteArray(600 * 1024, '.');
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: " +
                      QByteArray::number(page.size()) + "\r\nConnection: close\r\n\r\n" + page);
        socket->disconnectFromHost();
        return;
    }
    const Route route = m_routes.value(path);
    const QByteArray &body = route.body;
    switch (route.behaviour) {
    case Behaviour::Normal:
        socket->write(header(body.size()) + body);
        socket->disconnectFromHost();
        break;
    case Behaviour::NoLength: {
        socket->write(header(-1));
        QPointer<QTcpSocket> s(socket);
        const int third = body.size() / 3;
        const QList<QByteArray> pieces{body.left(third), body.mid(third, third),
                                       body.mid(2 * third)};
        for (int i = 0; i < pieces.size(); ++i) {
            QTimer::singleShot(30 * (i + 1), socket, [s, piece = pieces.at(i), last = i == 2] {
                if (!s)
                    return;
                s->write(piece);
                if (last)
                    s->disconnectFromHost();
            });
        }
        break;
    }
    case Behaviour::NoAnswer:
        break;
    case Behaviour::Deflated: {
        // A zlib stream, as "deflate" is sent: qCompress with its length cut off.
        const QByteArray packed = qCompress(body).mid(4);
        socket->write(header(packed.size(), "200 OK", "Content-Encoding: deflate\r\n") + packed);
        socket->disconnectFromHost();
        break;
    }
    case Behaviour::Failing:
        socket->write(header(body.size(), "500 Internal Server Error") + body);
        socket->disconnectFromHost();
        break;
    case Behaviour::Drip: {
        socket->write(header(body.size()));
        auto *timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket, body, sent = 0]() mutable {
            if (sent < body.size())
                socket->write(body.mid(sent++, 1));
        });
        timer->start(DripMs);
        break;
    }
    case Behaviour::Drop:
        socket->write(header(body.size()) + body.left(body.size() / 2));
        socket->flush();
        socket->abort();
        break;
    case Behaviour::Stall:
        socket->write(header(body.size()) + body.left(body.size() / 2));
        break;
    case Behaviour::Flood:
        socket->setProperty(FloodSent, qint64(0));
        socket->setProperty(FloodTotal, route.floodBytes);
        socket->write(header(route.announceFlood ? route.floodBytes : -1));
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { feedFlood(socket); });
        feedFlood(socket);
        break;
    }
}

void StandInUpdateServer::feedFlood(QTcpSocket *socket)
{
    qint64 sent = socket->property(FloodSent).toLongLong();
    const qint64 total = socket->property(FloodTotal).toLongLong();
    while (socket->state() == QAbstractSocket::ConnectedState && sent < total &&
           socket->bytesToWrite() < 4 * FloodChunk) {
        const qint64 n = qMin(FloodChunk, total - sent);
        socket->write(QByteArray(static_cast<int>(n), 'F'));
        sent += n;
    }
    socket->setProperty(FloodSent, sent);
    if (sent >= total && socket->bytesToWrite() == 0)
        socket->disconnectFromHost();
}

} // namespace vc::test
