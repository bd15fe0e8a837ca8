#pragma once

#include <QString>

namespace vc {

// Where the picture dialogs open: beside the picture loaded last. A loaded
// picture is also stored in the settings, so that the next start opens
// there again.
class PictureFolder
{
public:
    // The picture loaded last (or a folder).
    QString path() const { return m_path; }
    // The folder the dialogs open in: the path's own folder when it names
    // a file, so that no file name is filled in.
    QString folder() const;
    // For this session only.
    void setPath(const QString &path) { m_path = path; }
    // A picture was loaded: for this session and the next start.
    void remember(const QString &path);
    // The start: the stored place, else the user's pictures folder.
    void restore();

private:
    QString m_path;
};

} // namespace vc
