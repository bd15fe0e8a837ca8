#include "core/project/projectlock.h"

#include "core/app/appsettings.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace vc {

ProjectLock::ProjectLock(const QString &projectPath) : m_projectPath(projectPath)
{
    const QString name = lockFileFor(projectPath);
    if (!QDir().mkpath(QFileInfo(name).absolutePath()))
        return;
    m_lock = std::make_unique<QLockFile>(name);
    // An editor keeps a project open for hours: only a lock whose editor is
    // gone is stale, never one that is merely old.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        m_state = Held;
        return;
    }
    m_state = Unavailable;
    if (m_lock->error() == QLockFile::LockFailedError) {
        // Only another program's mark counts: within one program the
        // project files area is the only one to open projects.
        qint64 pid = 0;
        QString host, app;
        const bool ours =
            m_lock->getLockInfo(&pid, &host, &app) && pid == QCoreApplication::applicationPid();
        m_state = ours ? Held : HeldElsewhere;
    }
    m_lock.reset();
}

ProjectLock::~ProjectLock() = default;

QString ProjectLock::lockFileFor(const QString &projectPath)
{
    // One name per file whatever path leads to it (links, "..").
    const QFileInfo info(projectPath);
    QString path = info.canonicalFilePath();
    if (path.isEmpty())
        path = info.absoluteFilePath();
    const QByteArray key =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QLatin1Char('/') + QLatin1String(settings::Organisation) + QLatin1Char('/') +
           QLatin1String(settings::Application) + QStringLiteral("/open-projects/") +
           QString::fromLatin1(key) + QStringLiteral(".lock");
}

} // namespace vc
