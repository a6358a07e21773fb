#include "link/CommandChannel.h"
#include "link/LinkHost.h"
#include "link/SerialLink.h"
#include "link/WireLog.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace kv {

CommandChannel::CommandChannel(MatrixState &state, LinkHost &host, const Timeouts &timeouts,
                               QObject *parent)
    : QObject(parent), m_state(state), m_host(host), m_timeouts(timeouts),
      m_port(new QSerialPort(this)), m_socket(new QTcpSocket(this)), m_watchdog(new QTimer(this)),
      m_pollTimer(new QTimer(this))
{
    m_port->setObjectName(QStringLiteral("ApdComPort1"));
    m_socket->setObjectName(QStringLiteral("ClientSocket1"));
    m_watchdog->setObjectName(QStringLiteral("Timer1"));
    m_watchdog->setInterval(m_timeouts.WatchdogMs);
    m_watchdog->setSingleShot(true);
    SerialReplyTimeout = m_timeouts.NormalTicks;

    connect(m_port, &QSerialPort::readyRead, this, &CommandChannel::onSerialReadyRead);
    connect(m_port, &QSerialPort::bytesWritten, this, &CommandChannel::serialBytesSent);
    connect(m_watchdog, &QTimer::timeout, this, &CommandChannel::onWatchdog);
    m_pollTimer->setSingleShot(true);
    connect(m_pollTimer, &QTimer::timeout, this, [this] {
        if (m_poll.active)
            endPoll(false);
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &CommandChannel::onSocketReadyRead);
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { onPortError(int(error)); });
}

CommandChannel::~CommandChannel() { m_watchdog->stop(); }

void CommandChannel::sendFormatted(void (CommandChannel::*send)(), const char *fmt, va_list args)
{
    if (linkMode() == LinkMode::None) {
        emit commandEnded(CommandOutcome::NotSent, QByteArray());
        return;
    }
    // vsnprintf truncates and always terminates inside the buffer.
    std::vsnprintf(CommandBuffer, sizeof CommandBuffer, fmt, args);
    (this->*send)();
}

void CommandChannel::sendCommand(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    sendFormatted(&CommandChannel::SendCommand, fmt, args);
    va_end(args);
}

void CommandChannel::sendCommandNoWait(const char *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    sendFormatted(&CommandChannel::SendCommandNoWait, fmt, args);
    va_end(args);
}

CommandChannel::LongWait::LongWait(CommandChannel &channel)
    : m_channel(channel), m_saved(channel.SerialReplyTimeout)
{
    channel.SerialReplyTimeout = channel.m_timeouts.ResetTicks;
}

CommandChannel::LongWait::~LongWait() { m_channel.SerialReplyTimeout = m_saved; }

LinkMode CommandChannel::linkMode() const
{
    if (m_serialLinkLive)
        return LinkMode::Serial;
    if (m_state.EthernetConnected == 1)
        return LinkMode::Ethernet;
    return LinkMode::None;
}

void CommandChannel::setSerialLinkLive(bool live)
{
    m_serialLinkLive = live;
    emit serialLinkLiveChanged(live);
}

void CommandChannel::endExchange()
{
    if (--m_exchangeDepth == 0)
        QMetaObject::invokeMethod(this, &CommandChannel::exchangeEnded, Qt::QueuedConnection);
}

void CommandChannel::onPortError(int error)
{
    switch (QSerialPort::SerialPortError(error)) {
    case QSerialPort::ResourceError:
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError: break;
    default: return; // time-outs, and the modem-line calls a pty does not support
    }
    if (m_probeDepth > 0 || m_blockingWait || !m_serialLinkLive)
        return;
    if (m_poll.active && !m_poll.ethernet)
        abandonPoll();
    if (QueryPending == 1) {
        // The query's wait ends now; the link goes down once it is over.
        m_portFailedInQuery = true;
        QueryFailed = 1;
        return;
    }
    if (!exchangeInProgress()) {
        Exchange exchange(*this);
        loseSerialLink();
    }
}

void CommandChannel::loseSerialLink()
{
    if (!m_serialLinkLive)
        return;
    ++m_linkLosses;
    const int port = PortNumber;
    QueryPending = 0;
    m_port->close();
    setSerialLinkLive(false);
    emit serialLinkLost(port);
}

void CommandChannel::SendCommand() { Send(true); }

void CommandChannel::SendCommandNoWait() { Send(false); }

void CommandChannel::Send(bool awaitEthernet)
{
    CommandOutcome outcome = CommandOutcome::NotSent;
    {
        Exchange exchange(*this);
        switch (linkMode()) {
        case LinkMode::Serial:
            // The serial side always awaits its "#".
            outcome = SerialSendWithRetry() ? CommandOutcome::Answered : CommandOutcome::Unanswered;
            break;
        case LinkMode::Ethernet:
            outcome = awaitEthernet ? EthernetSendAwaited() : EthernetSendUnawaited();
            break;
        case LinkMode::None: break;
        }
    }
    emit commandEnded(outcome, QByteArray(CommandBuffer).trimmed());
}

CommandOutcome CommandChannel::EthernetSendAwaited()
{
    const bool shown = m_host.showBusyCursor();
    // An unanswered command is neither reported nor retried.
    const bool answered = EthernetSendAndAwait(CommandBuffer);
    if (shown)
        m_host.showArrowCursor();
    return answered ? CommandOutcome::Answered : CommandOutcome::Unanswered;
}

CommandOutcome CommandChannel::EthernetSendUnawaited()
{
    if (!socketActive())
        return CommandOutcome::NotSent;
    const bool written = m_socket->write(CommandBuffer) >= 0;
    m_socket->flush();
    qCDebug(lcWire).noquote() << "tcp sent:" << WireText(CommandBuffer);
    return written ? CommandOutcome::Sent : CommandOutcome::Unanswered;
}

QueryReply CommandChannel::runQuery(const QByteArray &text, int minReplyLength)
{
    Exchange exchange(*this);
    std::snprintf(CommandBuffer, sizeof CommandBuffer, "%s", text.constData());
    // A link that brings nothing back must not leave the previous reply to be parsed again.
    std::memset(ReplyBuffer, 0, sizeof ReplyBuffer);
    QueryFailed = 0;
    MinReplyLength = minReplyLength;
    if (m_state.EthernetConnected == 1)
        EthernetQuery();
    else
        SerialQuery();
    return {QueryFailed == 1,
            QByteArray(reinterpret_cast<const char *>(ReplyBuffer), kReplyBufferSize)};
}

void CommandChannel::onWatchdog()
{
    m_watchdog->stop();
    if (ConnectInProgress != 0 || m_state.EthernetConnected == 1)
        m_host.showMessage(QStringLiteral(
            "Error! Timeout occured. Unable to communicate with Kestavion. Please verify that "
            "Ethernet is connected to Kestavion."));
    else
        m_host.showMessage(QStringLiteral(
            "Error! Timeout occured. Unable to communicate with Kestavion. Please verify that "
            "Serial Port is connected to Kestavion."));
    WatchdogExpired = 1;
    QueryFailed = 1;
}

bool CommandChannel::serialOpen() const { return m_port->isOpen(); }

bool CommandChannel::socketActive() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

} // namespace kv
