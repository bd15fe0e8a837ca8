#pragma once

#include "core/device/showimage.h"

#include <QString>

namespace vc::device {

// Where the last built show image lies: the header stream and the frame
// stream that the upload sends and the show-file export wraps.
struct StreamFiles
{
    QString headerPath; // "extemp2.tmp"
    QString framePath;  // "extemp.tmp"
};

// The two stream files in the user's own data directory (created on
// demand), so that the program works wherever it was started from.
StreamFiles defaultStreamFiles();

struct StreamWriteResult
{
    BuildResult build;
    QString failedPath; // set when a file could not be written
    QString error;      // the system's reason
    bool ok() const { return build.ok() && failedPath.isEmpty(); }
};

// Builds the show image into the two files. Each file is replaced whole
// and only when its bytes are complete; a refused build leaves both as
// they were.
StreamWriteResult writeStreamFiles(const QVector<ShowItem> &items, const ShowSettings &settings,
                                   const StreamFiles &files,
                                   const std::function<void(int)> &progress = {});

} // namespace vc::device
