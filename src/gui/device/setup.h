#pragma once

#include "core/device/serialprotocol.h"

#include <QDialog>
#include <QStringList>

class QSerialPort;

namespace Ui {
class setup;
}

// Not a set-up dialog: `setup` is the admin service terminal, a small serial
// console to the prop (the name is its form's). It finds the prop while it
// is being made and holds the port until it is closed.
class setup : public QDialog
{
    Q_OBJECT

public:
    // Searches candidates (by default the system's port list) for a prop
    // that greets, writing the progress into the monitor.
    explicit setup(QWidget *parent = nullptr);
    setup(QWidget *parent, const QStringList &candidates,
          const vc::device::SerialTimings &timings = {});
    ~setup() override;

    QSerialPort *port() const { return m_port; }

public slots:
    // Shows what the prop sends.
    void read_to_monitor();

private slots:
    // Sends the command line as it stands, without a line ending.
    void on_SEND_BUTTON_clicked();
    void on_actionenter_triggered();

private:
    void connectToProp(const QStringList &candidates, const vc::device::SerialTimings &timings);

    Ui::setup *ui;
    QSerialPort *m_port = nullptr;
};
