#include "core/app/fileerrors.h"

#include <QCoreApplication>
#include <QStringList>

#include <cerrno>

namespace vc {

namespace {

// The texts' translation context.
class FileError
{
    Q_DECLARE_TR_FUNCTIONS(vc::FileError)
};

struct Reason
{
    int code;
    const char *text;
};

const Reason Reasons[] = {
    {ENOSPC, QT_TRANSLATE_NOOP("vc::FileError", "磁碟空間不足")},
    {EDQUOT, QT_TRANSLATE_NOOP("vc::FileError", "磁碟空間不足")},
    {EACCES, QT_TRANSLATE_NOOP("vc::FileError", "沒有存取權限")},
    {EPERM, QT_TRANSLATE_NOOP("vc::FileError", "沒有存取權限")},
    {EROFS, QT_TRANSLATE_NOOP("vc::FileError", "檔案系統為唯讀")},
    {ENOENT, QT_TRANSLATE_NOOP("vc::FileError", "檔案或資料夾不存在")},
};

} // namespace

QString fileErrorText(const QString &systemText)
{
    // Qt words a failed call with the system's text for its error number;
    // the same number gives the same text here.
    for (const Reason &r : Reasons) {
        if (systemText == qt_error_string(r.code))
            return FileError::tr(r.text);
    }
    // A save over a file that may not be written is refused before any
    // system call, in the toolkit's own words (its text, not ours to
    // translate).
    static const char *const toolkit[] = {"QSaveFile", "Existing file %1 is not writable"};
    const QStringList notWritable =
        QCoreApplication::translate(toolkit[0], toolkit[1]).split(QStringLiteral("%1"));
    if (notWritable.size() == 2 && systemText.startsWith(notWritable.first()) &&
        systemText.endsWith(notWritable.last()))
        return FileError::tr("沒有存取權限");
    return systemText;
}

} // namespace vc
