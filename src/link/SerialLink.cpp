#include "link/SerialLink.h"

#include "link/ComPorts.h"
#include "link/CommandChannel.h"
#include "link/LinkHost.h"
#include "link/LinkTransport.h"

#include <QCoreApplication>
#include <QSerialPort>
#include <QTimer>

namespace kv {

QString SearchFailedText()
{
    return QStringLiteral(
        "\tSerial Port Connection Failed.\n\n      \t1) Please check RS-232 cable.\n      \t2) "
        "Make sure COM port is not in use.\n      \t3) Make sure Kestavion boot-up initialization "
        "has been completed.\n      \t4) Go to 'Serial Port->Connect to Kestavion' menu item to "
        "connect later.");
}

QString ConnectFailedText()
{
    return QStringLiteral(
        "\tSerial Port Connection Failed.\n\n      \t1) Please check COM port selection and "
        "RS-232 cable.\n      \t2) Make sure COM port is not in use.\n      \t3) Make sure "
        "Kestavion boot-up initialization has been completed.\n      \t4) Go to 'Serial "
        "Port->Connect to Kestavion' menu item to connect later.");
}

SerialLink::SerialLink(CommandChannel &channel, LinkHost &host, SerialLinkHost &window,
                       QObject *parent)
    : QObject(parent), m_channel(channel), m_transport(channel), m_state(channel.state()),
      m_host(host), m_window(window)
{
    QSerialPort *port = m_transport.serialPort();
    ApplySwitcherLineSettings(*port, kDefaultSpeed);
    // Whoever closes the port (probe, search, disconnect), SerialPortOpen follows it.
    connect(port, &QIODevice::aboutToClose, this, &SerialLink::ApdComPort1PortClose);

    m_transport.attachSerialLink(this);
    connect(&m_channel, &CommandChannel::serialLinkLost, this, &SerialLink::LinkLost);
}

QString LinkLostTitle() { return QStringLiteral("COM Port error"); }

QString LinkLostText(int port)
{
    return QStringLiteral("The connection to Kestavion on COM %1 was lost. Check the cable or "
                          "adapter, then connect again from the Serial Port menu.")
        .arg(port);
}

void SerialLink::LinkLost(int port)
{
    m_window.setItemEnabled(SerialLinkHost::Item::SearchForKestavion1, true);
    m_window.setItemEnabled(SerialLinkHost::Item::DisconnectSerialCommunication1, false);
    if (!m_channel.linkUp())
        m_window.setItemEnabled(SerialLinkHost::Item::ReadfromKestavions1, false);
    m_window.setComNumber(QStringLiteral("None"), QString());
    m_host.showMessage(LinkLostTitle(), LinkLostText(port));
}

void SerialLink::ApdComPort1PortOpen() { m_state.SerialPortOpen = 1; }

void SerialLink::ApdComPort1PortClose() { m_state.SerialPortOpen = 0; }

bool SerialLink::PortAvailable(int n) const { return ComPortAvailable(ComPortPath(n)); }

void SerialLink::awaitPortState(int want)
{
    m_transport.awaitUnderWatchdog([this, want] { return m_state.SerialPortOpen == want; });
}

bool SerialLink::portFailed() const
{
    const auto error = m_transport.serialPort()->error();
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

int SerialLink::ProbeComPort(int n)
{
    CommandChannel::Exchange gate(m_channel);
    LinkTransport::Probing probing(m_channel);
    QSerialPort *port = m_transport.serialPort();
    int result = -4;
    // Only the port we hold ourselves skips the availability test: any other port that is
    // busy or absent is skipped without a message, also while another one is open.
    const bool holdingThisPort = port->isOpen() && m_transport.portNumber() == n;
    if (!holdingThisPort && !PortAvailable(n))
        return -1;

    if (port->isOpen()) {
        port->close();
        awaitPortState(0);
    }

    m_transport.setPortNumber(n);
    port->setPortName(ComPortPath(n));

    if (m_state.SerialPortOpen == 0 || !port->isOpen()) {
        if (!port->open(QIODevice::ReadWrite)) {
            m_host.showMessage(QStringLiteral("Note: COM Port #%1 is not responding/being used by "
                                              "another application.")
                                   .arg(n));
            return -2;
        }
        // A pty has no modem lines; opening still counts.
        port->clearError();
        ApdComPort1PortOpen();
        awaitPortState(1);
    }

    auto exchange = [&]() -> int {
        port->clearError();
        const bool answered = m_transport.serialSendAndAwait("\r");
        if (portFailed())
            return -1;
        return answered ? 1 : 0;
    };
    int outcome = exchange();
    if (outcome == 0)
        outcome = exchange();
    if (outcome < 0) {
        m_host.showMessage(QStringLiteral("Note: COM Port #%1 is not responding.").arg(n));
        return -3;
    }
    if (outcome == 1)
        result = 0;
    return result;
}

int SerialLink::SearchComPorts(int n)
{
    CommandChannel::Exchange exchange(m_channel);
    m_host.setPagesEnabled(false);
    m_host.showBusyCursor();
    m_transport.useProbeWait(true);

    int probed = -1;
    if (n >= 1 && n <= kComPortCount) {
        probed = ProbeComPort(n);
    } else {
        for (int port = 1; port <= kComPortCount; ++port) {
            probed = ProbeComPort(port);
            if (probed >= 0)
                break;
        }
    }

    int result;
    const int number = m_transport.portNumber();
    if (probed >= 0) {
        m_host.setStatusText(
            QStringLiteral("Established communication with Kestavion on Com %1").arg(number));
        m_window.setComNumber(QString::number(number), ComPortPath(number));
        result = 1;
    } else {
        m_transport.serialPort()->close();
        m_window.setComNumber(QStringLiteral("None"), QString());
        result = -1;
    }

    m_transport.useProbeWait(false);
    m_host.showArrowCursor();
    m_host.setPagesEnabled(true);
    return result;
}

void SerialLink::SearchAllClick()
{
    CommandChannel::Exchange exchange(m_channel);
    m_transport.resetTerminator();
    m_transport.serialPort()->setFlowControl(QSerialPort::HardwareControl);

    if (SearchComPorts(0) == -1) {
        m_host.showMessage(SearchFailedText());
        m_transport.setSerialLinkLive(false);
        m_window.setItemEnabled(SerialLinkHost::Item::SearchForKestavion1, true);
        m_window.setItemEnabled(SerialLinkHost::Item::DisconnectSerialCommunication1, false);
        m_window.LoadIpAddress();
        return;
    }

    m_window.showProgress(QStringLiteral("Checking COM port communication. Please wait...."));
    m_transport.setSerialLinkLive(true);
    m_transport.serialSendAndAwait("\r");
    m_window.hideProgress();

    m_window.setItemEnabled(SerialLinkHost::Item::ReadfromKestavions1, true);
    m_window.setItemEnabled(SerialLinkHost::Item::SearchForKestavion1, false);
    m_window.setItemEnabled(SerialLinkHost::Item::DisconnectSerialCommunication1, true);
    m_window.ReadfromKestavions1Click();
    m_state.Busy = 0;
}

bool SerialLink::ConnectOnComPort(int n)
{
    CommandChannel::Exchange exchange(m_channel);
    if (SearchComPorts(n) == -1) {
        m_host.showMessage(ConnectFailedText());
        m_transport.setSerialLinkLive(false);
        m_window.setItemEnabled(SerialLinkHost::Item::SearchForKestavion1, true);
        m_window.setItemEnabled(SerialLinkHost::Item::DisconnectSerialCommunication1, false);
        return false;
    }
    m_transport.setSerialLinkLive(true);
    m_transport.serialSendAndAwait("\r");
    m_window.setItemEnabled(SerialLinkHost::Item::ReadfromKestavions1, true);
    m_window.setItemEnabled(SerialLinkHost::Item::SearchForKestavion1, false);
    m_window.setItemEnabled(SerialLinkHost::Item::DisconnectSerialCommunication1, true);
    m_window.ReadfromKestavions1Click();
    m_state.Busy = 0;
    return true;
}

void SerialLink::CheckComMenuItem(bool on)
{
    const int n = m_transport.portNumber();
    m_window.setComItemChecked(n >= 2 && n <= 4 ? n : 1, on);
}

void SerialLink::ComItemClick(int n)
{
    CheckComMenuItem(false);
    if (ConnectOnComPort(n))
        CheckComMenuItem(true);
}

void SerialLink::DisconnectSerialCommunication1Click()
{
    CommandChannel::Exchange exchange(m_channel);
    m_transport.serialPort()->close();
    m_transport.setSerialLinkLive(false);
    m_window.setItemEnabled(SerialLinkHost::Item::ReadfromKestavions1, false);
    m_window.setItemEnabled(SerialLinkHost::Item::SearchForKestavion1, true);
    m_window.setItemEnabled(SerialLinkHost::Item::DisconnectSerialCommunication1, false);
}

void SerialLink::SetSpeed(int baud) { m_transport.serialPort()->setBaudRate(baud); }

} // namespace kv
