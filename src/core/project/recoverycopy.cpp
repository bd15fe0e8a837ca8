#include "core/project/recoverycopy.h"

#include <KAutoSaveFile>

#include <QDataStream>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <QUrl>
#include <QUuid>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace vc {

namespace {

// The first bytes of every copy, and its last: a copy without the end was
// cut short.
const QByteArray Tag = QByteArrayLiteral("VantorCreator recovery copy");
const QByteArray End = QByteArrayLiteral("end of copy");
// Version 2 adds the extras after the project; a version 1 copy has none.
constexpr quint32 Version = 2;

// The name the copy's file is made from; the copy itself says where the
// project belongs.
QUrl managedName(const QString &projectPath)
{
    const QString name = QFileInfo(projectPath).fileName();
    return QUrl::fromLocalFile(name.isEmpty() ? QStringLiteral("untitled.vtc3") : name);
}

// Lets go of a held copy without removing its file: an autosave file
// removes the file it holds only while it still has its name.
void release(std::unique_ptr<KAutoSaveFile> &file)
{
    if (!file)
        return;
    file->close();
    file->setFileName(QString());
    file.reset();
}

} // namespace

QByteArray encodeRecoveryCopy(const RecoveryCopy &copy)
{
    QByteArray bytes;
    bytes.reserve(copy.project.size() + copy.projectPath.size() * 2 + 256);
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.writeRawData(Tag.constData(), Tag.size());
    out << Version << copy.projectPath << copy.hasFileName
        << qint64(copy.writtenAt.toMSecsSinceEpoch()) << copy.session << copy.project
        << copy.extras;
    out.writeRawData(End.constData(), End.size());
    return bytes;
}

bool writeRecoveryCopy(QIODevice &device, const RecoveryCopy &copy, const ProjectData &project)
{
    const qint64 size = encodedProjectSize(project);
    if (size >= MaxProjectFileSize)
        return false;
    QDataStream out(&device);
    out.writeRawData(Tag.constData(), Tag.size());
    out << Version << copy.projectPath << copy.hasFileName
        << qint64(copy.writtenAt.toMSecsSinceEpoch()) << copy.session;
    // As a byte array is streamed: its length, then its bytes.
    out << quint32(size);
    if (out.status() != QDataStream::Ok || !writeProject(device, project))
        return false;
    out << copy.extras;
    out.writeRawData(End.constData(), End.size());
    return out.status() == QDataStream::Ok;
}

bool decodeRecoveryCopy(const QByteArray &bytes, RecoveryCopy *copy)
{
    if (!bytes.startsWith(Tag) || !bytes.endsWith(End))
        return false;
    const QByteArray body = QByteArray::fromRawData(bytes.constData() + Tag.size(),
                                                    bytes.size() - Tag.size() - End.size());
    QDataStream in(body);
    quint32 version = 0;
    qint64 ms = 0;
    RecoveryCopy c;
    in >> version;
    if (version < 1 || version > Version)
        return false;
    in >> c.projectPath >> c.hasFileName >> ms >> c.session >> c.project;
    if (version >= 2)
        in >> c.extras;
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return false;
    c.writtenAt = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    *copy = c;
    return true;
}

// ---------------------------------------------------------------- writer

RecoveryWriter::RecoveryWriter()
    : m_thread(new QThread), m_context(new QObject), m_session(QUuid::createUuid().toRfc4122())
{
    m_thread->setObjectName(QStringLiteral("recovery copy"));
    m_context->moveToThread(m_thread);
    m_thread->start(QThread::LowPriority);
}

RecoveryWriter::~RecoveryWriter()
{
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            m_file.reset();
            setFileName(QString());
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_context;
    delete m_thread;
}

void RecoveryWriter::write(const ProjectData &project, const QString &projectPath, bool hasFileName,
                           const QByteArray &extras)
{
    // The records are shared, not copied: collecting them is all the
    // caller's thread pays.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QMetaObject::invokeMethod(m_context, [this, project, projectPath, hasFileName, now, extras] {
        RecoveryCopy copy;
        copy.projectPath = projectPath;
        copy.hasFileName = hasFileName;
        copy.writtenAt = now;
        copy.session = m_session;
        copy.project = encodeProject(project);
        copy.extras = extras;
        const QByteArray bytes = encodeRecoveryCopy(copy);

        auto next = std::make_unique<KAutoSaveFile>(managedName(projectPath));
        bool ok =
            next->open(QIODevice::WriteOnly) && next->write(bytes) == bytes.size() && next->flush();
#ifdef Q_OS_UNIX
        // On the disk before the previous copy goes, also after a power cut.
        ok = ok && ::fsync(next->handle()) == 0;
#endif
        if (!ok) {
            const QMutexLocker lock(&m_mutex);
            m_lastError = next->errorString();
            return; // the failed one is removed with its object; the previous stays
        }
        next->close(); // the hold on it stays
        replace(std::move(next));
        const QMutexLocker lock(&m_mutex);
        ++m_written;
    });
}

