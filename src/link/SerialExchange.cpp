// The serial half of the command channel. A command's wait reads its answer itself, one byte
// at a time; query replies arrive through the receive notification. Both waits serve the event
// loop.

#include "link/CommandChannel.h"
#include "link/LinkHost.h"
#include "link/LinkTransport.h"
#include "link/SerialLink.h"
#include "link/ServingWait.h"
#include "link/WireLog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QTimer>
#include <cstring>

namespace kv {

namespace {
const QString kOverflowText = QStringLiteral(
    "Error! RS-232 communication port output buffer overflow. Please resend command.");
const QString kRetryTitle = QStringLiteral("COM Port error");
const QString kRetryText = QStringLiteral(
    "Error! COM Port communication with Kestavion has failed. Please check           the RS-232 "
    "cable. Click OK to retry. Click Cancel to FAIL communications.");
} // namespace

void CommandChannel::discardSerialInput()
{
    // Reading first re-arms the port's reader in case a full read buffer had stopped it;
    // clear() then drops whatever the device still holds.
    const QByteArray stale = m_port->readAll();
    if (!stale.isEmpty())
        qCDebug(lcWire).noquote() << "serial dropped:" << WireText(stale);
    m_port->clear(QSerialPort::Input);
}

void CommandChannel::SerialWrite(const char *text)
{
    if (!serialOpen())
        return;
    const qint64 pending = m_port->bytesToWrite();
    const qint64 freeSpace = pending >= kSerialBufferSize ? 0 : kSerialBufferSize - pending;
    const qint64 length = qint64(std::strlen(text));
    if (freeSpace > length) {
        m_port->write(text, length);
        m_port->flush();
        qCDebug(lcWire).noquote() << "serial sent:" << WireText(QByteArrayView(text, length));
    } else {
        m_host.showMessage(kOverflowText);
    }
}

int CommandChannel::awaitTerminator(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QByteArray seen;
    int result = 0;
    for (;;) {
        // One byte at a time, so whatever follows the terminator stays in the port.
        char c = 0;
        bool found = false;
        while (m_port->bytesAvailable() > 0 && m_port->getChar(&c)) {
            seen.append(c);
            if (c == ReplyTerminator) {
                found = true;
                break;
            }
        }
        if (found) {
            result = 1;
            emit switcherAnswered();
            break;
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            break;
        m_port->clearError();
        if (!AwaitReadyRead(*m_port, int(left))) {
            const auto error = m_port->error();
            if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError) {
                result = -1;
                break;
            }
        }
    }
    if (!seen.isEmpty()) {
        qCDebug(lcWire).noquote() << "serial received:" << WireText(seen);
        emit serialBytesReceived(seen);
    }
    return result;
}

bool CommandChannel::SerialSendAndAwait(const char *text)
{
    bool result = true;
    if (!serialOpen())
        return result;
    const int savedBusy = m_state.Busy;
    m_state.Busy = 1;
    discardSerialInput();
    SerialWrite(text);
    // Painted while the bytes are on the line, not before they leave.
    m_host.setStatusText(QStringLiteral("Sending command...."));
    m_host.setPagesEnabled(false);

    m_blockingWait = true;
    const int outcome = awaitTerminator(m_timeouts.ticksToMs(SerialReplyTimeout));
    m_blockingWait = false;
    if (outcome >= 0)
        result = outcome == 1;

    m_host.setStatusText(QString());
    m_host.setPagesEnabled(true);
    m_state.Busy = savedBusy;
    if (outcome < 0 && m_probeDepth == 0) {
        // A port that fails under the live link is a lost link, never an answer. The probe
        // reports its own port errors.
        loseSerialLink();
        return false;
    }
    // Bytes behind the terminator were not notified during the wait; let a pending query see them.
    if (serialOpen() && m_port->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &CommandChannel::onSerialReadyRead, Qt::QueuedConnection);
    return result;
}

bool CommandChannel::SerialSendWithRetry()
{
    const bool shown = m_host.showBusyCursor();
    const int losses = m_linkLosses;
    const auto lost = [&] { return m_linkLosses != losses; };
    bool ok = SerialSendAndAwait(CommandBuffer);
    // Bare carriage returns: an answer to either shows the command got through.
    if (!ok && !lost())
        ok = SerialSendAndAwait("\r");
    if (!ok && !lost())
        ok = SerialSendAndAwait("\r");
    if (!ok && !lost())
        ok = SerialRetryLoop();
    if (shown)
        m_host.showArrowCursor();
    return ok;
}

bool CommandChannel::SerialRetryLoop()
{
    // A switcher that answers the probe but never the command would keep this loop going
    // without ever asking: after an unanswered resend the operator is asked in any case.
    bool resendFailed = false;
    for (;;) {
        SerialReplyTimeout = m_timeouts.ProbeTicks;
        int probed = probeSerialPort();
        while (probed < 0 || resendFailed) {
            resendFailed = false;
            if (!m_host.askOkCancel(kRetryTitle, kRetryText)) {
                // Abandoned: the link stays live and the caller carries on.
                SerialReplyTimeout = m_timeouts.NormalTicks;
                return false;
            }
            probed = probeSerialPort();
        }
        SerialReplyTimeout = m_timeouts.NormalTicks;
        const int losses = m_linkLosses;
        if (SerialSendAndAwait(CommandBuffer))
            return true;
        if (m_linkLosses != losses)
            return false;
        resendFailed = true;
    }
}

int CommandChannel::probeSerialPort()
{
    // Without a serial link there is no port to probe again.
    if (!m_serialLink)
        return -1;
    // ProbeComPort marks the probe itself, so its port errors stay its own.
    return m_serialLink->ProbeComPort(PortNumber);
}

void CommandChannel::SerialQuery()
{
    if (!serialOpen()) {
        QueryFailed = 1;
        return;
    }
    QueryFailed = 0;
    WatchdogExpired = 0;
    ReplyLength = 0;
    QueryPending = 1;
    discardSerialInput();
    m_watchdog->start(m_timeouts.WatchdogMs);
    SerialWrite(CommandBuffer);
    // Both the receive notification and the watchdog are events; waiting for them does not spin.
    while (QueryPending == 1 && QueryFailed == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    m_watchdog->stop();
    if (m_portFailedInQuery) {
        m_portFailedInQuery = false;
        loseSerialLink();
    }
}

void CommandChannel::onSerialReadyRead()
{
    if (m_blockingWait || !serialOpen())
        return;
    if (m_poll.active && !m_poll.ethernet) {
        gatherPollBytes();
        return;
    }
    const qint64 available = m_port->bytesAvailable();
    if (available > 0)
        ApdComPort1TriggerAvail(int(qMin<qint64>(available, INT_MAX)));
}

void CommandChannel::ApdComPort1TriggerAvail(int count)
{
    if (QueryPending != 1 || count <= 0)
        return;
    const QByteArray bytes = m_port->read(count);
    qCDebug(lcWire).noquote() << "serial received:" << WireText(bytes);
    const int start = qBound(0, ReplyLength, kReplyBufferSize);
    const int stored = qMin(int(bytes.size()), kReplyBufferSize - start);
    if (stored <= 0)
        return;
    emit serialBytesReceived(bytes.left(stored));
    if (GatherSerialBytes(ReplyBuffer, kReplyBufferSize, ReplyLength, bytes.constData(),
                          int(bytes.size()), MinReplyLength, ReplyTerminator)) {
        QueryPending = 0;
        emit switcherAnswered();
    }
}

bool CommandChannel::GatherSerialBytes(std::uint8_t *buffer, int capacity, int &length,
                                       const char *bytes, int count, int minReplyLength,
                                       char terminator)
{
    // A reply that outgrows the buffer is not stored further and never completes: the
    // watchdog then reports the query as failed.
    const int start = qBound(0, length, capacity);
    const int got = qBound(0, count, capacity - start);
    if (got == 0)
        return false;
    std::memcpy(buffer + start, bytes, std::size_t(got));
    length = start;
    for (int i = 0; i < got; ++i) {
        const int pos = length;
        const bool complete = buffer[pos] == std::uint8_t(terminator) && pos >= minReplyLength &&
                              pos >= 2 && buffer[pos - 1] == 10 && buffer[pos - 2] == 13;
        if (complete) {
            buffer[start + got - 1] = 0;
            length = 0;
            return true;
        }
        ++length;
    }
    return false;
}

} // namespace kv
