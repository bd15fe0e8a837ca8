#include "core/app/backgroundjob.h"

namespace vc {

void BackgroundJob::stop()
{
    if (m_worker) {
        // Cut it off first: whatever it still sends is dropped.
        m_worker->disconnect(m_receiver);
        m_stop(m_worker);
        QObject::connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
        QObject::connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
        m_thread->quit();
        m_stopped.append(m_thread);
        m_worker = nullptr;
        m_thread = nullptr;
    }
    m_stopped.removeAll(nullptr);
}

void BackgroundJob::waitForAll()
{
    // Every thread must end before its QThread object does.
    for (const QPointer<QThread> &t : qAsConst(m_stopped)) {
        if (t) {
            t->quit();
            t->wait();
        }
    }
    m_stopped.removeAll(nullptr);
}

} // namespace vc
