#include "core/project/picturelibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace vc {

namespace {

const QChar PartSeparator = QLatin1Char('?');

// Kind 0 written as a number; a damaged text such as "x?..." is no picture.
bool isPictureKind(const QString &part0)
{
    bool ok = false;
    const int kind = part0.toInt(&ok);
    return ok && kind == 0;
}

} // namespace

QString picturePathOf(const QString &params)
{
    const QStringList parts = params.split(PartSeparator);
    if (parts.size() < 3 || !isPictureKind(parts.at(0)))
        return QString();
    // An empty path is still a path (of a picture that is not there).
    const QString path = parts.at(2);
    return path.isNull() ? QStringLiteral("") : path;
}

bool isPictureMissing(const QString &params)
{
    const QString path = picturePathOf(params);
    if (path.isNull())
        return false;
    return path.isEmpty() || !QFileInfo(path).isFile();
}

int countMissingPictures(const QStringList &params)
{
    int n = 0;
    for (const QString &p : params)
        n += isPictureMissing(p) ? 1 : 0;
    return n;
}

QString replacePicturePath(const QString &params, const QString &newPath)
{
    QStringList parts = params.split(PartSeparator);
    if (parts.size() < 3 || !isPictureKind(parts.at(0)))
        return params;
    parts[2] = newPath;
    return parts.join(PartSeparator);
}

QString pictureFileName(const QString &path)
{
    const int cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

PictureSearch::PictureSearch(const QString &root, const Progress &progress)
{
    if (!root.isEmpty() && QFileInfo(root).isDir())
        walk(QFileInfo(root).absoluteFilePath(), progress);
}

void PictureSearch::walk(const QString &dirPath, const Progress &progress)
{
    const QDir dir(dirPath);
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &f : files) {
        m_files.append(f.absoluteFilePath());
        if (progress && m_files.size() % 256 == 0 && !progress(m_files.size())) {
            m_cancelled = true;
            return;
        }
    }
    const QFileInfoList dirs =
        dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &d : dirs) {
        walk(d.absoluteFilePath(), progress);
        if (m_cancelled)
            return;
    }
}

QString PictureSearch::find(const QString &missingName) const
{
    if (missingName.isEmpty())
        return QString();
    for (const QString &path : m_files) {
        if (pictureFileName(path).contains(missingName, Qt::CaseSensitive))
            return path;
    }
    return QString();
}

QVector<PictureRelink> relinkMissingPictures(const QStringList &params, const PictureSearch &search)
{
    QVector<PictureRelink> out;
    for (int i = 0; i < params.size(); ++i) {
        const QString &p = params.at(i);
        if (!isPictureMissing(p))
            continue;
        const QString oldPath = picturePathOf(p);
        const QString match = search.find(pictureFileName(oldPath));
        if (match.isNull())
            continue;
        out.append({i, oldPath, match, replacePicturePath(p, match)});
    }
    return out;
}

PictureExportPlan planPictureExport(const QStringList &params, const QString &folder)
{
    PictureExportPlan plan;
    const QDir target(folder);
    QSet<QString> sources;
    QSet<QString> names;
    for (const QString &p : params) {
        const QString source = picturePathOf(p);
        if (source.isNull() || sources.contains(source))
            continue;
        sources.insert(source);
        if (source.isEmpty() || !QFileInfo(source).isFile()) {
            plan.missing.append(source);
            continue;
        }
        const QString name = pictureFileName(source);
        const QString dest = target.absoluteFilePath(name);
        if (names.contains(name) || QFileInfo::exists(dest)) {
            plan.nameTaken.append(source);
            continue;
        }
        names.insert(name);
        plan.copies.append({source, dest});
    }
    return plan;
}

PictureExportResult runPictureExport(const PictureExportPlan &plan)
{
    PictureExportResult result;
    for (const PictureCopy &c : plan.copies) {
        // QFile::copy() refuses to replace an existing file.
        if (QFile::copy(c.source, c.target))
            ++result.copied;
        else
            result.failed.append(c.source);
    }
    return result;
}

} // namespace vc
