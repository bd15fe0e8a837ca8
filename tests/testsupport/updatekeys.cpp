#include "updatekeys.h"

#include <QBuffer>
#include <QFile>

namespace vc::test {

namespace {
QByteArray readKeyFile(const QString &name, int bytes)
{
    QFile f(QStringLiteral(VC_UPDATE_KEY_DIR "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing test key %s", qPrintable(name));
    const QByteArray key = update::decodeKey(f.readAll(), bytes);
    if (key.isEmpty())
        qFatal("unreadable test key %s", qPrintable(name));
    return key;
}
} // namespace

QByteArray testSecretKey()
{
    return readKeyFile(QStringLiteral("test-update-key"), update::SecretKeyBytes);
}

QByteArray testPublicKey()
{
    return readKeyFile(QStringLiteral("test-update-key.pub"), update::PublicKeyBytes);
}

QString testSecretKeyPath()
{
    return QStringLiteral(VC_UPDATE_KEY_DIR "/test-update-key");
}

update::AssetDigest digestOfBytes(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return update::digestOf(buffer);
}

QByteArray signedVersionFile(const QString &version, const QString &notes,
                             const QByteArray &firmware, const QByteArray &installer, int validDays,
                             const QDateTime &published)
{
    QString error;
    const QByteArray body =
        update::writeVersionFile(version, notes, digestOfBytes(firmware), digestOfBytes(installer),
                                 testSecretKey(), &error, validDays, published);
    if (body.isEmpty())
        qFatal("cannot sign a test version file: %s", qPrintable(error));
    return body;
}

} // namespace vc::test
