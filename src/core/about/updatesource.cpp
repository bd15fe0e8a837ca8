#include "core/about/updatesource.h"

#include "core/about/updateconfig.h"
#include "core/about/versionfile.h"

#include <limits>

namespace vc::update {

QUrl UpdateSource::url(const char *path) const
{
    QUrl u = baseUrl;
    QString base = u.path();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    u.setPath(base + QLatin1String(path));
    return u;
}

int UpdateSource::downloadDeadlineMs(qint64 bytes) const
{
    const qint64 ms =
        deadlineMs + qMax<qint64>(bytes, 0) * 1000 / qMax<qint64>(slowestBytesPerSecond, 1);
    return int(qMin<qint64>(ms, std::numeric_limits<int>::max()));
}

UpdateSource UpdateSource::fromBuild()
{
    UpdateSource s;
    const QString fromEnvironment = qEnvironmentVariable("VANTOR_UPDATE_URL");
    s.baseUrl = QUrl(fromEnvironment.isEmpty() ? QStringLiteral(VC_UPDATE_URL) : fromEnvironment);
    s.publicKey = decodeKey(QByteArrayLiteral(VC_UPDATE_PUBLIC_KEY), PublicKeyBytes);
    s.versionLimit = VersionFileLimit;
    s.firmwareLimit = FirmwareLimit;
    s.installerLimit = InstallerLimit;
    return s;
}

QUrl resellerPage()
{
    return QUrl(QStringLiteral(VC_RESELLER_URL));
}

QUrl makerPage()
{
    return QUrl(QStringLiteral(VC_MAKER_URL));
}

} // namespace vc::update
