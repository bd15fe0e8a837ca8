#include "core/app/picturefolder.h"

#include "core/app/appsettings.h"

#include <QFileInfo>

namespace vc {

QString PictureFolder::folder() const
{
    if (m_path.isEmpty())
        return m_path;
    const QFileInfo info(m_path);
    return info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

void PictureFolder::remember(const QString &path)
{
    m_path = path;
    settings::open().setValue(settings::CurrentPicPath, path);
}

void PictureFolder::restore()
{
    m_path = settings::open()
                 .value(settings::CurrentPicPath, settings::defaultPicturesPath())
                 .toString();
}

} // namespace vc
