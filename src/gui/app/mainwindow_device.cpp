// Main-window slots of the show export, the upload and the prop
// maintenance; the work is done by ExportUpload and DeviceMaintenance,
// which are wired to the rest of the window here.
#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/device/portline.h"
#include "core/model/show.h"
#include "core/project/project.h"
#include "gui/common/prompter.h"
#include "gui/device/exportupload.h"
#include "gui/device/maintenance.h"
#include "gui/device/propsdialog.h"
#include "gui/device/uploadall.h"
#include "gui/render/allpropsview.h"
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

    // The props of a troupe: a window of their previews beside the editor,
    // following the play indicator, and an upload to all of them.
    m_allProps = new AllPropsView(m_show, this);
    m_allProps->setWindowFlag(Qt::Tool);
    m_allProps->setObjectName(QStringLiteral("all_props"));
    m_allProps->setProps(m_project->props());
    connect(m_project, &vc::Project::propsChanged, m_allProps,
            [this] { m_allProps->setProps(m_project->props()); });
    connect(ui->Song_Slider, &QSlider::valueChanged, m_allProps, &AllPropsView::setTime);
    m_uploadAll = new UploadAllDialog(this);

    QMenu *menu = new QMenu(tr("裝置"), this);
    menu->setObjectName(QStringLiteral("menu_device"));
    menu->addAction(tr("道具分配..."), this, &MainWindow::editProps);
    QAction *view = menu->addAction(tr("全部道具"));
    view->setCheckable(true);
    view->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    connect(view, &QAction::toggled, m_allProps, &QWidget::setVisible);
    connect(m_allProps, &AllPropsView::closed, view, [view] { view->setChecked(false); });
    menu->addAction(tr("全部上傳"), this, &MainWindow::uploadAll,
                    QKeySequence(QStringLiteral("Ctrl+Shift+U")));
    ui->menuBar->insertMenu(ui->menu_2->menuAction(), menu);
}

void MainWindow::editProps()
{
    PropsDialog dialog(m_show->trackCount(), m_project->props(), vc::device::systemPortCandidates(),
                       this);
    if (vc::prompter().exec(&dialog) == QDialog::Accepted)
        m_project->setProps(dialog.assignments());
}

void MainWindow::uploadAll()
{
    if (m_uploadAll->isRunning() || m_exportUpload->uploading())
        return;
    if (m_uploadAll->start(m_show, m_project->props(), m_exportUpload->currentSettings()))
        m_uploadAll->show();
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
