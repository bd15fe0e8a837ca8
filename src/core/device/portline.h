#pragma once

#include "core/device/serialprotocol.h"

class QSerialPort;

// The serial line to the prop over a QSerialPort: 8 data bits, no parity,
// one stop bit, no flow control, unlimited read buffer, at the given baud
// rate in both directions. The port stays owned by its creator.
class PortLine : public vc::device::SerialLine
{
public:
    PortLine(QSerialPort *port, qint32 baudRate);

    bool open(const QString &name) override;
    bool raiseDtr() override;
    void clearBuffers() override;
    void clearInput() override;
    void close() override;
    bool isOpen() const override;
    bool broken() const override;
    QIODevice &io() override;

    QSerialPort *port() const { return m_port; }

private:
    QSerialPort *m_port;
    qint32 m_baudRate;
};

namespace vc::device {
// The candidate ports for finding the prop on this system (see
// portCandidates): the variable VANTOR_SERIAL_PORTS, "COM0" to "COM99" on
// Windows, else the serial ports the system lists.
QStringList systemPortCandidates();
} // namespace vc::device
