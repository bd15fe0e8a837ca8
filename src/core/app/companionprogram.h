#pragma once

#include <QString>

namespace vc {

// The program file of a companion program of the editor (the updater), given
// the folder of the editor's own program: beside the editor when it is there
// (a build folder, a copy unpacked in one folder), else in the programs'
// private folder of an installed copy (<prefix>/libexec/vantorcreator, found
// relative to <prefix>/bin, so it holds wherever the package put the
// prefix). Empty when neither holds it. On Windows the name gets ".exe".
QString companionProgramPath(const QString &programDir, const QString &name);

} // namespace vc
