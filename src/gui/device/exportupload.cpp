#include "gui/device/exportupload.h"

#include "core/app/appsettings.h"
#include "core/app/fileerrors.h"
#include "core/device/portline.h"
#include "core/device/showfile.h"
#include "core/device/trackshow.h"
#include "core/device/workerthread.h"
#include "core/model/show.h"
#include "gui/common/prompter.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QProgressBar>
#include <QSpinBox>
#include <QStatusBar>

using namespace vc::device;

ExportUpload::ExportUpload(const Widgets &widgets, const vc::Show *show, Records records,
                           QWidget *dialogParent, QObject *parent)
    : QObject(parent), m_w(widgets), m_show(show), m_records(std::move(records)),
      m_dialogParent(dialogParent), m_files(defaultStreamFiles())
{
}

ExportUpload::~ExportUpload()
{
    // Nothing may report here any more; a worker's destructor stops it.
    if (m_worker)
        QObject::disconnect(m_worker, nullptr, this, nullptr);
    delete m_worker.data();
    for (const QPointer<WorkerThread> &w : qAsConst(m_retired))
        delete w.data();
}

QVector<ShowItem> ExportUpload::currentTrackItems() const
{
    const QVector<vc::ModeRecord> records = m_records ? m_records() : QVector<vc::ModeRecord>();
    return trackShowItems(records, m_show->frameRate(), m_show->leds());
}

ShowSettings ExportUpload::currentSettings() const
{
    ShowSettings s;
    s.leds = m_show->leds();
    s.frameRate = m_show->frameRate();
    s.fpsText = m_w.frameRateField->value();
    s.slot = m_w.slot->currentIndex() + 1;
    s.autoRepeat = m_w.autoRepeat->isChecked();
    s.startMarkMs = m_show->startMarkMs();
    return s;
}

bool ExportUpload::uploading() const
{
    return !m_worker.isNull();
}

QString ExportUpload::statusText(const QString &portLabel, int percent)
{
    return portLabel + QLatin1Char(' ') + tr("輸出中") + QLatin1Char(' ') +
           QString::number(percent) + QLatin1Char('%');
}

void ExportUpload::setProgress(int percent)
{
    m_w.progress->setValue(percent);
    m_w.progress->repaint();
}

// ---------------------------------------------------------------- build

bool ExportUpload::buildShowImage()
{
    emit previewAllowed(false);
    m_w.progress->setValue(0);

    const StreamWriteResult result = writeStreamFiles(currentTrackItems(), currentSettings(),
                                                      m_files, [this](int p) { setProgress(p); });
    m_w.progress->setValue(0);
    if (result.ok())
        return true;
    emit previewAllowed(true);
    reportRefusal(result);
    return false;
}

void ExportUpload::warnNothingToSend()
{
    // Say which track is empty: the current one may not be the one the
    // user thinks of.
    const int number = m_show->trackIndex(m_show->currentTrack()) + 1;
    vc::prompter().warning(m_dialogParent, tr("無可上傳圖樣"),
                           vc::whitePlainText(tr("軌道 %1 是空的，沒有圖樣可輸出。").arg(number) +
                                              QLatin1Char('\n') + tr("請選擇正確之時間軸")),
                           QMessageBox::Ok);
}

void ExportUpload::reportRefusal(const StreamWriteResult &result)
{
    switch (result.build.refusal) {
    case BuildRefusal::EmptyTrack:
        warnNothingToSend();
        return;
    case BuildRefusal::LedCount:
        vc::prompter().warning(
            m_dialogParent, QString(),
            vc::whiteText(
                tr("道具秀只能描述 1 至 255 顆 LED，目前的 LED 數為 %1。").arg(m_show->leds())));
        return;
    case BuildRefusal::FrameRate:
        vc::prompter().warning(m_dialogParent, QString(),
                               vc::whiteText(tr("請先選擇道具，或設定頻率（Freq.）。")));
        return;
    case BuildRefusal::TooManyBlocks:
        vc::prompter().warning(
            m_dialogParent, QString(),
            vc::whiteText(
                tr("這條時間軸需要 %1 個區塊，道具秀最多 255 個。請減少圖樣或縮短圖樣間的空白。")
                    .arg(result.build.blocks)));
        return;
    case BuildRefusal::WriteFailed:
    case BuildRefusal::None:
        break;
    }
    vc::prompter().critical(m_dialogParent, QString(),
                            vc::whiteText(tr("無法寫入秀的暫存檔 %1：%2")
                                              .arg(QDir::toNativeSeparators(result.failedPath),
                                                   vc::fileErrorText(result.error))));
}

