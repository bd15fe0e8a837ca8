#include "gui/device/exportupload.h"

#include "core/device/showfile.h"
#include "core/device/trackshow.h"
#include "core/model/show.h"
#include "core/timeline/timeaxis.h"
#include "gui/app/mainwindow.h"
#include "gui/app/prompter.h"
#include "gui/device/portline.h"
#include "gui/device/workerthread.h"
#include "gui/model/trackscontroller.h"
#include "gui/render/mygl.h"
#include "gui/timeline/timeline.h"
#include "gui/timeline/timelineitem.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QDir>

using namespace vc::device;

namespace {

QString white(const QString &text)
{
    return QStringLiteral("<font color='white'>") + text + QStringLiteral("</font>");
}

} // namespace

ExportUpload::ExportUpload(MainWindow *window)
    : QObject(window), m_window(window), m_files(defaultStreamFiles())
{
}

ExportUpload::~ExportUpload()
{
    // The window is going away: nothing may report to it any more.
    if (m_worker)
        QObject::disconnect(m_worker, nullptr, m_window, nullptr);
    delete m_worker.data();
    for (const QPointer<WorkerThread> &w : qAsConst(m_retired))
        delete w.data();
}

QVector<ShowItem> ExportUpload::currentTrackItems() const
{
    const vc::TracksController *tracks = m_window->tracks();
    Timeline *track = tracks ? tracks->currentTrack() : nullptr;
    if (!track)
        return {};
    // The track itself is kept in play order; the conversion then finds
    // nothing left to move.
    track->sortItems();
    QVector<vc::ModeRecord> records;
    records.reserve(track->items().size());
    for (const TimelineItem *item : track->items())
        records << item->record();
    return trackShowItems(records, m_window->document()->frameRate(), m_window->document()->leds());
}

ShowSettings ExportUpload::currentSettings() const
{
    const Ui::MainWindow *ui = m_window->form();
    ShowSettings s;
    s.leds = m_window->document()->leds();
    s.frameRate = m_window->document()->frameRate();
    s.fpsText = ui->FPS_V->value();
    s.slot = ui->prop_track->currentIndex() + 1;
    s.autoRepeat = ui->AutoRepeat->isChecked();
    // The start mark is kept in ruler pixels; the scale turns it into time.
    s.startMarkMs =
        int(float(ui->timeline_headers->startMark()) * m_window->timeAxis()->msPerPixel());
    return s;
}

bool ExportUpload::uploading() const
{
    return !m_worker.isNull();
}

QString ExportUpload::statusText(const QString &portLabel, int percent)
{
    return portLabel + QLatin1Char(' ') + QCoreApplication::translate("MainWindow", "輸出中") +
           QLatin1Char(' ') + QString::number(percent) + QLatin1Char('%');
}

// ---------------------------------------------------------------- build

bool ExportUpload::buildShowImage()
{
    Ui::MainWindow *ui = m_window->form();
    ui->GLWidget->setEnabled(false);
    ui->progressBar->setValue(0);

    const StreamWriteResult result =
        writeStreamFiles(currentTrackItems(), currentSettings(), m_files, [ui](int percent) {
            ui->progressBar->setValue(percent);
            ui->progressBar->repaint();
        });
    ui->progressBar->setValue(0);
    if (result.ok())
        return true;
    ui->GLWidget->setEnabled(true);
    reportRefusal(result);
    return false;
}

void ExportUpload::reportRefusal(const StreamWriteResult &result)
{
    switch (result.build.refusal) {
    case BuildRefusal::EmptyTrack:
        vc::prompter().warning(m_window, QCoreApplication::translate("MainWindow", "無可上傳圖樣"),
                               QCoreApplication::translate("MainWindow", "請選擇正確之時間軸"),
                               QMessageBox::Ok);
        return;
    case BuildRefusal::LedCount:
        vc::prompter().warning(
            m_window, QString(),
            white(QCoreApplication::translate(
                      "MainWindow", "道具秀只能描述 1 至 255 顆 LED，目前的 LED 數為 %1。")
                      .arg(m_window->document()->leds())));
        return;
    case BuildRefusal::FrameRate:
        vc::prompter().warning(m_window, QString(),
                               white(QCoreApplication::translate(
                                   "MainWindow", "請先選擇道具，或設定頻率（Freq.）。")));
        return;
    case BuildRefusal::TooManyBlocks:
        vc::prompter().warning(
            m_window, QString(),
            white(QCoreApplication::translate(
                      "MainWindow",
                      "這條時間軸需要 %1 個區塊，道具秀最多 255 個。請減少圖樣或縮短圖樣間的空白。")
                      .arg(result.build.blocks)));
        return;
    case BuildRefusal::WriteFailed:
    case BuildRefusal::None:
        break;
    }
    vc::prompter().critical(
        m_window, QString(),
        white(QCoreApplication::translate("MainWindow", "無法寫入秀的暫存檔 %1：%2")
                  .arg(QDir::toNativeSeparators(result.failedPath), result.error)));
}

// ---------------------------------------------------------------- upload

