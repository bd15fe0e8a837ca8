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

namespace vc::ctl {

// Sends one show image to several props at once: one upload worker (the
// editor's) per target, each with its own port, all reading the same two
// stream files. Progress and the outcome of every target are written to a
// text stream, one line per target.
class MultiUpload : public QObject
{
    Q_OBJECT

public:
    struct Outcome
    {
        QString port; // the port that answered, or the target's name
        bool success = false;
        QString message; // what the worker reported when it failed
    };

    // live: the stream is a terminal; the progress lines are redrawn in
    // place instead of being appended.
    MultiUpload(const device::StreamFiles &files, const device::SerialTimings &timings,
                QTextStream &log, bool live, QObject *parent = nullptr);
    ~MultiUpload() override;

    // Runs one upload per target (each target is the list of candidate
    // ports a worker searches, a single port when it is given) and returns
    // when every one has ended. Outcomes are in target order.
    QVector<Outcome> run(const QVector<QStringList> &targets);

    // Stops every running upload (from the thread that called run()).
    void cancel();
    // Polled while running: when it returns true, the uploads are cancelled.
    void setInterruptCheck(bool (*check)()) { m_interrupted = check; }

private:
    struct Target
    {
        QStringList candidates;
        QString label;
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
    QString lineOf(const Target &t) const;
    void draw();

    device::StreamFiles m_files;
    device::SerialTimings m_timings;
    QTextStream &m_log;
    bool m_live;
    bool m_drawn = false;
    QStringList m_shown; // the lines on the terminal
    QVector<Target> m_targets;
    bool (*m_interrupted)() = nullptr;
};

} // namespace vc::ctl
