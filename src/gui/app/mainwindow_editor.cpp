// Main-window slots of the mode editor panel and the picture tab; the work
// is done by the panel's and the tab's objects.
#include "gui/app/mainwindow.h"
#include "gui/audio/timelineheaders.h"
#include "gui/model/editorpanel.h"
#include "gui/render/picturetab.h"
#include "ui_mainwindow.h"

void MainWindow::on_Add_Button_clicked()
{
    m_editor->insertOrApply();
}

void MainWindow::on_actionEnter_triggered()
{
    m_editor->insertOrApply();
}

void MainWindow::on_Mode_t1_timeChanged(const QTime &time)
{
    m_editor->startChanged(time);
}

void MainWindow::on_Mode_t2_timeChanged(const QTime &time)
{
    m_editor->endChanged(time);
}

void MainWindow::on_Mode_last_valueChanged(double value)
{
    m_editor->durationChanged(value);
}

void MainWindow::on_Mode_loop_valueChanged(int value)
{
    m_editor->loopChanged(value);
}

void MainWindow::on_Speed_slide_valueChanged(int value)
{
    m_editor->speedChanged(value);
}

void MainWindow::on_speedAutoCheckBox_toggled(bool checked)
{
    m_editor->autoToggled(checked);
}

void MainWindow::on_Mode_Pic_currentChanged(int index)
{
    m_editor->tabChanged(index);
}

void MainWindow::on_Color_R_valueChanged(int value)
{
    m_editor->colourChannelChanged(0, value);
}

void MainWindow::on_Color_G_valueChanged(int value)
{
    m_editor->colourChannelChanged(1, value);
}

void MainWindow::on_Color_B_valueChanged(int value)
{
    m_editor->colourChannelChanged(2, value);
}

void MainWindow::on_R_slide_valueChanged(int value)
{
    m_editor->colourSliderChanged(0, value);
}

void MainWindow::on_G_slide_valueChanged(int value)
{
    m_editor->colourSliderChanged(1, value);
}

void MainWindow::on_B_slide_valueChanged(int value)
{
    m_editor->colourSliderChanged(2, value);
}

void MainWindow::on_Color_View_clicked()
{
    m_editor->colourDialog();
}

void MainWindow::picload(const QString &path)
{
    m_pictureTab->picload(path);
}

void MainWindow::on_Pic_Loads_clicked()
{
    m_pictureTab->openPictures();
}

void MainWindow::on_Pic_revH_clicked(bool checked)
{
    Q_UNUSED(checked);
    m_pictureTab->reload();
}

void MainWindow::on_Pic_revV_clicked(bool checked)
{
    Q_UNUSED(checked);
    m_pictureTab->reload();
}

void MainWindow::on_Pic_Slide_valueChanged(int value)
{
    m_pictureTab->setGap(value);
}

void MainWindow::on_Pic_Capture_clicked()
{
    // The screen capture tool is not part of this build yet.
}

void MainWindow::moveIndicatorTo(int ms)
{
    ui->timeline_headers->indicator()->placeAt(ms, false);
}
