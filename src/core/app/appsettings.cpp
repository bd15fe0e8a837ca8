#include "core/app/appsettings.h"

#include <QDir>
#include <QFileInfo>

namespace vc::settings {

namespace {

// A file dialog given a folder that does not exist opens beside it with the
// folder's name as the file name; the home folder is a better start.
QString folderOrHome(const QString &name)
{
    const QString folder = QDir::homePath() + QLatin1Char('/') + name;
    return QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

} // namespace

QString defaultDocumentsPath()
{
    return folderOrHome(QStringLiteral("Documents"));
}

QString defaultPicturesPath()
{
    return folderOrHome(QStringLiteral("Pictures"));
}

QString defaultMusicPath()
{
    return folderOrHome(QStringLiteral("Music"));
}

} // namespace vc::settings