void RecoveryWriter::discard()
{
    QMetaObject::invokeMethod(m_context, [this] { replace(nullptr); });
}

void RecoveryWriter::adopt(std::unique_ptr<KAutoSaveFile> file)
{
    if (!file)
        return;
    file->moveToThread(m_thread);
    KAutoSaveFile *held = file.release();
    QMetaObject::invokeMethod(m_context,
                              [this, held] { replace(std::unique_ptr<KAutoSaveFile>(held)); });
}

void RecoveryWriter::waitForIdle()
{
    QMetaObject::invokeMethod(
        m_context, [] {}, Qt::BlockingQueuedConnection);
}

void RecoveryWriter::replace(std::unique_ptr<KAutoSaveFile> next)
{
    const QString name = next ? next->fileName() : QString();
    // Destroying the previous one removes its file.
    m_file = std::move(next);
    setFileName(name);
}

void RecoveryWriter::setFileName(const QString &name)
{
    const QMutexLocker lock(&m_mutex);
    m_fileName = name;
}

QString RecoveryWriter::fileName() const
{
    const QMutexLocker lock(&m_mutex);
    return m_fileName;
}

int RecoveryWriter::written() const
{
    const QMutexLocker lock(&m_mutex);
    return m_written;
}

QString RecoveryWriter::lastError() const
{
    const QMutexLocker lock(&m_mutex);
    return m_lastError;
}

// ---------------------------------------------------------------- found copies

FoundRecoveryCopy::FoundRecoveryCopy(std::unique_ptr<KAutoSaveFile> file, RecoveryCopy copy)
    : m_file(std::move(file)), m_copy(std::move(copy))
{
}

FoundRecoveryCopy::~FoundRecoveryCopy()
{
    keep();
}

FoundRecoveryCopy::FoundRecoveryCopy(FoundRecoveryCopy &&) noexcept = default;
FoundRecoveryCopy &FoundRecoveryCopy::operator=(FoundRecoveryCopy &&other) noexcept
{
    if (this != &other) {
        keep();
        m_file = std::move(other.m_file);
        m_copy = std::move(other.m_copy);
    }
    return *this;
}

QString FoundRecoveryCopy::fileName() const
{
    return m_file ? m_file->fileName() : QString();
}

void FoundRecoveryCopy::discard()
{
    m_file.reset();
}

void FoundRecoveryCopy::keep()
{
    release(m_file);
}

std::unique_ptr<KAutoSaveFile> FoundRecoveryCopy::take()
{
    return std::move(m_file);
}

std::vector<FoundRecoveryCopy> findRecoveryCopies()
{
    std::vector<FoundRecoveryCopy> found;
    const QList<KAutoSaveFile *> stale = KAutoSaveFile::allStaleFiles();
    for (KAutoSaveFile *candidate : stale) {
        std::unique_ptr<KAutoSaveFile> file(candidate);
        // Taking hold fails while the editor that writes it runs; an object
        // that holds nothing leaves the file alone when it goes.
        if (file->fileName().endsWith(QLatin1String("lock")) || !file->open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file->readAll();
        file->close();
        RecoveryCopy copy;
        if (!decodeRecoveryCopy(bytes, &copy)) {
            if (bytes.startsWith(Tag))
                file.reset(); // cut short: nothing to recover from it
            else
                release(file); // not ours to judge
            continue;
        }
        found.emplace_back(std::move(file), std::move(copy));
    }

    std::sort(found.begin(), found.end(),
              [](const FoundRecoveryCopy &a, const FoundRecoveryCopy &b) {
                  return a.copy().writtenAt > b.copy().writtenAt;
              });
    // A run crashing between writing a copy and removing the one before
    // leaves both; only the later one counts.
    QSet<QByteArray> sessions;
    std::vector<FoundRecoveryCopy> newest;
    for (FoundRecoveryCopy &f : found) {
        if (sessions.contains(f.copy().session)) {
            f.discard();
            continue;
        }
        sessions.insert(f.copy().session);
        newest.push_back(std::move(f));
    }
    return newest;
}

} // namespace vc
