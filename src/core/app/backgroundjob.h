#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

namespace vc {

// One background worker at a time, each on a thread of its own. A worker
// that is stopped or replaced is cut off from its receiver at once, so
// nothing it still sends arrives, is asked to stop, and ends with its
// thread; the threads are waited for only when the job goes away (the song
// decoder and the beat search each keep one).
class BackgroundJob
{
public:
    explicit BackgroundJob(QObject *receiver) : m_receiver(receiver) {}
    ~BackgroundJob()
    {
        stop();
        waitForAll();
    }
    BackgroundJob(const BackgroundJob &) = delete;
    BackgroundJob &operator=(const BackgroundJob &) = delete;

    // Stops the worker there is and moves `worker` (made without a parent)
    // to a new thread named `name`, where its start() slot runs once
    // launch() is called: connect its signals in between.
    template <typename Worker> Worker *prepare(Worker *worker, const QString &name)
    {
        stop();
        m_thread = new QThread(m_receiver);
        m_thread->setObjectName(name);
        m_worker = worker;
        m_stop = [](QObject *w) {
            QMetaObject::invokeMethod(static_cast<Worker *>(w), &Worker::stop,
                                      Qt::QueuedConnection);
        };
        worker->moveToThread(m_thread);
        QObject::connect(m_thread, &QThread::started, worker, &Worker::start);
        return worker;
    }
    void launch() { m_thread->start(); }

    bool isRunning() const { return m_worker != nullptr; }

    // Cuts the worker off, asks it to stop and lets its thread end.
    void stop();
    // Waits for every stopped thread to end.
    void waitForAll();

private:
    QObject *m_receiver;
    QThread *m_thread = nullptr;
    QObject *m_worker = nullptr;
    void (*m_stop)(QObject *) = nullptr;
    QList<QPointer<QThread>> m_stopped;
};

} // namespace vc
