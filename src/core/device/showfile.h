#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

namespace vc::device {

// A show file ("*.bin") wraps the show image in data-stream records: the
// slot as a one-character string, the header (after the slot byte) as a
// byte array, then the frame stream in byte arrays of exactly 256 bytes.
constexpr int ShowFileRecordBytes = 256;

// Writes the show file to out. progress, when set, gets 0..99 as the frame
// stream is copied. Returns false when out does not take every byte.
bool writeShowFile(QIODevice &out, const QByteArray &header, QIODevice &frames,
                   const std::function<void(int)> &progress = {});

// Writes the show file to path from the two stream files, all or nothing:
// on failure the previous file at path is kept. *error gets a reason.
bool exportShowFile(const QString &path, const QString &headerPath, const QString &framePath,
                    QString *error, const std::function<void(int)> &progress = {});

// The name a show file is saved under: ".bin" is added unless the name
// already holds it somewhere.
QString showFileName(const QString &chosen);

} // namespace vc::device
