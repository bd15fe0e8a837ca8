// Main-window slots of the effect and text tabs of the mode editor.
#include "gui/app/mainwindow.h"
#include "gui/render/effecttab.h"
#include "gui/render/texttab.h"
#include "ui_mainwindow.h"

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
