// The pattern tabs of the mode editor: their set-up on the form's widgets,
// and the main-window slots of the effect and text tabs.
#include "gui/app/mainwindow.h"
#include "ui_mainwindow.h"

#include "core/model/show.h"
#include "gui/render/effecttab.h"
#include "gui/render/picturetab.h"
#include "gui/render/texttab.h"

void MainWindow::setupPatternTabs()
{
    vc::PictureTab::Widgets pw;
    pw.path = ui->PicDir;
    pw.view = ui->PicView;
    pw.revH = ui->Pic_revH;
    pw.revV = ui->Pic_revV;
    pw.gap = ui->Pic_Slide;
    pw.insert = ui->Add_Button;
    m_pictureTab = new vc::PictureTab(pw, m_show, &m_project->pictures(), this, this);

    vc::EffectTab::Widgets ew;
    ew.colours = {ui->Spe_front,
                  ui->Spe_back,
                  {ui->Spe_rnum, ui->Spe_gnum, ui->Spe_bnum},
                  {ui->Spe_rslide, ui->Spe_gslide, ui->Spe_bslide}};
    ew.effect = ui->Spe_comboBox;
    ew.width = ui->Spe_width;
    ew.scheme = ui->Spe_color3;
    ew.revH = ui->Spe_revH;
    ew.revV = ui->Spe_revV;
    ew.view = ui->Spe_show;
    m_effectTab = new vc::EffectTab(ew, m_show, m_random, this, this);

    vc::TextTab::Widgets tw;
    tw.colours = {ui->text_fcolor,
                  ui->text_bcolor,
                  {ui->text_rnum, ui->text_gnum, ui->text_bnum},
                  {ui->text_rslide, ui->text_gslide, ui->text_bslide}};
    tw.text = ui->text_Edit;
    tw.font = ui->fontComboBox;
    tw.fontSize = ui->Font_size;
    tw.width = ui->Text_slide;
    tw.revH = ui->Text_revH;
    tw.revV = ui->Text_revV;
    tw.view = ui->text_View;
    m_textTab = new vc::TextTab(tw, m_show, this, this);

    // New patterns reach the preview through the editor panel, which fits
    // its repeat count to them first (setupEditor). Several pictures opened
    // at once: the status bar counts them while the loading holds the event
    // loop.
    connect(m_pictureTab, &vc::PictureTab::status, this, [this](const QString &text) {
        ui->statusBar->showMessage(text);
        repaint();
    });
}

// ---------------------------------------------------------------- effect tab

void MainWindow::on_Spe_comboBox_currentIndexChanged(int index)
{
    m_effectTab->generate(index);
}

void MainWindow::on_Spe_comboBox_highlighted(int index)
{
    m_effectTab->highlighted(index);
}

void MainWindow::on_Spe_rslide_valueChanged(int value)
{
    m_effectTab->sliderChanged(0, value);
}

void MainWindow::on_Spe_gslide_valueChanged(int value)
{
    m_effectTab->sliderChanged(1, value);
}

void MainWindow::on_Spe_bslide_valueChanged(int value)
{
    m_effectTab->sliderChanged(2, value);
}

void MainWindow::on_Spe_rnum_valueChanged(int arg1)
{
    m_effectTab->numberChanged(0, arg1);
}

void MainWindow::on_Spe_gnum_valueChanged(int arg1)
{
    m_effectTab->numberChanged(1, arg1);
}

void MainWindow::on_Spe_bnum_valueChanged(int arg1)
{
    m_effectTab->numberChanged(2, arg1);
}

void MainWindow::on_Spe_width_valueChanged(int)
{
    m_effectTab->regenerate();
}

void MainWindow::on_Spe_revV_clicked()
{
    m_effectTab->regenerate();
}

void MainWindow::on_Spe_revH_clicked()
{
    m_effectTab->regenerate();
}

void MainWindow::on_Spe_color3_clicked()
{
    m_effectTab->regenerate();
}

void MainWindow::on_Spe_back_toggled(bool checked)
{
    m_effectTab->backToggled(checked);
}

void MainWindow::on_Color_dialog_2_clicked()
{
    m_effectTab->colourDialog();
}

void MainWindow::on_Color_Exc2_clicked()
{
    m_effectTab->swapColours();
}

void MainWindow::on_Spe_random_clicked()
{
    m_effectTab->randomise();
}

// ---------------------------------------------------------------- text tab

void MainWindow::on_text_Edit_textChanged(const QString &arg1)
{
    m_textTab->render(arg1);
}

void MainWindow::on_fontComboBox_currentIndexChanged(int)
{
    m_textTab->rerender();
}

void MainWindow::on_Font_size_currentIndexChanged(int)
{
    m_textTab->rerender();
}

void MainWindow::on_Text_slide_valueChanged(int)
{
    m_textTab->rerender();
}

void MainWindow::on_Text_revH_stateChanged(int)
{
    m_textTab->rerender();
}

void MainWindow::on_Text_revV_clicked(bool)
{
    m_textTab->rerender();
}

void MainWindow::on_text_rslide_valueChanged(int value)
{
    m_textTab->sliderChanged(0, value);
}

void MainWindow::on_text_gslide_valueChanged(int value)
{
    m_textTab->sliderChanged(1, value);
}

void MainWindow::on_text_bslide_valueChanged(int value)
{
    m_textTab->sliderChanged(2, value);
}

void MainWindow::on_text_rnum_valueChanged(int arg1)
{
    m_textTab->numberChanged(0, arg1);
}

void MainWindow::on_text_gnum_valueChanged(int arg1)
{
    m_textTab->numberChanged(1, arg1);
}

void MainWindow::on_text_bnum_valueChanged(int arg1)
{
    m_textTab->numberChanged(2, arg1);
}

void MainWindow::on_text_bcolor_toggled(bool checked)
{
    m_textTab->backToggled(checked);
}

void MainWindow::on_Color_dialog_clicked()
{
    m_textTab->colourDialog();
}

void MainWindow::on_Color_Exc_clicked()
{
    m_textTab->swapColours();
}