// ---------------------------------------------------------------- upload

void ExportUpload::uploadClicked()
{
    if (uploading()) {
        cancelUpload();
        return;
    }
    if (currentTrackItems().isEmpty()) {
        warnNothingToSend();
        return;
    }
    // A cancelled upload may still be letting go of its port.
    waitForRetiredWorkers();
    // What an earlier upload reported does not stand for this one.
    m_w.statusBar->clearMessage();

    m_w.uploadButton->setText(tr("轉檔中..."));
    m_w.uploadButton->repaint();
    if (!buildShowImage()) {
        m_w.uploadButton->setText(tr("上傳至道具"));
        return;
    }

    m_candidates = systemPortCandidates();
    auto *worker = new WorkerThread(m_candidates, m_files);
    worker->setTimings(m_timings);
    m_worker = worker;
    connect(worker, &WorkerThread::progress, this, &ExportUpload::showProgress);
    connect(worker, &WorkerThread::expmess, this, &ExportUpload::warnex);
    connect(worker, &WorkerThread::finish, this, &ExportUpload::finishup);
    connect(worker, &WorkerThread::terminated, this, &ExportUpload::terminateup);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);

    m_w.uploadButton->setText(tr("傳輸中..."));
    worker->start(QThread::InheritPriority);
}

void ExportUpload::cancelUpload()
{
    if (!uploading())
        return;
    m_worker->stop();
    QObject::disconnect(m_worker, nullptr, this, nullptr);
    m_retired << m_worker;
    m_worker = nullptr;

    m_w.uploadButton->setText(tr("上傳至道具"));
    m_w.progress->setValue(0);
    emit previewAllowed(true);
    m_w.exportButton->setEnabled(true);
    const QString cancelled = tr("已取消上傳");
    vc::prompter().warning(m_dialogParent, cancelled, cancelled);
}

void ExportUpload::waitForRetiredWorkers()
{
    for (const QPointer<WorkerThread> &w : qAsConst(m_retired))
        if (w)
            w->wait(2000);
    m_retired.removeAll(nullptr);
}

void ExportUpload::showProgress(int percent, int port)
{
    const QString label = port >= 0 && port < m_candidates.size()
                              ? portLabel(m_candidates.at(port))
                              : QStringLiteral("COM") + QString::number(port);
    m_w.statusBar->showMessage(statusText(label, percent));
    setProgress(percent);
}

void ExportUpload::restoreControls()
{
    emit previewAllowed(true);
    m_w.exportButton->setEnabled(true);
    m_w.uploadButton->setText(tr("上傳至道具"));
}

void ExportUpload::finishup()
{
    restoreControls();
    forgetWorker();
    vc::prompter().about(m_dialogParent, tr("完成"), tr("上傳完成"));
}

void ExportUpload::warnex(const QString &text)
{
    restoreControls();
    vc::prompter().critical(m_dialogParent, QString(), vc::whiteText(text));
}

void ExportUpload::terminateup()
{
    forgetWorker();
}

void ExportUpload::forgetWorker()
{
    m_worker = nullptr;
}

// ---------------------------------------------------------------- export

void ExportUpload::exportClicked()
{
    if (uploading()) {
        vc::prompter().warning(m_dialogParent, QString(),
                               vc::whiteText(tr("上傳進行中，請等上傳結束後再匯出。")));
        return;
    }
    emit exportStarting();
    if (currentTrackItems().isEmpty()) {
        warnNothingToSend();
        return;
    }
    const QString chosen = vc::prompter().saveFileName(
        m_dialogParent, tr("匯出"), vc::settings::defaultDocumentsPath(), QStringLiteral("*.bin"));
    if (chosen.isEmpty())
        return;
    const QString path = showFileName(chosen);

    m_w.exportButton->setEnabled(false);
    if (!buildShowImage()) {
        m_w.exportButton->setEnabled(true);
        return;
    }
    QString error;
    const bool written = exportShowFile(path, m_files.headerPath, m_files.framePath, &error,
                                        [this](int p) { setProgress(p); });
    m_w.exportButton->setEnabled(true);
    if (!written) {
        m_w.progress->setValue(0);
        emit previewAllowed(true);
        vc::prompter().critical(
            m_dialogParent, QString(),
            vc::whiteText(tr("無法寫入檔案 %1：%2")
                              .arg(QDir::toNativeSeparators(path), vc::fileErrorText(error))));
        return;
    }
    m_w.progress->setValue(100);
    restoreControls();
    vc::prompter().about(m_dialogParent, tr("完成"),
                         tr("道具秀檔案已寫入：%1").arg(QDir::toNativeSeparators(path)));
}
