#include "link/LinkTransport.h"

#include "link/CommandChannel.h"
#include "link/SerialLink.h"

#include <QCoreApplication>
#include <QTimer>

namespace kv {

QSerialPort *LinkTransport::serialPort() const { return m_channel.m_port; }

QTcpSocket *LinkTransport::socket() const { return m_channel.m_socket; }

int LinkTransport::portNumber() const { return m_channel.PortNumber; }

void LinkTransport::setPortNumber(int n) { m_channel.PortNumber = n; }

void LinkTransport::setSerialLinkLive(bool live) { m_channel.setSerialLinkLive(live); }

void LinkTransport::attachSerialLink(SerialLink *link) { m_channel.m_serialLink = link; }

bool LinkTransport::serialSendAndAwait(const char *text)
{
    return m_channel.SerialSendAndAwait(text);
}

bool LinkTransport::ethernetSendAndAwait(const char *text)
{
    return m_channel.EthernetSendAndAwait(text);
}

void LinkTransport::useProbeWait(bool on)
{
    const Timeouts &t = m_channel.m_timeouts;
    m_channel.SerialReplyTimeout = on ? t.ProbeTicks : t.NormalTicks;
}

void LinkTransport::resetTerminator() { m_channel.ReplyTerminator = '#'; }

bool LinkTransport::awaitUnderWatchdog(const std::function<bool()> &done)
{
    CommandChannel &ch = m_channel;
    ch.QueryFailed = 0;
    ch.WatchdogExpired = 0;
    ch.m_watchdog->start(ch.m_timeouts.WatchdogMs);
    while (!done() && ch.WatchdogExpired == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    ch.m_watchdog->stop();
    return ch.WatchdogExpired == 0;
}

void LinkTransport::expireWatchdog() { m_channel.onWatchdog(); }

void LinkTransport::setConnecting(bool on) { m_channel.ConnectInProgress = on ? 1 : 0; }

bool LinkTransport::connecting() const { return m_channel.ConnectInProgress != 0; }

LinkTransport::Probing::Probing(CommandChannel &channel) : m_channel(channel)
{
    ++m_channel.m_probeDepth;
}

LinkTransport::Probing::~Probing() { --m_channel.m_probeDepth; }

} // namespace kv
