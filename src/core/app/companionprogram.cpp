#include "core/app/companionprogram.h"

#include <QDir>
#include <QFileInfo>

#ifndef VC_PRIVATE_PROGRAM_DIR
#define VC_PRIVATE_PROGRAM_DIR "../libexec/vantorcreator"
#endif

namespace vc {

QString companionProgramPath(const QString &programDir, const QString &name)
{
#ifdef Q_OS_WIN
    const QString file = name + QLatin1String(".exe");
#else
    const QString file = name;
#endif
    const QDir dir(programDir);
    for (const QString &candidate :
         {dir.filePath(file),
          dir.filePath(QLatin1String(VC_PRIVATE_PROGRAM_DIR) + QLatin1Char('/') + file)}) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return QString();
}

} // namespace vc
