#include "core/device/workerthread.h"

#include "core/device/portline.h"

#include <QSerialPort>

using namespace vc::device;

WorkerThread::WorkerThread(const QStringList &candidates, const StreamFiles &files, QObject *parent)
    : QThread(parent), m_candidates(candidates), m_files(files)
{
}

WorkerThread::~WorkerThread()
{
    stop();
    wait();
}

void WorkerThread::stop()
{
    m_cancel = true;
}

void WorkerThread::run()
{
    m_success = false;
    // The port belongs to this thread: made, used and closed here.
    QSerialPort port;
    m_port = &port;
    upload();
    m_port = nullptr;
    if (m_success)
        emit finish();
    else
        emit terminated();
}

void WorkerThread::upload()
{
    if (!m_port)
        return;
    PortLine line(m_port, UploadBaud);
    const PortSearch found = findProp(line, m_candidates, greetsAtAll, m_timings, &m_cancel);
    switch (found.outcome) {
    case PortSearch::Found:
        break;
    case PortSearch::NoPortOpened:
    case PortSearch::NoAnswer:
        emit expmess(tr("偵測不到裝置！"));
        return;
    case PortSearch::Cancelled:
        return;
    }
    m_portNumber = found.index;

    const int port = m_portNumber;
    const UploadOutcome outcome =
        sendShowImage(line, m_files, m_timings, &m_cancel,
                      [this, port](int percent) { emit progress(percent, port); });
    line.close();

    switch (outcome) {
    case UploadOutcome::Done:
        m_success = true;
        break;
    case UploadOutcome::FilesUnreadable:
        emit expmess(tr("輸出錯誤！"));
        break;
    case UploadOutcome::NoSlotAnswer:
        // The codes stay first: they are what a performer reads to support.
        emit expmess(
            tr("ERROR01：道具沒有回應秀槽的選擇。請確認道具已開機並在等待上傳，再上傳一次。"));
        break;
    case UploadOutcome::SlotRefused:
        emit expmess(tr("ERROR02：道具拒絕在這個秀槽接收秀，道具上原本的秀保持不變。請重新啟動道具"
                        "，再上傳一次或換一個秀槽。"));
        break;
    case UploadOutcome::LineLost:
        emit expmess(tr("與道具的連線中斷，道具上的秀可能不完整。"));
        break;
    case UploadOutcome::StoppedTaking:
        emit expmess(tr("道具停止接收資料，上傳已停止，道具上的秀可能不完整。請重新啟動道具，再上傳"
                        "一次。"));
        break;
    case UploadOutcome::Refused:
        emit expmess(
            tr("道具在接收秀時回報錯誤，道具上的秀可能不完整。請重新啟動道具，再上傳一次。"));
        break;
    case UploadOutcome::NoFinalAnswer:
        emit expmess(tr("道具未確認收到秀，請重新上傳。"));
        break;
    case UploadOutcome::Cancelled:
        break;
    }
}
