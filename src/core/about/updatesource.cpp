#include "core/about/updatesource.h"

#include "core/about/updateconfig.h"
#include "core/about/versionfile.h"

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
