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

QVector<double> beatSongBeats(double bpm, double seconds, double firstBeat, double then,
                              double stepAt)
{
    QVector<double> ms;
    double period = 60.0 / bpm;
    for (double t = firstBeat; t < seconds - period; t += period) {
        ms.append(t * 1000);
        if (then > 0 && t >= stepAt)
            period = 60.0 / then;
    }
    return ms;
}

QVector<float> beatSong(BeatSong kind, double bpm, double seconds, double firstBeat, int rate)
{
    return beatSong(kind, beatSongBeats(bpm, seconds, firstBeat), seconds, rate);
}

QVector<float> beatSong(BeatSong kind, const QVector<double> &beats, double seconds, int rate)
{
    QVector<float> out(static_cast<int>(seconds * rate), 0.0f);
    // Fixed noise, so every run hears the same song.
    quint32 seed = 12345;
    auto noise = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / float(1 << 23) - 1.0f;
    };
    auto add = [&](double at, double length, const std::function<float(double)> &sound) {
        const int from = static_cast<int>(at * rate);
        const int to = qMin(out.size(), from + static_cast<int>(length * rate));
        for (int i = qMax(0, from); i < to; ++i)
            out[i] += sound(double(i - from) / rate);
    };
    // A piano-like chord: notes (semitones from A 220 Hz) with their
    // overtones, fading.
    auto chord = [&](double at, std::initializer_list<int> notes, double gain,
                     double decay = 0.15) {
        const int from = static_cast<int>(at * rate);
        const int to = qMin(out.size(), from + static_cast<int>(4 * decay * rate));
        for (int n : notes) {
            // sin x + sin 2x / 2 + sin 3x / 4, the sine turned a step at a time.
            const double step = 2 * M_PI * 220 * qPow(2, n / 12.0) / rate;
            const double fade = qExp(-1 / (decay * rate));
            double s = 0, c = 1, level = gain;
            for (int i = from; i < to; ++i, level *= fade) {
                out[i] += float(level * s * (1 + c + 0.25 * (3 - 4 * s * s)));
                const double next = s * qCos(step) + c * qSin(step);
                c = c * qCos(step) - s * qSin(step);
                s = next;
            }
        }
    };
    for (int b = 0; b < beats.size(); ++b) {
        const double t = beats[b] / 1000.0;
        const double period =
            (b + 1 < beats.size() ? beats[b + 1] - beats[b] : beats[b] - beats.value(b - 1, 0)) /
            1000.0;
        if (kind == BeatSong::Clicks) {
            add(t, 0.03,
                [](double s) { return float(0.8 * qSin(2 * M_PI * 1000 * s) * qExp(-s / 0.006)); });
            continue;
        }
        if (kind == BeatSong::OffBeats) {
            add(t, 0.3,
                [](double s) { return float(0.6 * qSin(2 * M_PI * 70 * s) * qExp(-s / 0.1)); });
            add(t + period / 2, 0.03,
                [](double s) { return float(0.9 * qSin(2 * M_PI * 2500 * s) * qExp(-s / 0.008)); });
            continue;
        }
        if (kind == BeatSong::Waltz || kind == BeatSong::AccentedWaltz) {
            // G major and D seventh, a bar each, under a tune in dotted
            // quarters (on 1 and half way through 2).
            const bool tonic = b / 3 % 2 == 0;
            if (b % 3 == 0) {
                const double f = tonic ? 98 : 73.4;
                add(t, 0.5,
                    [f](double s) { return float(0.5 * qSin(2 * M_PI * f * s) * qExp(-s / 0.2)); });
                const int note = 12 + b / 3 % 4 * 2;
                chord(t, {note}, 0.12, 0.3);
                chord(t + 1.5 * period, {note + 2}, 0.12, 0.3);
            }
            if (b % 3 != 0 || kind == BeatSong::AccentedWaltz)
                chord(t,
                      tonic ? std::initializer_list<int>{10, 14, 17}
                            : std::initializer_list<int>{12, 15, 17},
                      b % 3 == 0 ? 0.08 : 0.04);
            continue;
        }
        if (kind == BeatSong::Piano) {
            // C, A minor, F, G: one a beat, struck again half a beat on.
            static const int notes[4][3] = {{3, 7, 10}, {0, 3, 7}, {-4, 0, 3}, {-2, 2, 5}};
            const int *n = notes[b % 4];
            for (double at : {t, t + period / 2})
                chord(at, {n[0] + 12, n[1] + 12, n[2] + 12}, 0.06);
            continue;
        }
        if (b % 2 == 0) {
            // Kick: a falling sine.
            add(t, 0.25, [](double s) {
                const double f = 50 + 100 * qExp(-s / 0.03);
                return float(0.8 * qSin(2 * M_PI * f * s) * qExp(-s / 0.08));
            });
        } else {
            add(t, 0.2, [&noise](double s) { return float(0.4 * noise() * qExp(-s / 0.05)); });
        }
        for (double h : {t, t + period / 2}) {
            float last = 0;
            add(h, 0.05, [&noise, &last](double s) {
                // Noise minus its previous value: a crude high-pass.
                const float n = noise();
                const float v = n - last;
                last = n;
                return float(0.12 * v * qExp(-s / 0.012));
            });
        }
    }
    for (float &v : out)
        v = qBound(-1.0f, v, 1.0f);
    return out;
}

QVector<float> barSong(double bpm, int meter, int accentFrom, double seconds, double firstBeat)
{
    QVector<float> out = beatSong(BeatSong::Clicks, bpm, seconds, firstBeat);
    const QVector<double> beats = beatSongBeats(bpm, seconds, firstBeat);
    for (int b = accentFrom; b < beats.size(); b += meter) {
        const int from = static_cast<int>(beats[b] / 1000 * 44100);
        for (int i = 0; i < 44100 / 5 && from + i < out.size(); ++i) {
            const double s = i / 44100.0;
            out[from + i] += float(0.5 * qSin(2 * M_PI * 80 * s) * qExp(-s / 0.06));
        }
    }
    return out;
}

std::function<qint16(qint64, int)> playing(const QVector<float> &song)
{
    return [song](qint64 i, int) {
        return i < song.size() ? static_cast<qint16>(song[int(i)] * 32767.0f) : qint16(0);
    };
}

} // namespace vc::test
