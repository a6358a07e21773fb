#include "link/EthernetLink.h"

#include "link/CommandChannel.h"
#include "link/IpAddress.h"
#include "link/LinkHost.h"
#include "link/LinkTransport.h"
#include "link/ServingWait.h"

#include <QTcpSocket>

namespace kv {

namespace {
const QString kSerialTitle =
    QStringLiteral("Orvask Delvane - KV Control :Establish Serial communication with KV SDI");
const QString kSerialQuestion = QStringLiteral(
    "KV Control is currently connected to the KV SDI via the Ethernet. Do you want to disconnect "
    "the Ethernet connection and try the Serial connection?");
const QString kEthernetTitle =
    QStringLiteral("Orvask Delvane - KV Control :Establish Ethernet communication with KV SDI");
const QString kEthernetQuestion = QStringLiteral(
    "KV Control is currently connected to the KV SDI via the serial ports. Do you want to "
    "disconnect the serial port connection and try the Ethernet connection?");
constexpr int kRs232 = 0;
} // namespace

QString InvalidIpAddressText()
{
    return QStringLiteral("Error! The IP Address is not valid. Please enter four numbers from 0 "
                          "to 255 separated by dots, for example 192.168.1.20.");
}

EthernetLink::EthernetLink(CommandChannel &channel, LinkHost &host, SerialLink &serial,
                           EthernetLinkHost &window, QObject *parent)
    : QObject(parent), m_channel(channel), m_transport(channel), m_state(channel.state()),
      m_host(host), m_serial(serial), m_window(window), m_socket(m_transport.socket())
{
    connect(m_socket, &QTcpSocket::connected, this, &EthernetLink::ClientSocket1Connect);
    connect(m_socket, &QTcpSocket::disconnected, this, &EthernetLink::ClientSocket1Disconnect);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &EthernetLink::onSocketError);
}

quint16 EthernetLink::switcherPort()
{
    bool ok = false;
    const int port = qEnvironmentVariableIntValue("KV_TCP_PORT", &ok);
    return ok && port > 0 && port <= 65535 ? quint16(port) : kSwitcherPort;
}

bool EthernetLink::connectionActive() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

void EthernetLink::closeConnection()
{
    if (m_socket->state() == QAbstractSocket::UnconnectedState)
        return;
    m_socket->disconnectFromHost();
    if (m_socket->state() != QAbstractSocket::UnconnectedState &&
        !AwaitDisconnected(*m_socket, m_channel.timeouts().EthernetWaitMs))
        m_socket->abort();
}

void EthernetLink::ClientSocket1Connect() { m_state.EthernetConnected = 1; }

void EthernetLink::ClientSocket1Disconnect() { m_state.EthernetConnected = 0; }

QString EthernetLink::ErrorText(SocketErrorKind kind)
{
    switch (kind) {
    case SocketErrorKind::General: break;
    case SocketErrorKind::Send: return QStringLiteral("Socket Send Error");
    case SocketErrorKind::Receive: return QStringLiteral("Socket Receive Error");
    case SocketErrorKind::Connect:
        return QStringLiteral("Socket Connection Error: Check Ethernet cable");
    case SocketErrorKind::Disconnect: return QStringLiteral("Socket Disconnect Error");
    }
    return QStringLiteral("Socket General Error");
}

void EthernetLink::ClientSocket1Error(SocketErrorKind kind)
{
    m_host.showMessage(ErrorText(kind));
    m_transport.setConnecting(false);
}

void EthernetLink::onSocketError(QAbstractSocket::SocketError error)
{
    // A wait that ran out is the channel's business: an unanswered line is not an error.
    if (error == QAbstractSocket::SocketTimeoutError)
        return;
    if (m_guarded) {
        if (m_guardError.isEmpty())
            m_guardError = m_socket->errorString();
        m_transport.setConnecting(false);
        return;
    }
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
    case QAbstractSocket::HostNotFoundError: ClientSocket1Error(SocketErrorKind::Connect); break;
    case QAbstractSocket::RemoteHostClosedError:
        ClientSocket1Error(m_socket->bytesToWrite() > 0 ? SocketErrorKind::Send
                                                        : SocketErrorKind::Disconnect);
        break;
    case QAbstractSocket::NetworkError:
        // A read that failed: nothing handles it, so the general error box shows the text.
        m_host.showError(m_socket->errorString());
        m_transport.setConnecting(false);
        break;
    default: ClientSocket1Error(SocketErrorKind::General); break;
    }
}

void EthernetLink::SaveIpAddress(const QString &text)
{
    if (!m_window.writeIpSaveFile(text))
        m_host.showMessage(QStringLiteral(
            "Error! Unable to create IPSave.ini file. Check if disk is write-protected"));
}

