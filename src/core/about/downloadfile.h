#pragma once

#include "core/about/versionfile.h"

#include <QCryptographicHash>
#include <QSaveFile>
#include <QString>

namespace vc::update {

// A download on its way to disk. The bytes go to a temporary file beside the
// target as they arrive and are hashed on the way; only a complete download
// of the signed size and digest replaces the target, in one rename. Anything
// else leaves the target as it was and the temporary file removed.
class DownloadFile
{
public:
    enum class Failure
    {
        None,
        CannotWrite, // the folder or the file cannot be written
        TooLarge,    // more bytes than the signed size or the bound
        WrongSize,   // ended short of the signed size
        WrongDigest, // complete, but not the signed bytes
    };

    // limit: the most bytes accepted whatever the digest says.
    DownloadFile(const QString &target, const AssetDigest &expected, qint64 limit);
    ~DownloadFile();

    DownloadFile(const DownloadFile &) = delete;
    DownloadFile &operator=(const DownloadFile &) = delete;

    // Makes the folder and opens the temporary file.
    bool open();
    // False once the bytes exceed the bound or cannot be written.
    bool write(const QByteArray &chunk);
    // Checks size and digest and renames into place.
    bool commit();
    // Drops what was written; the target is untouched.
    void discard();

    // The most bytes this download may have (the signed size, within the bound).
    qint64 maximum() const;
    qint64 written() const { return m_written; }
    Failure failure() const { return m_failure; }
    // The system's reason for CannotWrite.
    QString errorString() const { return m_error; }
    QString target() const { return m_target; }

private:
    bool fail(Failure failure, const QString &error = QString());

    QString m_target;
    AssetDigest m_expected;
    qint64 m_limit;
    qint64 m_written = 0;
    QSaveFile m_file;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    Failure m_failure = Failure::None;
    QString m_error;
};

} // namespace vc::update
