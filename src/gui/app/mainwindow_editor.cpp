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
    m_pictureTab->capture();
}

void MainWindow::moveIndicatorTo(int ms)
{
    ui->timeline_headers->indicator()->placeAt(ms, false);
}

void MainWindow::setupEditor()
{
    vc::EditorPanel::Widgets w;
    w.start = ui->Mode_t1;
    w.end = ui->Mode_t2;
    w.duration = ui->Mode_last;
    w.loops = ui->Mode_loop;
    w.speed = ui->Speed_slide;
    w.automatic = ui->speedAutoCheckBox;
    w.speedBox = ui->Speed_Slide_Box;
    w.kinds = ui->Mode_Pic;
    w.insert = ui->Add_Button;
    w.cancelSelect = ui->cancelSelect;
    w.colourNumbers[0] = ui->Color_R;
    w.colourNumbers[1] = ui->Color_G;
    w.colourNumbers[2] = ui->Color_B;
    w.colourSliders[0] = ui->R_slide;
    w.colourSliders[1] = ui->G_slide;
    w.colourSliders[2] = ui->B_slide;
    w.colourView = ui->Color_View;
    w.picturePath = ui->PicDir;
    w.pictureGap = ui->Pic_Slide;
    w.pictureRevH = ui->Pic_revH;
    w.pictureRevV = ui->Pic_revV;
    w.tracksScroll = ui->timeline_scroll;
    m_editor = new vc::EditorPanel(w, m_show, m_tracks, {m_pictureTab, m_textTab, m_effectTab},
                                   &m_project->pictures(), this, this);

    connect(m_editor, &vc::EditorPanel::previewPattern, this,
            [this](const QPixmap &pattern, double seconds, int loops) {
                glpreview_change(false, pattern, m_show->leds(),
                                 static_cast<int>(m_show->frameRate()), seconds, loops);
            });
    connect(m_editor, &vc::EditorPanel::previewColour, this,
            [this](const QColor &c) { Oviewer_change(c.red(), c.green(), c.blue()); });
    connect(m_editor, &vc::EditorPanel::indicatorMoveRequested, this, &MainWindow::moveIndicatorTo);
    connect(m_editor, &vc::EditorPanel::status, ui->statusBar,
            [this](const QString &text) { ui->statusBar->showMessage(text); });
}
