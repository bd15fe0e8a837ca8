#pragma once

#include <QString>
#include <functional>

namespace vc::test {

// Writes a 16-bit PCM WAV file of `seconds` seconds. `sample(i, channel)`
// gives each sample; by default a 440 Hz tone at half scale.
bool writeWav(const QString &path, double seconds, int rate = 44100, int channels = 2,
              const std::function<qint16(qint64, int)> &sample = {});

// Encodes a WAV file to MP3 with GStreamer's command-line tool. Returns an
// empty string on success, else why it could not (tool or encoder missing).
QString encodeMp3(const QString &wavPath, const QString &mp3Path);

} // namespace vc::test
