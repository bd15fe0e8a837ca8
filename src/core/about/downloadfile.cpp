#include "core/about/downloadfile.h"

#include "core/app/appsettings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The checks below rest on the POSIX calls that work relative to an open
// folder (openat, O_NOFOLLOW): a path is never looked up twice.
#ifndef Q_OS_UNIX
#error "downloads are written with POSIX file calls"
#endif

namespace vc::update {

namespace {

QString systemText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Why `name` in the folder `at` cannot be taken as a folder (or, with
// wantFile, as a plain file): a link or the wrong kind says so, anything
// else is the system's reason.
QString whyNot(int at, const QByteArray &name, bool wantFile)
{
    const int saved = errno;
    struct stat st;
    if (::fstatat(at, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode))
            return DownloadFile::tr("%1 是連結，更新程式不經由連結讀寫")
                .arg(QFile::decodeName(name));
        if (wantFile && !S_ISREG(st.st_mode))
            return DownloadFile::tr("%1 不是一般檔案").arg(QFile::decodeName(name));
        if (!wantFile && !S_ISDIR(st.st_mode))
            return DownloadFile::tr("%1 不是資料夾").arg(QFile::decodeName(name));
    }
    errno = saved;
    return systemText();
}

// Opens the folder `name` in the folder `at` without following a link,
// making it first when `mode` is given.
int openFolderAt(int at, const QByteArray &name, int mode, QString *why)
{
    if (mode >= 0 && ::mkdirat(at, name.constData(), mode_t(mode)) != 0 && errno != EEXIST) {
        *why = systemText();
        return -1;
    }
    const int fd = ::openat(at, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        *why = whyNot(at, name, false);
    return fd;
}

// Opens the folders of `parts` one after the other below `base`.
int openFolders(const QString &base, const QList<QByteArray> &parts, int mode, QString *why)
{
    int fd = ::open(QFile::encodeName(base).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        *why = systemText();
    for (const QByteArray &part : parts) {
        if (fd < 0)
            break;
        const int next = openFolderAt(fd, part, mode, why);
        closeFd(fd);
        fd = next;
    }
    return fd;
}

QList<QByteArray> pathParts(const QString &relative)
{
    QList<QByteArray> parts;
    for (const QString &p : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        parts << QFile::encodeName(p);
    return parts;
}

// The name in the folder is free for a plain file: nothing there, or a
// plain file to replace.
bool nameTakesFile(int folder, const QByteArray &name, QString *why)
{
    struct stat st;
    if (::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || (*why = systemText(), false);
    if (S_ISREG(st.st_mode))
        return true;
    *why = whyNot(folder, name, true);
    return false;
}

// Size and digest of an open file, read from its start; invalid past limit.
AssetDigest digestOfFd(int fd, qint64 limit)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 size = 0;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, off_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {};
        if (n == 0)
            break;
        hash.addData(buffer, int(n));
        size += n;
        if (size > limit)
            return {};
    }
    return {size, hash.result()};
}

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// The private folder, made when missing; it must be this user's own folder
// and is made private when it is not yet.
int openPrivateFolder(const QString &path, QString *why)
{
    const QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    const int fd =
        openFolders(info.absolutePath(), {QFile::encodeName(info.fileName())}, 0700, why);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() ||
        ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0)) {
        *why = DownloadFile::tr("%1 不是只屬於這個使用者的資料夾").arg(path);
        ::close(fd);
        return -1;
    }
    return fd;
}

const QByteArray PartSuffix = QByteArrayLiteral(".part");

} // namespace

QString privateDownloadFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QLatin1Char('/') + QLatin1String(settings::Organisation) + QLatin1Char('/') +
           QLatin1String(settings::Application) + QStringLiteral("/updates");
}

DownloadFile::DownloadFile(const QString &baseDir, const QString &target,
                           const AssetDigest &expected, qint64 limit, const QString &privateFolder)
    : m_baseDir(baseDir), m_targetPath(target), m_folders(pathParts(target)),
      m_privateFolder(privateFolder), m_expected(expected), m_limit(limit)
{
    if (!m_folders.isEmpty())
        m_name = m_folders.takeLast();
}

DownloadFile::~DownloadFile()
{
    discard();
}

QString DownloadFile::target() const
{
    return QDir(m_baseDir).filePath(m_targetPath);
}

qint64 DownloadFile::maximum() const
{
    return m_expected.isValid() ? qMin(m_expected.size, m_limit) : m_limit;
}

