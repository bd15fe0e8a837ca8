#include "core/project/projectformat.h"

#include "core/app/fileerrors.h"
#include "core/model/moderecord.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace vc {

int ProjectData::recordCount() const
{
    int n = 0;
    for (const auto &track : tracks)
        n += track.size();
    return n;
}

QByteArray trackSeparator()
{
    return QByteArrayLiteral("NEXT");
}

QString noSongMarker()
{
    return QStringLiteral("null");
}

namespace {

// LED count, frame rate and song path.
qint64 headerSize(const ProjectData &project)
{
    const QString song = project.hasSong() ? project.songPath : noSongMarker();
    return 2 + 8 + 4 + 2 * qint64(song.size());
}

} // namespace

bool writeProject(QIODevice &device, const ProjectData &project)
{
    return writeProject(device, project, {}, nullptr);
}

bool writeProject(QIODevice &device, const ProjectData &project, const SaveProgress &progress,
                  bool *cancelled)
{
    if (cancelled)
        *cancelled = false;
    const qint64 total = progress ? encodedProjectSize(project) : 0;
    qint64 done = headerSize(project);
    // The stream's defaults are the file format: big-endian, floats written
    // as doubles. The version is left at the default on purpose; the
    // encodings used here are the same in every Qt 5 stream version.
    QDataStream out(&device);
    out << project.leds;
    out << project.frameRate;
    out << (project.hasSong() ? project.songPath : noSongMarker());
    const QByteArray separator = trackSeparator();
    for (int t = 0; t < project.tracks.size(); ++t) {
        if (t > 0) {
            out << separator;
            done += 4 + separator.size();
        }
        for (const QByteArray &record : project.tracks.at(t)) {
            out << record;
            done += 4 + record.size();
            if (progress && !progress(done, total)) {
                if (cancelled)
                    *cancelled = true;
                return false;
            }
        }
        if (out.status() != QDataStream::Ok)
            return false;
    }
    return out.status() == QDataStream::Ok;
}

qint64 encodedProjectSize(const ProjectData &project)
{
    qint64 size = headerSize(project);
    for (int t = 0; t < project.tracks.size(); ++t) {
        if (t > 0)
            size += 4 + trackSeparator().size();
        for (const QByteArray &record : project.tracks.at(t))
            size += 4 + record.size();
    }
    return size;
}

