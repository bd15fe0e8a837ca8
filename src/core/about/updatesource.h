#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// Where updates come from and how long to wait for them. The build fixes
// the server, the web pages of the about dialog and the publisher's public
// key; the environment variable VANTOR_UPDATE_URL points the programs at
// another server (a private mirror, or a test server).
namespace vc::update {

struct UpdateSource
{
    // The server's base address, such as "http://host:80"; paths are added.
    QUrl baseUrl;
    // The publisher's Ed25519 public key (32 raw bytes).
    QByteArray publicKey;
    // A request with no bytes moving for this long is given up.
    int stallTimeoutMs = 30000;
    // A server that sends slowly enough never stalls: each request must also
    // be done in time. The version file within this long; a download within
    // this long plus its signed size at the slowest rate accepted.
    int deadlineMs = 60000;
    qint64 slowestBytesPerSecond = 16 * 1024;
    // Upper bounds of the three downloads.
    qint64 versionLimit = 0;
    qint64 firmwareLimit = 0;
    qint64 installerLimit = 0;

    // The server path on this server.
    QUrl url(const char *path) const;
    // The deadline of a download of `bytes` bytes (within the int range).
    int downloadDeadlineMs(qint64 bytes) const;

    // As built, with VANTOR_UPDATE_URL in the environment taking the place
    // of the built-in server.
    static UpdateSource fromBuild();
};

// The web pages behind the about dialog's two logos.
QUrl resellerPage();
QUrl makerPage();

} // namespace vc::update
