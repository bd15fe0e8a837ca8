#pragma once

#include "core/about/versionfile.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

namespace vc::update {

// The folder of this user's alone (mode 0700) that downloads go to before
// they are checked: nobody else can change a checked file there.
QString privateDownloadFolder();

// A download on its way to disk. The bytes go to a new file in the private
// folder as they arrive; once the download is complete, its size and digest
// are checked on that file, and exactly the checked bytes are put in place
// of the target below the base folder through a new file that replaces the
// target in one rename. Below the base folder no link is followed: a link
// on the way to the target, or in its place, is refused. Anything else
// leaves the target as it was and nothing half-written behind.
class DownloadFile
{
    Q_DECLARE_TR_FUNCTIONS(vc::update::DownloadFile)

public:
    enum class Failure
    {
        None,
        CannotWrite, // a folder or file cannot be written, or is reached by a link
        TooLarge,    // more bytes than the signed size or the bound
        WrongSize,   // ended short of the signed size
        WrongDigest, // complete, but not the signed bytes
    };

    // target: a path relative to baseDir, such as "tool/firm/Vantor.RE.bin".
    // limit: the most bytes accepted whatever the digest says.
    DownloadFile(const QString &baseDir, const QString &target, const AssetDigest &expected,
                 qint64 limit, const QString &privateFolder = privateDownloadFolder());
    ~DownloadFile();

    DownloadFile(const DownloadFile &) = delete;
    DownloadFile &operator=(const DownloadFile &) = delete;

    // Opens the private file, and the target's folder (making the folders
    // that are missing), so that a target that cannot be written is known
    // before a byte is fetched.
    bool open();
    // False once the bytes exceed the bound or cannot be written.
    bool write(const QByteArray &chunk);
    // Checks size and digest and puts the bytes in place of the target. A
    // program is made executable for its owner, and its checked copy stays
    // in the private folder (checkedPath()): that copy is the one to start.
    bool commit(bool program = false);
    // Drops what was written; the target is untouched.
    void discard();

    // The most bytes this download may have (the signed size, within the bound).
    qint64 maximum() const;
    qint64 written() const { return m_written; }
    Failure failure() const { return m_failure; }
    // The reason for CannotWrite.
    QString errorString() const { return m_error; }
    // The target's full path.
    QString target() const;
    // After a program's commit: its checked copy in the private folder.
    QString checkedPath() const { return m_checkedPath; }

private:
    bool fail(Failure failure, const QString &error = QString());
    bool placeTarget(bool program);

    QString m_baseDir;
    QString m_targetPath;
    QList<QByteArray> m_folders; // below the base folder, to the target's
    QByteArray m_name;           // the target's file name
    QString m_privateFolder;
    AssetDigest m_expected;
    qint64 m_limit;
    qint64 m_written = 0;
    Failure m_failure = Failure::None;
    QString m_error;
    QString m_checkedPath;
    int m_privateFd = -1; // the private folder
    int m_dataFd = -1;    // the download in it
    int m_folderFd = -1;  // the target's folder
};

// The size and digest of a plain file below baseDir reached without
// following a link, at most `limit` bytes long; invalid, with the reason in
// *error, when it cannot be read so.
AssetDigest digestOfFileBelow(const QString &baseDir, const QString &path, qint64 limit,
                              QString *error);

} // namespace vc::update