bool DownloadFile::open()
{
    if (!m_expected.isValid())
        return fail(Failure::WrongDigest);
    if (m_expected.size > m_limit)
        return fail(Failure::TooLarge);
    if (m_name.isEmpty())
        return fail(Failure::CannotWrite, tr("沒有檔名"));
    QString why;
    m_folderFd = openFolders(m_baseDir, m_folders, 0755, &why);
    if (m_folderFd < 0 || !nameTakesFile(m_folderFd, m_name, &why))
        return fail(Failure::CannotWrite, why);
    m_privateFd = openPrivateFolder(m_privateFolder, &why);
    if (m_privateFd < 0)
        return fail(Failure::CannotWrite, why);
    const QByteArray part = m_name + PartSuffix;
    ::unlinkat(m_privateFd, part.constData(), 0);
    m_dataFd = ::openat(m_privateFd, part.constData(),
                        O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_dataFd < 0)
        return fail(Failure::CannotWrite, systemText());
    return true;
}

bool DownloadFile::write(const QByteArray &chunk)
{
    if (m_failure != Failure::None || m_dataFd < 0)
        return false;
    if (chunk.size() > maximum() - m_written)
        return fail(Failure::TooLarge);
    if (!writeAll(m_dataFd, chunk.constData(), chunk.size()))
        return fail(Failure::CannotWrite, systemText());
    m_written += chunk.size();
    return true;
}

bool DownloadFile::commit(bool program)
{
    if (m_failure != Failure::None || m_dataFd < 0)
        return false;
    if (m_written != m_expected.size)
        return fail(Failure::WrongSize);
    // What the file holds is what is checked, and what is put in place.
    if (!(digestOfFd(m_dataFd, m_limit) == m_expected))
        return fail(Failure::WrongDigest);
    if (::fchmod(m_dataFd, program ? 0700 : 0600) != 0 || !placeTarget(program))
        return fail(Failure::CannotWrite, m_error.isEmpty() ? systemText() : m_error);

    const QByteArray part = m_name + PartSuffix;
    closeFd(m_dataFd);
    if (program) {
        if (::renameat(m_privateFd, part.constData(), m_privateFd, m_name.constData()) != 0)
            return fail(Failure::CannotWrite, systemText());
        m_checkedPath = QDir(m_privateFolder).filePath(QFile::decodeName(m_name));
    } else {
        ::unlinkat(m_privateFd, part.constData(), 0);
    }
    closeFd(m_privateFd);
    closeFd(m_folderFd);
    return true;
}

bool DownloadFile::placeTarget(bool program)
{
    // A new file beside the target takes the checked bytes and then the
    // target's name; the rename replaces what has the name, never what a
    // link there would point to (and a link there was refused anyway).
    const QByteArray temporary = '.' + m_name + ".new";
    if (!nameTakesFile(m_folderFd, m_name, &m_error))
        return false;
    ::unlinkat(m_folderFd, temporary.constData(), 0);
    int out = ::openat(m_folderFd, temporary.constData(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (out < 0)
        return false;
    bool ok = true;
    char buffer[64 * 1024];
    for (qint64 at = 0; ok && at < m_written;) {
        const ssize_t n = ::pread(m_dataFd, buffer, sizeof buffer, off_t(at));
        ok = n > 0 && writeAll(out, buffer, n);
        at += ok ? n : 0;
    }
    ok = ok && ::fchmod(out, program ? 0700 : 0644) == 0 && ::fsync(out) == 0;
    ok = ::close(out) == 0 && ok;
    ok = ok && ::renameat(m_folderFd, temporary.constData(), m_folderFd, m_name.constData()) == 0;
    if (!ok) {
        m_error = systemText();
        ::unlinkat(m_folderFd, temporary.constData(), 0);
    }
    return ok;
}

void DownloadFile::discard()
{
    if (m_dataFd >= 0 && m_privateFd >= 0)
        ::unlinkat(m_privateFd, (m_name + PartSuffix).constData(), 0);
    closeFd(m_dataFd);
    closeFd(m_privateFd);
    closeFd(m_folderFd);
}

bool DownloadFile::fail(Failure failure, const QString &error)
{
    m_failure = failure;
    m_error = error;
    discard();
    return false;
}

AssetDigest digestOfFileBelow(const QString &baseDir, const QString &path, qint64 limit,
                              QString *error)
{
    QList<QByteArray> parts = pathParts(path);
    const QByteArray name = parts.isEmpty() ? QByteArray() : parts.takeLast();
    int folder = openFolders(baseDir, parts, -1, error);
    if (folder < 0)
        return {};
    const int fd = ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    AssetDigest digest;
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        *error = whyNot(folder, name, true);
    else if (st.st_size > limit)
        *error = DownloadFile::tr("%1 大於 %2 位元組").arg(QFile::decodeName(name)).arg(limit);
    else if (!(digest = digestOfFd(fd, limit)).isValid())
        *error = systemText();
    if (fd >= 0)
        ::close(fd);
    closeFd(folder);
    return digest;
}

} // namespace vc::update
