// Main-window slots of the project files and the picture library; the work
// is done by the project files area's object.
#include "gui/app/mainwindow.h"
#include "core/model/show.h"
#include "gui/project/projectfiles.h"

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
