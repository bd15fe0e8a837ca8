#include "gui/device/pass.h"
#include "ui_pass.h"

#include "gui/common/prompter.h"

Pass::Pass(QWidget *parent) : QDialog(parent), ui(new Ui::Pass)
{
    ui->setupUi(this);
    setFixedSize(215, 79);
}

Pass::~Pass()
{
    delete ui;
}

void Pass::accept()
{
    if (ui->lineEdit->text() == QLatin1String(Password)) {
        QDialog::accept();
        return;
    }
    vc::prompter().warning(this, QString(), tr("密碼錯誤"));
}
