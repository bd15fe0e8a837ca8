#pragma once

#include "core/model/moderecord.h"
#include "core/video/videoencoder.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>

class QProgressDialog;
class QThread;

namespace vc {

class Show;

// "Export video...": asks for the file and the options, renders the current
// track on a thread of its own with a progress dialog, and reports where the
// video is. One render at a time.
class VideoExport : public QObject
{
    Q_OBJECT

public:
    using Records = std::function<QVector<ModeRecord>()>;
    VideoExport(const Show *show, Records records, QWidget *dialogParent, QObject *parent);
    ~VideoExport() override;

    void start();
    bool running() const { return m_thread != nullptr; }

    // The options dialog: fills *options (size, rate, look, start) and
    // returns false when it was cancelled.
    static bool askOptions(QWidget *parent, int startMarkMs, VideoOptions *options);

signals:
    void finished(const QString &error);

private:
    void done();

    const Show *m_show;
    Records m_records;
    QWidget *m_dialogParent;
    QThread *m_thread = nullptr;
    QPointer<QProgressDialog> m_progress;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    std::shared_ptr<QString> m_result;
    QString m_output;
};

} // namespace vc
