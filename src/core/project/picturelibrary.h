#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace vc {

// Picture modes name their source picture by an absolute path, part [2] of
// their parameter text ("0?loops?path?gap|flipH|flipV"). A project file
// stores only that path, so these helpers find pictures that moved, point
// modes at them again and gather a show's pictures into one folder.

// The picture path of a parameter text: part [2] when the kind (part [0])
// is the number 0 and there are at least three parts; otherwise a null
// string (no picture).
QString picturePathOf(const QString &params);

// True when the parameter text names a picture and no file is at its path.
bool isPictureMissing(const QString &params);

// How many of the parameter texts name a picture that is not there.
int countMissingPictures(const QStringList &params);

// The parameter text with part [2] replaced by newPath; the rest is kept
// byte for byte. Texts without a picture path are returned unchanged.
QString replacePicturePath(const QString &params, const QString &newPath);

// The file name a missing picture is searched by: the part of its path after
// the last "/" (or "\", for paths written on Windows).
QString pictureFileName(const QString &path);

// Searches a folder tree for pictures by name. The tree is walked once, in a
// fixed order: in each folder its files in name order (plain character
// order, case-sensitive), then its subfolders in name order, each walked the
// same way. Symbolic links to folders are not followed, so a link loop
// cannot hang the walk; hidden files and folders are skipped.
class PictureSearch
{
public:
    // Called now and then during the walk with the number of files seen so
    // far; returning false stops the walk (the files seen so far are kept).
    using Progress = std::function<bool(int filesSeen)>;

    explicit PictureSearch(const QString &root, const Progress &progress = {});

    // Absolute paths of every file found, in walk order.
    const QStringList &files() const { return m_files; }
    bool cancelled() const { return m_cancelled; }

    // The first file in walk order whose file name contains the given name
    // (case-sensitive), or a null string. An empty name matches nothing.
    QString find(const QString &missingName) const;

private:
    void walk(const QString &dir, const Progress &progress);

    QStringList m_files;
    bool m_cancelled = false;
};

// One replacement made by relinkMissingPictures().
struct PictureRelink
{
    int index = -1; // into the params list given
    QString oldPath;
    QString newPath;
    QString params; // the rewritten parameter text
};

// For every parameter text whose picture is missing, looks for a file of
// the same name in the search and returns the rewritten texts. Texts whose
// picture exists or that have no match are not in the result.
QVector<PictureRelink> relinkMissingPictures(const QStringList &params,
                                             const PictureSearch &search);

// One copy of the picture library export.
struct PictureCopy
{
    QString source;
    QString target;
};

// What exporting the pictures of a show into a folder does: every picture
// path once, copied under its own file name. A picture whose file is
// missing, or whose name is already taken in the folder (by an existing
// file or by an earlier picture of the same name), is skipped: existing
// files are never overwritten.
struct PictureExportPlan
{
    QVector<PictureCopy> copies;
    QStringList missing;   // source paths that do not exist
    QStringList nameTaken; // source paths whose file name is already taken
};

PictureExportPlan planPictureExport(const QStringList &params, const QString &folder);

struct PictureExportResult
{
    int copied = 0;
    QStringList failed; // sources whose copy failed
};

// Carries out the copies. A copy never replaces a file.
PictureExportResult runPictureExport(const PictureExportPlan &plan);

} // namespace vc
