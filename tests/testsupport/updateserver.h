#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

#include <functional>

class QTcpSocket;

namespace vc::test {

// A small real HTTP server on 127.0.0.1 (a free port) standing in for the
// update server: it serves the version file and the two downloads, and
// misbehaves on request. It runs on the test's own event loop.
class StandInUpdateServer : public QObject
{
    Q_OBJECT

public:
    enum class Behaviour
    {
        Normal,   // the body with its size announced
        NoLength, // the body in three slow pieces, its size never announced
        NoAnswer, // takes the request and never answers
        Drop,     // announces the size, sends half, drops the connection
        Stall,    // announces the size, sends half, then sends nothing more
        Flood,    // sends floodBytes, announced only when announceFlood
        Deflated, // the body packed, with "Content-Encoding: deflate"
        Failing,  // answers "500 Internal Server Error"
        Drip,     // announces the size, then sends one byte every DripMs
    };
    static constexpr int DripMs = 300;

    StandInUpdateServer();
    ~StandInUpdateServer() override;

    bool isListening() const { return m_server.isListening(); }
    // "http://127.0.0.1:<port>": the update base address for the programs.
    QUrl baseUrl() const;

    // What a path gets; a path not served gets 404.
    void serve(const QString &path, const QByteArray &body,
               Behaviour behaviour = Behaviour::Normal);
    void misbehave(const QString &path, Behaviour behaviour);
    // The path is no longer served (404, with a body of its own).
    void remove(const QString &path) { m_routes.remove(path); }
    void flood(const QString &path, qint64 bytes, bool announce);

    // The paths asked for, in order.
    QStringList requests() const { return m_requests; }
    // Runs when a request has arrived, before it is answered.
    std::function<void(const QString &path)> onRequest;

private:
    struct Route
    {
        QByteArray body;
        Behaviour behaviour = Behaviour::Normal;
        qint64 floodBytes = 0;
        bool announceFlood = false;
    };

    void onConnection();
    void answer(QTcpSocket *socket, const QString &path);
    void feedFlood(QTcpSocket *socket);

    QTcpServer m_server;
    QHash<QString, Route> m_routes;
    QStringList m_requests;
};

} // namespace vc::test