QByteArray encodeProject(const ProjectData &project)
{
    // Sized up front: a large show is tens of megabytes, and growing the
    // buffer step by step would copy it several times.
    const qint64 size = encodedProjectSize(project);
    QByteArray bytes;
    if (size < MaxProjectFileSize)
        bytes.reserve(int(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeProject(buffer, project);
    return bytes;
}

namespace {

constexpr quint32 NullLength = 0xFFFFFFFFu;
// How much of a save may wait in memory before it is sent to the disk.
constexpr qint64 SyncEveryBytes = 4 * 1024 * 1024;
// Sequential devices do not say how much they hold, so their data is taken
// in steps: memory then grows only with data that really arrives.
constexpr qint64 SequentialStep = 1024 * 1024;

// Reads exact byte counts from a device and says why it could not.
class Source
{
public:
    explicit Source(QIODevice &device) : m_device(device), m_sequential(device.isSequential())
    {
        if (!m_sequential)
            m_end = device.size();
    }

    // Bytes left; -1 when the device cannot tell.
    qint64 remaining() const { return m_sequential ? -1 : qMax<qint64>(0, m_end - m_device.pos()); }

    bool atEnd() const
    {
        if (!m_sequential)
            return remaining() == 0;
        return m_device.atEnd();
    }

    // Reads n bytes into out. On failure out is left empty and why says why:
    // Truncated when the data ends first, ReadFailed on a device error,
    // Corrupt when a sequential device delivers more than any project holds.
    bool read(qint64 n, QByteArray &out, ProjectReadStatus::Code &why)
    {
        out.clear();
        if (n == 0)
            return true;
        if (!m_sequential) {
            if (n > remaining()) {
                why = ProjectReadStatus::Truncated;
                return false;
            }
            out.resize(int(n));
            const qint64 got = m_device.read(out.data(), n);
            if (got != n) {
                out.clear();
                why = got < 0 ? ProjectReadStatus::ReadFailed : ProjectReadStatus::Truncated;
                return false;
            }
            return true;
        }
        if (m_consumed + n > MaxProjectFileSize) {
            why = ProjectReadStatus::Corrupt;
            return false;
        }
        qint64 have = 0;
        while (have < n) {
            const qint64 step = qMin(SequentialStep, n - have);
            out.resize(int(have + step));
            const qint64 got = m_device.read(out.data() + have, step);
            if (got < 0) {
                out.clear();
                why = ProjectReadStatus::ReadFailed;
                return false;
            }
            if (got == 0) {
                out.clear();
                why = ProjectReadStatus::Truncated;
                return false;
            }
            have += got;
        }
        m_consumed += n;
        return true;
    }

    bool readUInt32(quint32 &value, ProjectReadStatus::Code &why)
    {
        QByteArray b;
        if (!read(4, b, why))
            return false;
        value = qFromBigEndian<quint32>(b.constData());
        return true;
    }

private:
    QIODevice &m_device;
    bool m_sequential;
    qint64 m_end = 0;
    qint64 m_consumed = 0;
};

// A double outside the float range would make the conversion undefined;
// it saturates to an infinity instead, as the hardware would.
float toFloat(double d)
{
    if (std::isnan(d))
        return std::numeric_limits<float>::quiet_NaN();
    if (d > double(std::numeric_limits<float>::max()))
        return std::numeric_limits<float>::infinity();
    if (d < -double(std::numeric_limits<float>::max()))
        return -std::numeric_limits<float>::infinity();
    return float(d);
}

// The translation context of the reasons.
class ProjectReader
{
    Q_DECLARE_TR_FUNCTIONS(vc::ProjectReader)
};

void fail(ProjectReadStatus &status, ProjectReadStatus::Code code, const QString &detail,
          const QString &reason)
{
    status.code = code;
    status.detail = detail;
    status.reason = reason;
}

// A part of the file, in English and as a text to translate.
struct Place
{
    const char *english;
    const char *shown;
};
const Place Header{"the header", QT_TRANSLATE_NOOP("vc::ProjectReader", "檔頭")};
const Place SongLength{"the song path length",
                       QT_TRANSLATE_NOOP("vc::ProjectReader", "音樂路徑的長度")};
const Place SongPath{"the song path", QT_TRANSLATE_NOOP("vc::ProjectReader", "音樂路徑")};
const Place RecordLength{"a record length", QT_TRANSLATE_NOOP("vc::ProjectReader", "圖樣的長度")};
const Place Record{"a record", QT_TRANSLATE_NOOP("vc::ProjectReader", "圖樣")};

void failAt(ProjectReadStatus &status, ProjectReadStatus::Code why, const Place &where)
{
    const QString english = QLatin1String(where.english);
    const QString shown = ProjectReader::tr(where.shown);
    if (why == ProjectReadStatus::ReadFailed)
        fail(status, why, QStringLiteral("read error in %1").arg(english),
             ProjectReader::tr("讀取%1時發生錯誤").arg(shown));
    else if (why == ProjectReadStatus::Corrupt)
        fail(status, why, QStringLiteral("data too large for a project at %1").arg(english),
             ProjectReader::tr("%1的資料大於任何專案").arg(shown));
    else
        fail(status, why, QStringLiteral("file ends inside %1").arg(english),
             ProjectReader::tr("檔案在%1中途結束").arg(shown));
}

} // namespace

ProjectReadResult readProject(QIODevice &device)
{
    ProjectReadResult result;
    ProjectReadStatus &status = result.status;
    ProjectData &project = result.project;
    project.tracks.append(QVector<QByteArray>());

    Source in(device);
    if (in.remaining() > MaxProjectFileSize) {
        fail(status, ProjectReadStatus::Corrupt,
             QStringLiteral("file too large for a project (%1 bytes)").arg(in.remaining()),
             ProjectReader::tr("檔案過大（%1 位元組），不是專案檔").arg(in.remaining()));
        return result;
    }

    ProjectReadStatus::Code why = ProjectReadStatus::Ok;
    QByteArray head;
    if (!in.read(10, head, why)) {
        failAt(status, why, Header);
        return result;
    }
    const qint16 leds = qFromBigEndian<qint16>(head.constData());
    const quint64 rateBits = qFromBigEndian<quint64>(head.constData() + 2);
    double rate;
    static_assert(sizeof rate == sizeof rateBits, "IEEE 754 double expected");
    memcpy(&rate, &rateBits, sizeof rate);

    quint32 songBytes = 0;
    if (!in.readUInt32(songBytes, why)) {
        failAt(status, why, SongLength);
        return result;
    }
    QString song;
    if (songBytes != NullLength) {
        if (songBytes % 2 != 0) {
            fail(status, ProjectReadStatus::Corrupt,
                 QStringLiteral("song path length %1 is odd").arg(songBytes),
                 ProjectReader::tr("音樂路徑的長度 %1 是奇數").arg(songBytes));
            return result;
        }
        if (songBytes / 2 > quint32(MaxSongPathLength)) {
            fail(status, ProjectReadStatus::Corrupt,
                 QStringLiteral("song path length %1 is too long").arg(songBytes),
                 ProjectReader::tr("音樂路徑的長度 %1 過長").arg(songBytes));
            return result;
        }
        QByteArray raw;
        if (!in.read(songBytes, raw, why)) {
            failAt(status, why, SongPath);
            return result;
        }
        song.resize(int(songBytes / 2));
        qFromBigEndian<quint16>(raw.constData(), song.size(), song.data());
    }

    project.leds = leds;
    project.frameRate = toFloat(rate);
    if (song != noSongMarker())
        project.songPath = song;
    status.headerRead = true;

    const QByteArray separator = trackSeparator();
    qint64 thumbPixels = 0;
    while (!in.atEnd()) {
        quint32 length = 0;
        if (!in.readUInt32(length, why)) {
            failAt(status, why, RecordLength);
            break;
        }
        if (length == NullLength || length == 0) {
            ++status.emptyRecordsDropped;
            continue;
        }
        QByteArray record;
        if (!in.read(length, record, why)) {
            if (why == ProjectReadStatus::Truncated)
                fail(status, why,
                     QStringLiteral("file ends inside a record of %1 bytes").arg(length),
                     ProjectReader::tr("檔案在一個 %1 位元組的圖樣中途結束").arg(length));
            else
                failAt(status, why, Record);
            break;
        }
        if (record == separator) {
            project.tracks.append(QVector<QByteArray>());
        } else {
            const QSize thumb = storedThumbSize(record);
            thumbPixels += std::max<qint64>(thumb.width() - NormalThumbWidth, 0) * thumb.height();
            if (thumbPixels > MaxProjectThumbPixels) {
                const qint64 megabytes = MaxProjectThumbPixels * 4 / (1024 * 1024);
                fail(status, ProjectReadStatus::Corrupt,
                     QStringLiteral("the thumbs of its modes would take more than %1 MB")
                         .arg(megabytes),
                     ProjectReader::tr("圖樣的縮圖解開後會超過 %1 MB").arg(megabytes));
                break;
            }
            project.tracks.last().append(record);
            ++status.records;
        }
    }
    return result;
}

ProjectReadResult decodeProject(const QByteArray &bytes)
{
    QByteArray copy = bytes; // shared, not copied
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return readProject(buffer);
}

ProjectReadResult loadProjectFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ProjectReadResult result;
        result.project.tracks.append(QVector<QByteArray>());
        fail(result.status, ProjectReadStatus::OpenFailed, file.errorString(),
             fileErrorText(file.errorString()));
        return result;
    }
    return readProject(file);
}

