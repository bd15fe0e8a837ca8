#pragma once

#include <QString>

namespace vc {

// Where the picture dialogs open: the picture loaded last, or the project
// loaded last. A loaded picture is also stored in the settings, so that the
// next start opens there again.
class PictureFolder
{
public:
    QString path() const { return m_path; }
    // For this session only (the place of a loaded project).
    void setPath(const QString &path) { m_path = path; }
    // A picture was loaded: for this session and the next start.
    void remember(const QString &path);
    // The start: the stored place, else the user's pictures folder.
    void restore();

private:
    QString m_path;
};

} // namespace vc
