#pragma once

#include "core/device/serialprotocol.h"
#include "core/device/streamfiles.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

class QTextStream;
class WorkerThread;

namespace vc::device {

// Sends show images to several props at once: one upload worker per
// target, each with its own port and its own two stream files (the same
// files for every target when they all play the same show). A target that
// fails ends alone; the others go on. Progress is told by signals and,
// when a text stream is given, one line per target.
class MultiUpload : public QObject
{
    Q_OBJECT

public:
    struct Target
    {
        // The ports the worker searches; a single port when it is known.
        QStringList candidates;
        StreamFiles files;
        // Who the prop belongs to, shown beside its port; may be empty.
        QString name;
    };

    struct Outcome
    {
        QString port; // the port that answered, or the target's label
        bool success = false;
        QString message; // what the worker reported when it failed
    };

    // log: where the progress lines and the summary go (none when null);
    // live: the stream is a terminal, so the lines are redrawn in place.
    MultiUpload(const SerialTimings &timings, QTextStream *log = nullptr, bool live = false,
                QObject *parent = nullptr);
    ~MultiUpload() override;

    // Starts one upload per target and returns at once; finished() follows
    // when every one has ended.
    void start(const QVector<Target> &targets);
    // Starts and returns when every upload has ended. Outcomes are in
    // target order.
    QVector<Outcome> run(const QVector<Target> &targets);

    bool isRunning() const { return m_running > 0; }
    QVector<Outcome> outcomes() const;
    // The label of a target: its port (once one answered) and its name.
    QString label(int target) const;

    // Stops every running upload (from the thread that started them).
    void cancel();
    // Polled while running: when it returns true, the uploads are cancelled.
    void setInterruptCheck(bool (*check)()) { m_interrupted = check; }

signals:
    void progressChanged(int target, int percent);
    void targetEnded(int target, bool success, const QString &message);
    void finished();

private:
    struct Running
    {
        Target target;
        QString port;
        int percent = -1;
        int printedStep = -2; // the last tenth printed (-1: waiting)
        bool ended = false;
        bool success = false;
        bool cancelled = false;
        QString message;
        QPointer<WorkerThread> worker;
    };

    void onProgress(int target, int percent, int port);
    void onEnded(int target);
    QString lineOf(int target) const;
    void draw();
    void writeSummary();

    SerialTimings m_timings;
    QTextStream *m_log;
    bool m_live;
    bool m_drawn = false;
    QStringList m_shown; // the lines on the terminal
    QVector<Running> m_targets;
    int m_running = 0;
    bool (*m_interrupted)() = nullptr;
    QObject *m_poll = nullptr;
};

// The ports among these that cannot be opened now, because they are missing
// or another program holds them, each as "port: reason". Checked before an
// upload to several props, so that nothing is sent when one is not there.
QStringList unavailablePorts(const QStringList &ports);

} // namespace vc::device