ProjectSave::ProjectSave(const QString &path) : m_file(std::make_unique<QSaveFile>(path)) {}

// A save that is not committed leaves the old file; the temporary file
// goes with the QSaveFile.
ProjectSave::~ProjectSave() = default;

bool ProjectSave::write(const ProjectData &project, const SaveProgress &progress)
{
    if (!m_file->open(QIODevice::WriteOnly))
        return false;
    // The disk, not the memory, is the slow part of a large save: the data
    // goes to the disk as it is written, so that the progress counts what
    // is really done and the last step (the rename) takes no time.
    const auto toDisk = [this] {
        if (!m_file->flush())
            return false;
#ifdef Q_OS_UNIX
        if (::fdatasync(m_file->handle()) != 0) {
            m_error = qt_error_string(errno);
            return false;
        }
#endif
        return true;
    };
    qint64 synced = 0;
    bool diskFailed = false;
    const auto step = [&](qint64 done, qint64 total) {
        if (done - synced >= SyncEveryBytes) {
            if (!toDisk()) {
                diskFailed = true;
                return false;
            }
            synced = done;
        }
        return !progress || progress(done, total);
    };
    bool stopped = false;
    m_written = writeProject(*m_file, project, step, &stopped) && toDisk();
    m_cancelled = stopped && !diskFailed;
    return m_written;
}

bool ProjectSave::commit()
{
    // commit() reports a failed write too (a full disk), and keeps the old
    // file when anything went wrong.
    return m_written && m_file->commit();
}

QString ProjectSave::errorString() const
{
    if (m_cancelled)
        return QStringLiteral("cancelled");
    return m_error.isEmpty() ? m_file->errorString() : m_error;
}

bool saveProjectFile(const QString &path, const ProjectData &project, QString *errorText,
                     const SaveProgress &progress, bool *cancelled)
{
    ProjectSave save(path);
    const bool ok = save.write(project, progress) && save.commit();
    if (cancelled)
        *cancelled = save.cancelled();
    if (!ok && errorText)
        *errorText = save.errorString();
    return ok;
}

} // namespace vc
