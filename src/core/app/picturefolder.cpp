#include "core/app/picturefolder.h"

#include "core/app/appsettings.h"

namespace vc {

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
