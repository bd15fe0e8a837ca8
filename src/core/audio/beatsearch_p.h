#pragma once

#include "core/audio/beattracker.h"

#include <QAudioDecoder>
#include <QObject>

namespace vc {

// Decodes one song to mono 16-bit samples at the tracker's rate and feeds
// them to a beat tracker; lives on the search's thread.
class BeatSearchWorker : public QObject
{
    Q_OBJECT
public:
    explicit BeatSearchWorker(const QString &absolutePath) : m_path(absolutePath) {}

public slots:
    void start();
    void stop();

signals:
    void finished(const vc::SongBeats &beats, bool ok);

private:
    void readBuffer();
    void end(bool ok);

    QString m_path;
    QAudioDecoder *m_decoder = nullptr;
    BeatTracker m_tracker;
    bool m_ended = false;
};

} // namespace vc
