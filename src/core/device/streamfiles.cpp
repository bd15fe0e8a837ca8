#include "core/device/streamfiles.h"

#include "core/app/appsettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace vc::device {

StreamFiles defaultStreamFiles()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QLatin1Char('/') + QLatin1String(settings::Organisation) +
                        QLatin1Char('/') + QLatin1String(settings::Application);
    QDir().mkpath(dir);
    return {dir + QLatin1String("/extemp2.tmp"), dir + QLatin1String("/extemp.tmp")};
}

StreamWriteResult writeStreamFiles(const QVector<ShowItem> &items, const ShowSettings &settings,
                                   const StreamFiles &files,
                                   const std::function<void(int)> &progress)
{
    StreamWriteResult result;
    auto fail = [&result](const QFileDevice &file) {
        result.failedPath = file.fileName();
        result.error = file.errorString();
        return result;
    };

    QFileInfo(files.framePath).absoluteDir().mkpath(QStringLiteral("."));
    QSaveFile frames(files.framePath);
    if (!frames.open(QIODevice::WriteOnly))
        return fail(frames);
    QByteArray header;
    result.build = buildShowImage(items, settings, &header, &frames, progress);
    if (result.build.refusal == BuildRefusal::WriteFailed)
        return fail(frames);
    if (!result.build.ok()) {
        frames.cancelWriting();
        return result;
    }

    QFileInfo(files.headerPath).absoluteDir().mkpath(QStringLiteral("."));
    QSaveFile headerFile(files.headerPath);
    if (!headerFile.open(QIODevice::WriteOnly) || headerFile.write(header) != header.size())
        return fail(headerFile);
    if (!frames.commit())
        return fail(frames);
    if (!headerFile.commit())
        return fail(headerFile);
    return result;
}

} // namespace vc::device
