// Main-window slots of the show export, the upload and the prop
// maintenance; the work is done by ExportUpload and DeviceMaintenance.
#include "gui/app/mainwindow.h"
#include "gui/device/exportupload.h"
#include "gui/device/maintenance.h"

void MainWindow::setupDevice()
{
    m_exportUpload = new ExportUpload(this);
    m_maintenance = new DeviceMaintenance(this);
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
