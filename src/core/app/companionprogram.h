#pragma once

#include <QString>

namespace vc {

// The program file of a companion program of the editor (the updater), given
// the folder of the editor's own program: beside the editor when it is there
// (a build folder, a copy unpacked in one folder), else in the programs'
// private folder of an installed copy (<prefix>/libexec/vantorcreator, found
// relative to <prefix>/bin). When neither holds it, the bare program name,
// which the system then looks for as it looks for any program named without
// a folder. On Windows the name gets ".exe".
QString companionProgramPath(const QString &programDir, const QString &name);

} // namespace vc
