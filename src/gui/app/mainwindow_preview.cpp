// Main-window slots of the prop preview.
#include "gui/app/mainwindow.h"
#include "gui/render/mygl.h"
#include "ui_mainwindow.h"

void MainWindow::on_Oview_slide_valueChanged(int value)
{
    ui->static_checkbox->setChecked(value == 0);
    ui->GLWidget->setSweep(value);
}

void MainWindow::on_static_checkbox_toggled(bool checked)
{
    ui->GLWidget->setSweep(checked ? 0 : ui->Oview_slide->value());
}
