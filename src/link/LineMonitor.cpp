#include "link/LineMonitor.h"

#include "link/CommandChannel.h"
#include "link/LinkTransport.h"

#include <QSerialPort>
#include <QTimer>

namespace kv {

LineMonitor::LineMonitor(CommandChannel &channel, QObject *parent)
    : QObject(parent), m_channel(channel), m_tick(new QTimer(this))
{
    m_tick->setInterval(m_channel.timeouts().TickMs);
    connect(m_tick, &QTimer::timeout, this, &LineMonitor::tick);
    connect(&m_channel, &CommandChannel::serialLinkLiveChanged, this, &LineMonitor::setMonitoring);
    connect(&m_channel, &CommandChannel::serialBytesReceived, this, &LineMonitor::onReceived);
    connect(&m_channel, &CommandChannel::serialBytesSent, this, &LineMonitor::onSent);
}

void LineMonitor::setMonitoring(bool on)
{
    m_monitoring = on;
    if (on)
        m_tick->start();
    else
        m_tick->stop();
}

bool LineMonitor::active() const
{
    return m_monitoring && LinkTransport(m_channel).serialPort()->isOpen();
}

void LineMonitor::onReceived()
{
    if (!active())
        return;
    LineStates next = m_states;
    next.rxd = true;
    publish(next);
}

void LineMonitor::onSent()
{
    if (!active())
        return;
    LineStates next = m_states;
    next.txd = true;
    publish(next);
}

void LineMonitor::tick()
{
    if (!active())
        return;
    QSerialPort *port = LinkTransport(m_channel).serialPort();
    LineStates next = m_states;
    if (next.rxd && port->bytesAvailable() == 0)
        next.rxd = false;
    if (next.txd && port->bytesToWrite() == 0)
        next.txd = false;

    next.dcd = next.dsr = next.cts = false;
    if (m_noModemLinesOn != port->portName()) {
        port->clearError();
        const QSerialPort::PinoutSignals pins = port->pinoutSignals();
        if (port->error() == QSerialPort::NoError) {
            next.dcd = pins.testFlag(QSerialPort::DataCarrierDetectSignal);
            next.dsr = pins.testFlag(QSerialPort::DataSetReadySignal);
            next.cts = pins.testFlag(QSerialPort::ClearToSendSignal);
        } else {
            // Not lit, and not a link failure: leave no error behind for the exchanges.
            if (port->error() == QSerialPort::UnsupportedOperationError)
                m_noModemLinesOn = port->portName();
            port->clearError();
        }
    }
    publish(next);
}

void LineMonitor::publish(const LineStates &next)
{
    if (next == m_states)
        return;
    m_states = next;
    emit changed(m_states);
}

} // namespace kv
