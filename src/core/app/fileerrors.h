#pragma once

#include <QString>

namespace vc {

// Why a file could not be read or written, for a message: the common
// reasons (no space left, no permission, a read-only file system, no such
// file) in the interface's language, anything else in the system's own
// words. `systemText` is what the file reported (QFileDevice::errorString()).
QString fileErrorText(const QString &systemText);

} // namespace vc
