// Main-window slots of the project files and the picture library; the work
// is done by the project files area's object.
#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/model/show.h"
#include "core/project/projectnames.h"
#include "gui/model/editorpanel.h"
#include "gui/model/trackscontroller.h"
#include "gui/project/autosave.h"
#include "gui/project/projectfiles.h"
#include "gui/timeline/timelineview.h"

#include <QActionGroup>

void MainWindow::setupProjectFiles()
{
    vc::ProjectFiles::Services s;
    s.project = m_project;
    s.show = m_show;
    s.tracks = m_tracks;
    s.pictures = &m_project->pictures();
    s.dialogParent = this;
    s.trackArea = ui->timeline_widget;
    m_projectFiles = new vc::ProjectFiles(s, this);
    m_projectFiles->panelState = [this] { return m_editor->legacyState(); };
    connect(m_projectFiles, &vc::ProjectFiles::projectReplaced, this, [this] {
        on_cancelSelect_clicked();
        m_editor->startProject();
        ui->Mode_t1->setTime(QTime(0, 0));
        ui->Mode_t2->setTime(QTime(0, 0, 5));
    });
    connect(m_projectFiles, &vc::ProjectFiles::songRequested, this, &MainWindow::readProjectSong);
    connect(m_projectFiles, &vc::ProjectFiles::propRequested, this, &MainWindow::selectProp);
    connect(m_projectFiles, &vc::ProjectFiles::legacyImported, this,
            [this](const vc::LegacyPanelState &panel, int lastEndMs) {
                m_editor->showLegacyState(panel);
                if (lastEndMs >= 0)
                    moveIndicatorTo(lastEndMs);
            });
    // The zoom handler lays the ruler and the waveform out again and keeps
    // the indicator in view.
    connect(m_projectFiles, &vc::ProjectFiles::loaded, this,
            [this] { m_timelineView->zoom(ui->timeline_scaler->value()); });
    m_autoSave = new vc::AutoSave({m_show, m_tracks, m_projectFiles, this}, this);
}

void MainWindow::selectProp(int leds, float frameRate, bool wholeNumbers)
{
    const QList<QAction *> actions = m_gadgetGroup->actions();
    if (actions.isEmpty())
        return;
    QAction *custom = actions.first();
    if (!custom->isChecked()) {
        // The custom entry opens the spin boxes.
        gadgetchange(custom);
        custom->setChecked(true);
    }
    ui->Leds->setValue(leds);
    ui->FPS_V->setValue(vc::truncatedFrameRate(frameRate));
    ui->timeline_scaler->setValue(ui->timeline_scaler->minimum());

    const int rows = actions.size() - 1;
    const int row = wholeNumbers ? vc::matchGadgetRowLegacy(m_gadgets, rows, leds,
                                                            vc::truncatedFrameRate(frameRate))
                                 : vc::matchGadgetRow(m_gadgets, rows, leds, frameRate);
    if (row < 0)
        return; // the custom entry keeps the file's values
    QAction *match = actions.at(row + 1);
    if (!match->isChecked()) {
        match->setChecked(true);
        gadgetchange(match);
    }
}

QString MainWindow::currentFile() const
{
    return m_projectFiles->currentFile();
}

void MainWindow::setCurrentFile(const QString &path)
{
    m_projectFiles->setCurrentFile(path);
}

bool MainWindow::on_actionNew_triggered()
{
    return m_projectFiles->newProject();
}

void MainWindow::on_actionLoad_triggered()
{
    m_projectFiles->load();
}

void MainWindow::on_actionSave_triggered()
{
    m_projectFiles->save();
}

void MainWindow::on_actionSaveas_triggered()
{
    m_projectFiles->saveAs();
}

void MainWindow::on_actionDIR_triggered()
{
    m_projectFiles->replacePictureDirectory();
}

void MainWindow::on_actionSQL_triggered()
{
    m_projectFiles->exportPictureLibrary();
}

void MainWindow::LoadFile(const QString &path)
{
    m_projectFiles->loadFile(path);
}

bool MainWindow::checkMissingPictures()
{
    return m_projectFiles->checkMissingPictures();
}

QString MainWindow::songPath() const
{
    return m_show->songPath();
}
