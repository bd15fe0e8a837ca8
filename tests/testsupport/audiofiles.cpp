#include "audiofiles.h"

#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtMath>

namespace vc::test {

bool writeWav(const QString &path, double seconds, int rate, int channels,
              const std::function<qint16(qint64, int)> &sample)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const qint64 frames = static_cast<qint64>(seconds * rate);
    const quint32 dataBytes = static_cast<quint32>(frames * channels * 2);
    QDataStream out(&f);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(channels) << quint32(rate)
        << quint32(rate * channels * 2) << quint16(channels * 2) << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    QByteArray block;
    block.reserve(rate * channels * 2);
    for (qint64 i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const qint16 v = sample ? sample(i, c)
                                    : static_cast<qint16>(16000 * qSin(2 * M_PI * 440 * i / rate));
            block.append(static_cast<char>(v & 0xff));
            block.append(static_cast<char>((v >> 8) & 0xff));
        }
        if (block.size() >= rate * channels * 2) {
            out.writeRawData(block.constData(), block.size());
            block.clear();
        }
    }
    out.writeRawData(block.constData(), block.size());
    return out.status() == QDataStream::Ok && f.flush();
}

QString encodeMp3(const QString &wavPath, const QString &mp3Path)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    if (tool.isEmpty())
        return QStringLiteral("gst-launch-1.0 is not installed");
    QProcess p;
    p.start(tool, {QStringLiteral("-q"), QStringLiteral("filesrc"),
                   QStringLiteral("location=") + wavPath, QStringLiteral("!"),
                   QStringLiteral("wavparse"), QStringLiteral("!"), QStringLiteral("audioconvert"),
                   QStringLiteral("!"), QStringLiteral("lamemp3enc"), QStringLiteral("!"),
                   QStringLiteral("filesink"), QStringLiteral("location=") + mp3Path});
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 ||
        !QFile::exists(mp3Path))
        return QStringLiteral("no MP3 encoder (GStreamer's lamemp3enc) is installed");
    return {};
}

} // namespace vc::test
