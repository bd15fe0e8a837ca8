#include "core/device/showfile.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

namespace vc::device {

namespace {

QByteArray lengthBytes(quint32 n)
{
    QByteArray b(4, Qt::Uninitialized);
    qToBigEndian(n, b.data());
    return b;
}

} // namespace

bool writeShowFile(QIODevice &out, const QByteArray &header, QIODevice &frames,
                   const std::function<void(int)> &progress)
{
    if (header.isEmpty())
        return false;
    QByteArray head;
    // The slot as a data-stream C string: length 2, the byte, its zero.
    head.append(lengthBytes(2));
    head.append(header.at(0));
    head.append('\0');
    // The header record keeps its full size as length but carries the
    // bytes after the slot; the last byte is padding the reader skips.
    head.append(lengthBytes(quint32(header.size())));
    head.append(header.mid(1));
    head.append('\0');
    if (out.write(head) != head.size())
        return false;

    const qint64 total = frames.size();
    const QByteArray recordLength = lengthBytes(ShowFileRecordBytes);
    QByteArray buffer;
    qint64 copied = 0;
    int lastPercent = -1;
    while (!frames.atEnd()) {
        const int percent = total > 0 ? int(copied * 99 / total) : 0;
        if (progress && percent != lastPercent) {
            progress(percent);
            lastPercent = percent;
        }
        QByteArray chunk = frames.read(ShowFileRecordBytes);
        if (chunk.isEmpty())
            break;
        copied += chunk.size();
        // Bytes after the end of the stream fill the last record.
        chunk.append(QByteArray(ShowFileRecordBytes - chunk.size(), '\0'));
        buffer.append(recordLength);
        buffer.append(chunk);
        if (buffer.size() >= (1 << 20)) {
            if (out.write(buffer) != buffer.size())
                return false;
            buffer.clear();
        }
    }
    if (!buffer.isEmpty() && out.write(buffer) != buffer.size())
        return false;
    return copied == total;
}

bool exportShowFile(const QString &path, const QString &headerPath, const QString &framePath,
                    QString *error, const std::function<void(int)> &progress)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QFile headerFile(headerPath);
    if (!headerFile.open(QIODevice::ReadOnly))
        return fail(headerFile.errorString());
    const QByteArray header = headerFile.readAll();
    QFile frames(framePath);
    if (!frames.open(QIODevice::ReadOnly))
        return fail(frames.errorString());

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return fail(out.errorString());
    if (!writeShowFile(out, header, frames, progress)) {
        const QString why =
            out.error() != QFileDevice::NoError ? out.errorString() : frames.errorString();
        out.cancelWriting();
        return fail(why);
    }
    if (!out.commit())
        return fail(out.errorString());
    return true;
}

QString showFileName(const QString &chosen)
{
    if (chosen.contains(QLatin1String(".bin")))
        return chosen;
    return chosen + QLatin1String(".bin");
}

} // namespace vc::device
