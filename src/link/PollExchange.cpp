// Polls: status queries that leave the GUI free. The reply is gathered from the receive
// notifications by the rules of runQuery; an exchange that wants the line waits, serving
// events, until the poll's reply is in or its time is up.

#include "link/CommandChannel.h"
#include "link/ServingWait.h"
#include "link/WireLog.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>
#include <cstring>

namespace kv {

bool CommandChannel::startPoll(const QByteArray &text, int minReplyLength)
{
    if (m_poll.active || exchangeInProgress() || !linkUp())
        return false;
    const bool ethernet = m_state.EthernetConnected == 1;
    if (ethernet) {
        if (!socketActive())
            return false;
        discardSocketInput(m_socket);
        if (!socketActive() || m_socket->write(text) < 0)
            return false;
        m_socket->flush();
        qCDebug(lcWire).noquote() << "tcp sent:" << WireText(text);
    } else {
        if (!serialOpen())
            return false;
        // A full output buffer is the next command's to report; a poll only stays away.
        if (kSerialBufferSize - m_port->bytesToWrite() <= text.size())
            return false;
        discardSerialInput();
        m_port->write(text);
        m_port->flush();
        qCDebug(lcWire).noquote() << "serial sent:" << WireText(text);
    }
    m_poll = Poll{};
    m_poll.active = true;
    m_poll.ethernet = ethernet;
    m_poll.minLength = minReplyLength;
    m_pollReply.fill('\0', kReplyBufferSize);
    m_pollTimer->start(m_timeouts.FollowReplyMs);
    return true;
}

void CommandChannel::onSocketReadyRead()
{
    if (!m_blockingWait && m_poll.active && m_poll.ethernet)
        gatherPollBytes();
}

void CommandChannel::gatherPollBytes()
{
    auto *buffer = reinterpret_cast<std::uint8_t *>(m_pollReply.data());
    if (!m_poll.ethernet) {
        const QByteArray bytes = m_port->readAll();
        if (bytes.isEmpty())
            return;
        qCDebug(lcWire).noquote() << "serial received:" << WireText(bytes);
        emit serialBytesReceived(bytes);
        if (GatherSerialBytes(buffer, kReplyBufferSize, m_poll.length, bytes.constData(),
                              int(bytes.size()), m_poll.minLength, ReplyTerminator))
            endPoll(true);
        return;
    }
    const QByteArray bytes = m_socket->readAll();
    if (!bytes.isEmpty())
        qCDebug(lcWire).noquote() << "tcp received:" << WireText(bytes);
    // A reply that would not leave a zero behind it in the buffer is never found.
    const int room = kReplyBufferSize - 1 - m_poll.length;
    const int n = qMin(int(bytes.size()), qMax(room, 0));
    for (int i = 0; i < n; ++i) {
        const auto b = std::uint8_t(bytes[i]);
        buffer[m_poll.length++] = b;
        if (b == std::uint8_t(ReplyTerminator) && m_poll.counted >= m_poll.minLength) {
            endPoll(true);
            return;
        }
        ++m_poll.counted;
    }
}

void CommandChannel::endPoll(bool answered)
{
    abandonPoll();
    if (answered) {
        emit switcherAnswered();
        emit pollAnswered(m_pollReply);
    } else {
        emit pollUnanswered();
    }
}

void CommandChannel::abandonPoll()
{
    m_poll.active = false;
    m_pollTimer->stop();
}

void CommandChannel::finishPoll()
{
    if (!m_poll.active)
        return;
    const int left = m_pollTimer->remainingTime();
    QElapsedTimer clock;
    clock.start();
    bool portFailed = false;
    // The notifications stay out of it: the bytes are read here, in order. The gate is held
    // meanwhile, so nothing the wait serves can start an exchange of its own.
    m_settling = true;
    m_blockingWait = true;
    for (;;) {
        gatherPollBytes();
        if (!m_poll.active)
            break;
        const qint64 wait = qint64(left) - clock.elapsed();
        if (wait <= 0) {
            endPoll(false);
            break;
        }
        if (m_poll.ethernet) {
            if (!socketActive()) {
                abandonPoll();
                break;
            }
            AwaitReadyRead(*m_socket, int(wait));
            continue;
        }
        if (!serialOpen()) {
            abandonPoll();
            break;
        }
        m_port->clearError();
        if (!AwaitReadyRead(*m_port, int(wait))) {
            const auto error = m_port->error();
            if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError) {
                portFailed = true;
                abandonPoll();
                break;
            }
        }
    }
    m_blockingWait = false;
    m_settling = false;
    if (portFailed && m_probeDepth == 0) {
        Exchange gate(*this);
        loseSerialLink();
    } else if (!exchangeInProgress()) {
        QMetaObject::invokeMethod(this, &CommandChannel::exchangeEnded, Qt::QueuedConnection);
    }
}

} // namespace kv
