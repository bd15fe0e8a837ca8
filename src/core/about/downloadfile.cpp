#include "core/about/downloadfile.h"

#include <QDir>
#include <QFileInfo>

namespace vc::update {

DownloadFile::DownloadFile(const QString &target, const AssetDigest &expected, qint64 limit)
    : m_target(target), m_expected(expected), m_limit(limit), m_file(target)
{
}

DownloadFile::~DownloadFile()
{
    discard();
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
    const QFileInfo info(m_target);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(Failure::CannotWrite, QStringLiteral("cannot make the folder"));
    if (info.isDir())
        return fail(Failure::CannotWrite, QStringLiteral("is a folder"));
    // Not over a link: the rename replaces the link, never what it points to.
    m_file.setDirectWriteFallback(false);
    if (!m_file.open(QIODevice::WriteOnly))
        return fail(Failure::CannotWrite, m_file.errorString());
    return true;
}

bool DownloadFile::write(const QByteArray &chunk)
{
    if (m_failure != Failure::None || !m_file.isOpen())
        return false;
    if (chunk.size() > maximum() - m_written)
        return fail(Failure::TooLarge);
    if (m_file.write(chunk) != chunk.size())
        return fail(Failure::CannotWrite, m_file.errorString());
    m_hash.addData(chunk);
    m_written += chunk.size();
    return true;
}

bool DownloadFile::commit()
{
    if (m_failure != Failure::None || !m_file.isOpen())
        return false;
    if (m_written != m_expected.size)
        return fail(Failure::WrongSize);
    if (m_hash.result() != m_expected.sha256)
        return fail(Failure::WrongDigest);
    if (!m_file.commit())
        return fail(Failure::CannotWrite, m_file.errorString());
    return true;
}

void DownloadFile::discard()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
    if (m_file.isOpen())
        m_file.commit(); // after cancelWriting this only removes the temporary file
}

bool DownloadFile::fail(Failure failure, const QString &error)
{
    m_failure = failure;
    m_error = error;
    discard();
    return false;
}

} // namespace vc::update
