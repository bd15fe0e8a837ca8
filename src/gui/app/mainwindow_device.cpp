// Main-window slots of the show export, the upload and the prop
// maintenance; the work is done by ExportUpload and DeviceMaintenance,
// which are wired to the rest of the window here.
#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/model/show.h"
#include "gui/device/exportupload.h"
#include "gui/device/maintenance.h"
#include "gui/render/mygl.h"
#include "gui/render/videoexport.h"

void MainWindow::on_actionExportVideo_triggered()
{
    m_videoExport->start();
}

void MainWindow::setupDevice()
{
    ExportUpload::Widgets w;
    w.uploadButton = ui->UPload_Button;
    w.exportButton = ui->Ex_Button;
    w.progress = ui->progressBar;
    w.statusBar = ui->statusBar;
    w.frameRateField = ui->FPS_V;
    w.slot = ui->prop_track;
    w.autoRepeat = ui->AutoRepeat;
    // The track is put in play order before it is read, so that what is
    // sent is what the track shows.
    // The current track, kept in play order: the conversion then finds
    // nothing left to move.
    auto currentRecords = [this] {
        m_show->sortTrack(m_show->currentTrack());
        return m_show->records(m_show->currentTrack());
    };
    m_exportUpload = new ExportUpload(w, m_show, currentRecords, this, this);
    m_videoExport = new vc::VideoExport(m_show, currentRecords, this, this);
    connect(m_exportUpload, &ExportUpload::previewAllowed, ui->GLWidget, &QWidget::setEnabled);
    connect(m_exportUpload, &ExportUpload::exportStarting, this, &MainWindow::checkMissingPictures);
    connect(this, &MainWindow::Upload_Cancel_Clicked, m_exportUpload, &ExportUpload::cancelUpload);

    m_maintenance = new DeviceMaintenance(this, this);
}

void MainWindow::on_UPload_Button_clicked()
{
    m_exportUpload->uploadClicked();
}

void MainWindow::on_actionUpload_triggered()
{
    m_exportUpload->uploadClicked();
}

void MainWindow::on_Ex_Button_clicked()
{
    m_exportUpload->exportClicked();
}

void MainWindow::export_slot(int percent, int port)
{
    m_exportUpload->showProgress(percent, port);
}

void MainWindow::warnex(QString str)
{
    m_exportUpload->warnex(str);
}

void MainWindow::finishup()
{
    m_exportUpload->finishup();
}

void MainWindow::terminateup()
{
    m_exportUpload->terminateup();
}

void MainWindow::on_actionFormat_triggered()
{
    m_maintenance->wipeMemory();
}

void MainWindow::on_actionFirUpdate_triggered()
{
    m_maintenance->firmwareUpdateClicked();
}

void MainWindow::updatesystem()
{
    m_maintenance->updatesystem();
}

void MainWindow::on_action_admin_triggered()
{
    m_maintenance->adminClicked();
}
