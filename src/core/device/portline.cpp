#include "core/device/portline.h"

#include <QSerialPort>
#include <QSerialPortInfo>

PortLine::PortLine(QSerialPort *port, qint32 baudRate) : m_port(port), m_baudRate(baudRate) {}

bool PortLine::open(const QString &name)
{
    if (m_port->isOpen())
        m_port->close();
    m_port->clearError();
    m_port->setPortName(name);
    m_port->setBaudRate(m_baudRate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_port->setReadBufferSize(0);
    return m_port->open(QIODevice::ReadWrite);
}

bool PortLine::raiseDtr()
{
    if (m_port->setDataTerminalReady(true))
        return true;
    // Not an error of the line itself; keep it from reading as one.
    m_port->clearError();
    return false;
}

void PortLine::clearBuffers()
{
    m_port->clear(QSerialPort::AllDirections);
    if (m_port->error() == QSerialPort::UnsupportedOperationError)
        m_port->clearError();
}

void PortLine::clearInput()
{
    m_port->clear(QSerialPort::Input);
    if (m_port->error() == QSerialPort::UnsupportedOperationError)
        m_port->clearError();
}

void PortLine::close()
{
    if (m_port->isOpen()) {
        // Pending output would otherwise keep the close waiting for a
        // prop that no longer reads.
        m_port->clear(QSerialPort::AllDirections);
        m_port->close();
    }
    m_port->clearError();
}

bool PortLine::isOpen() const
{
    return m_port->isOpen();
}

bool PortLine::broken() const
{
    switch (m_port->error()) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::UnsupportedOperationError:
        return false;
    default:
        return true;
    }
}

QIODevice &PortLine::io()
{
    return *m_port;
}

namespace vc::device {

QStringList systemPortCandidates()
{
    QStringList names;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names << info.portName();
    return portCandidates(names);
}

} // namespace vc::device
