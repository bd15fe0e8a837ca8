#include "core/app/appsettings.h"

#include <QDir>

namespace vc::settings {

QString defaultDocumentsPath()
{
    return QDir::homePath() + QStringLiteral("/Documents");
}

QString defaultPicturesPath()
{
    return QDir::homePath() + QStringLiteral("/Pictures");
}

} // namespace vc::settings
