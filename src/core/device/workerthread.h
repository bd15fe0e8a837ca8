#pragma once

#include "core/device/serialprotocol.h"
#include "core/device/streamfiles.h"

#include <QStringList>
#include <QThread>

#include <atomic>

class QSerialPort;

// Uploads one show image to the prop on a thread of its own: finds the
// prop among the candidate ports, sends the stream files and waits for the
// prop's answer. It talks to the window only through its signals; a new
// worker is made for every upload.
class WorkerThread : public QThread
{
    Q_OBJECT

public:
    WorkerThread(const QStringList &candidates, const vc::device::StreamFiles &files,
                 QObject *parent = nullptr);
    // Stops a running upload and waits for the thread (briefly: every wait
    // of the worker is sliced).
    ~WorkerThread() override;

    void setTimings(const vc::device::SerialTimings &timings) { m_timings = timings; }
    QStringList candidates() const { return m_candidates; }
    // Valid once the thread has finished.
    bool success() const { return m_success; }

signals:
    // percent 0..100, and the index of the answering port in the candidates
    void progress(int percent, int port);
    // an error text for the user
    void expmess(QString str);
    void finish();
    void terminated();

public slots:
    // The upload proper; run() calls it with the port made on this thread.
    void upload();
    // Cancels from any thread: sending stops within one wait slice and the
    // port is closed. The thread then ends on its own.
    void stop();

protected:
    void run() override;

private:
    qint32 m_portNumber = 0;
    QSerialPort *m_port = nullptr;
    bool m_success = false;

    QStringList m_candidates;
    vc::device::StreamFiles m_files;
    vc::device::SerialTimings m_timings;
    std::atomic_bool m_cancel{false};
};