void EthernetLink::LoadIpAddress()
{
    const std::optional<QString> word = m_window.readIpSaveFile();
    if (!word) {
        m_host.showMessage(QStringLiteral("Error! Unable to open IPSave.ini file."));
        return;
    }
    m_window.setIpAddressText(*word);
}

bool EthernetLink::NormaliseIpAddress()
{
    const QString text = m_window.ipAddressText();
    SaveIpAddress(text);
    const std::optional<IpNumbers> numbers = ParseIpAddress(text);
    if (!numbers)
        return false;
    m_window.setIpAddressText(FormatIpAddress(*numbers));
    return true;
}

void EthernetLink::select(int index)
{
    const bool outer = m_selecting;
    m_selecting = true;
    m_window.setSerialModeIndex(index);
    m_selecting = outer;
}

void EthernetLink::SerialModeRadioGroupClick()
{
    CommandChannel::Exchange exchange(m_channel);
    if (m_window.serialModeIndex() == kRs232)
        rs232Chosen();
    else
        ethernetChosen();
}

void EthernetLink::rs232Chosen()
{
    if (connectionActive()) {
        if (m_host.askYesNo(kSerialTitle, kSerialQuestion)) {
            // The search's status read must go over the serial link.
            m_state.EthernetConnected = 0;
            m_serial.SearchAllClick();
            if (m_channel.serialLinkLive()) {
                closeConnection();
                return;
            }
            m_state.EthernetConnected = 1;
        }
        SuppressEthernetReconnect = 1;
        select(1);
        return;
    }
    if (SuppressSerialFallback == 1) {
        SuppressSerialFallback = 0;
        return;
    }
    if (m_channel.serialLinkLive())
        return;
    m_serial.SearchAllClick();
}

void EthernetLink::ethernetChosen()
{
    if (m_channel.serialLinkLive() && !m_host.askYesNo(kEthernetTitle, kEthernetQuestion)) {
        select(kRs232);
        return;
    }
    if (connectionActive() && SuppressEthernetReconnect == 1) {
        SuppressEthernetReconnect = 0;
        return;
    }
    if (connectionActive())
        closeConnection();

    if (m_window.ipAddressText().isEmpty()) {
        SuppressSerialFallback = 1;
        select(kRs232);
        m_host.showMessage(QStringLiteral("Cannot connect. Please enter an IP Address first."));
        return;
    }
    // Not an address at all, or a number over 255: nothing is connected and nothing sent.
    const bool parsed = NormaliseIpAddress();
    const std::optional<IpNumbers> numbers = ParseIpAddress(m_window.ipAddressText());
    if (!parsed || !numbers || !IpInRange(*numbers)) {
        SuppressSerialFallback = 1;
        select(kRs232);
        m_host.showMessage(InvalidIpAddressText());
        return;
    }

    const bool cursorShown = m_host.showBusyCursor();
    connectAndRead();
    if (cursorShown)
        m_host.showArrowCursor();
}

void EthernetLink::failAttempt(const QString &text)
{
    m_host.showMessage(text);
    m_transport.setConnecting(false);
    select(kRs232);
}

void EthernetLink::connectAndRead()
{
    // A nested run (the status read may lead back here) keeps its own guard.
    const bool outerGuarded = m_guarded;
    const QString outerError = m_guardError;
    m_guarded = true;
    m_guardError.clear();
    auto endGuard = [&]() -> QString {
        const QString error = m_guardError;
        m_guarded = outerGuarded;
        m_guardError = outerError;
        return error;
    };

    m_transport.setConnecting(true);
    m_socket->connectToHost(m_window.ipAddressText(), switcherPort());
    m_transport.awaitUnderWatchdog([this] {
        return m_socket->state() == QAbstractSocket::ConnectedState || !m_transport.connecting();
    });
    m_transport.setConnecting(false);

    if (!m_guardError.isEmpty()) {
        m_socket->abort();
        failAttempt(endGuard());
        return;
    }
    if (!connectionActive()) {
        // Given up: an attempt still under way must not connect behind the operator's back.
        m_socket->abort();
        endGuard();
        select(kRs232);
        return;
    }

    const bool answered = m_transport.ethernetSendAndAwait("\r");
    if (!m_guardError.isEmpty()) {
        failAttempt(endGuard());
        return;
    }
    if (!answered) {
        endGuard();
        m_host.showMessage(
            QStringLiteral("Error: Unable to connect to Kestavion with given IP Address"));
        select(kRs232);
        return;
    }
    m_serial.DisconnectSerialCommunication1Click();
    m_window.setItemEnabled(SerialLinkHost::Item::ReadfromKestavions1, true);
    m_window.setItemEnabled(SerialLinkHost::Item::SearchForKestavion1, false);
    m_window.ReadfromKestavions1Click();
    const QString error = endGuard();
    if (!error.isEmpty())
        failAttempt(error);
}

} // namespace kv