void ExportUpload::uploadClicked()
{
    Ui::MainWindow *ui = m_window->form();
    if (uploading()) {
        cancelUpload();
        return;
    }
    if (currentTrackItems().isEmpty()) {
        vc::prompter().warning(m_window, QCoreApplication::translate("MainWindow", "無可上傳圖樣"),
                               QCoreApplication::translate("MainWindow", "請選擇正確之時間軸"),
                               QMessageBox::Ok);
        return;
    }
    // A cancelled upload may still be letting go of its port.
    waitForRetiredWorkers();

    ui->UPload_Button->setText(QCoreApplication::translate("MainWindow", "轉檔中..."));
    ui->UPload_Button->repaint();
    if (!buildShowImage()) {
        ui->UPload_Button->setText(QCoreApplication::translate("MainWindow", "上傳至道具"));
        return;
    }

    m_candidates = systemPortCandidates();
    auto *worker = new WorkerThread(m_candidates, m_files);
    worker->setTimings(m_timings);
    m_worker = worker;
    connect(worker, &WorkerThread::progress, m_window, &MainWindow::export_slot);
    connect(worker, &WorkerThread::expmess, m_window, &MainWindow::warnex);
    connect(worker, &WorkerThread::finish, m_window, &MainWindow::finishup);
    connect(worker, &WorkerThread::terminated, m_window, &MainWindow::terminateup);
    connect(m_window, &MainWindow::Upload_Cancel_Clicked, worker, &WorkerThread::stop,
            Qt::DirectConnection);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);

    ui->UPload_Button->setText(QCoreApplication::translate("MainWindow", "傳輸中..."));
    worker->start(QThread::InheritPriority);
}

void ExportUpload::cancelUpload()
{
    Ui::MainWindow *ui = m_window->form();
    emit m_window->Upload_Cancel_Clicked();
    QObject::disconnect(m_worker, nullptr, m_window, nullptr);
    QObject::disconnect(m_window, &MainWindow::Upload_Cancel_Clicked, m_worker, nullptr);
    m_retired << m_worker;
    m_worker = nullptr;

    ui->UPload_Button->setText(QCoreApplication::translate("MainWindow", "上傳至道具"));
    ui->progressBar->setValue(0);
    ui->GLWidget->setEnabled(true);
    ui->Ex_Button->setEnabled(true);
    const QString cancelled = QCoreApplication::translate("MainWindow", "已取消上傳");
    vc::prompter().warning(m_window, cancelled, cancelled);
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
    Ui::MainWindow *ui = m_window->form();
    const QString label = port >= 0 && port < m_candidates.size()
                              ? portLabel(m_candidates.at(port))
                              : QStringLiteral("COM") + QString::number(port);
    ui->statusBar->showMessage(statusText(label, percent));
    ui->progressBar->setValue(percent);
    ui->progressBar->repaint();
}

void ExportUpload::restoreControls()
{
    Ui::MainWindow *ui = m_window->form();
    ui->GLWidget->setEnabled(true);
    ui->Ex_Button->setEnabled(true);
    ui->UPload_Button->setText(QCoreApplication::translate("MainWindow", "上傳至道具"));
}

void ExportUpload::finishup()
{
    restoreControls();
    forgetWorker();
    vc::prompter().about(m_window, QCoreApplication::translate("MainWindow", "完成"),
                         QCoreApplication::translate("MainWindow", "上傳完成"));
}

void ExportUpload::warnex(const QString &text)
{
    restoreControls();
    vc::prompter().critical(m_window, QString(), white(text));
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
    Ui::MainWindow *ui = m_window->form();
    if (uploading()) {
        vc::prompter().warning(
            m_window, QString(),
            white(QCoreApplication::translate("MainWindow", "上傳進行中，請等上傳結束後再匯出。")));
        return;
    }
    m_window->checkMissingPictures();
    if (currentTrackItems().isEmpty()) {
        vc::prompter().warning(m_window, QCoreApplication::translate("MainWindow", "無可上傳圖樣"),
                               QCoreApplication::translate("MainWindow", "請選擇正確之時間軸"),
                               QMessageBox::Ok);
        return;
    }
    const QString chosen = vc::prompter().saveFileName(
        m_window, QCoreApplication::translate("MainWindow", "匯出"),
        QDir::homePath() + QStringLiteral("/Documents"), QStringLiteral("*.bin"));
    if (chosen.isEmpty())
        return;
    const QString path = showFileName(chosen);

    ui->Ex_Button->setEnabled(false);
    if (!buildShowImage()) {
        ui->Ex_Button->setEnabled(true);
        return;
    }
    QString error;
    const bool written =
        exportShowFile(path, m_files.headerPath, m_files.framePath, &error, [ui](int percent) {
            ui->progressBar->setValue(percent);
            ui->progressBar->repaint();
        });
    ui->Ex_Button->setEnabled(true);
    if (!written) {
        ui->progressBar->setValue(0);
        ui->GLWidget->setEnabled(true);
        vc::prompter().critical(
            m_window, QString(),
            white(QCoreApplication::translate("MainWindow", "無法寫入檔案 %1：%2")
                      .arg(QDir::toNativeSeparators(path), error)));
        return;
    }
    ui->progressBar->setValue(100);
    finishup();
}
