#include "gui/device/setup.h"
#include "ui_setup.h"

#include "core/device/portline.h"

#include <QDebug>
#include <QSerialPort>

using namespace vc::device;

setup::setup(QWidget *parent) : setup(parent, systemPortCandidates()) {}

setup::setup(QWidget *parent, const QStringList &candidates, const SerialTimings &timings)
    : QDialog(parent), ui(new Ui::setup), m_port(new QSerialPort(this))
{
    ui->setupUi(this);
    ui->SEND_BUTTON->addAction(ui->actionenter);
    connectToProp(candidates, timings);
}

setup::~setup()
{
    delete ui;
}

void setup::connectToProp(const QStringList &candidates, const SerialTimings &timings)
{
    ui->MONITOR->setPlainText(tr("連線中..."));
    ui->MONITOR->moveCursor(QTextCursor::End);
    PortLine line(m_port, ServiceBaud);
    SearchHooks hooks;
    hooks.silent = [this](const QString &name) {
        ui->MONITOR->insertPlainText(portLabel(name) + QStringLiteral(" not working."));
    };
    const PortSearch found = findProp(line, candidates, greetsAtAll, timings, nullptr, hooks);
    if (found.outcome != PortSearch::Found) {
        ui->MONITOR->appendPlainText(tr("偵測不到裝置！"));
        return;
    }
    ui->MONITOR->insertPlainText(portLabel(found.name) + tr("連接成功"));
    connect(m_port, &QSerialPort::readyRead, this, &setup::read_to_monitor);
}

void setup::read_to_monitor()
{
    const QByteArray bytes = m_port->readAll();
    ui->MONITOR->insertPlainText(QString::fromUtf8(bytes));
    if (ui->checkBox->isChecked())
        ui->MONITOR->ensureCursorVisible();
}

void setup::on_SEND_BUTTON_clicked()
{
    if (!m_port->isOpen())
        return;
    m_port->write(ui->COMMAND->text().toLocal8Bit());
    ui->COMMAND->clear();
}

void setup::on_actionenter_triggered()
{
    on_SEND_BUTTON_clicked();
}
