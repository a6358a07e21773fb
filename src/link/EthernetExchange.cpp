// The Ethernet half of the command channel. Its waits serve the event loop while they last.

#include "link/CommandChannel.h"
#include "link/ServingWait.h"
#include "link/WireLog.h"

#include <QTcpSocket>
#include <cstring>

namespace kv {

namespace {
constexpr int kAckReadMax = 20;
constexpr int kStaleReadsMax = 100;
} // namespace

// Bytes still waiting belong to an earlier exchange (an answer read only in part, a reply
// that came too late or too long); left there, they would be taken for this one's answer.
void CommandChannel::discardSocketInput(QTcpSocket *socket)
{
    const auto drop = [socket] {
        const QByteArray stale = socket->readAll();
        if (!stale.isEmpty())
            qCDebug(lcWire).noquote() << "tcp dropped:" << WireText(stale);
    };
    drop();
    for (int k = 0; k < kStaleReadsMax && socket->waitForReadyRead(0); ++k)
        drop();
}

bool CommandChannel::EthernetSendAndAwait(const char *text)
{
    bool result = false;
    std::memset(SlotData[0], 0, kSlotSize);
    SlotCount[0] = 0;
    if (!socketActive())
        return result;
    const int waitMs = m_timeouts.EthernetWaitMs;
    discardSocketInput(m_socket);
    if (!socketActive())
        return result;
    if (m_socket->write(text) < 0)
        return result; // a failed send counts as unanswered
    qCDebug(lcWire).noquote() << "tcp sent:" << WireText(text);
    m_socket->flush();
    if (m_socket->bytesAvailable() > 0 || AwaitReadyRead(*m_socket, waitMs)) {
        // Whatever came is the acknowledgement; bytes beyond the first 20 stay unread.
        const qint64 n = m_socket->read(reinterpret_cast<char *>(SlotData[0]), kAckReadMax);
        if (n >= 1) {
            qCDebug(lcWire).noquote()
                << "tcp received:"
                << WireText(QByteArrayView(reinterpret_cast<const char *>(SlotData[0]), n));
            SlotCount[0] = int(n);
            result = true;
            emit switcherAnswered();
        }
    }
    return result;
}

int CommandChannel::readSlot(int k)
{
    if (m_socket->bytesAvailable() == 0 && !AwaitReadyRead(*m_socket, m_timeouts.EthernetWaitMs))
        return 0;
    const qint64 n = m_socket->read(reinterpret_cast<char *>(SlotData[k]), kSlotSize);
    SlotCount[k] = n > 0 ? int(n) : 0;
    if (n > 0)
        qCDebug(lcWire).noquote() << "tcp received:"
                                  << WireText(QByteArrayView(
                                         reinterpret_cast<const char *>(SlotData[k]), n));
    return SlotCount[k];
}

void CommandChannel::EthernetQuery()
{
    if (!socketActive())
        return;
    // The reply buffer is runQuery's to clear; the slots are this gathering's own.
    std::memset(SlotData, 0, sizeof SlotData);
    std::memset(SlotCount, 0, sizeof SlotCount);

    ServeFor(m_timeouts.QueryPauseMs);
    if (!socketActive()) // the event pass may have closed the connection
        return;

    const int waitMs = m_timeouts.EthernetWaitMs;
    discardSocketInput(m_socket);
    if (!socketActive())
        return;
    if (m_socket->write(CommandBuffer) < 0)
        return;
    qCDebug(lcWire).noquote() << "tcp sent:" << WireText(CommandBuffer);
    m_socket->flush();
    if (m_socket->bytesAvailable() == 0 && !AwaitReadyRead(*m_socket, waitMs))
        return;

    // A reply that would outgrow the store or ReplyBuffer (which keeps at least one zero
    // behind the text) is treated as not found, and reading stops there.
    bool found = false;
    int total = 0;
    int stored = 0;
    int last = -1;
    for (int k = 0; k < kSlotCount && !found; ++k) {
        const int n = readSlot(k);
        if (n <= 0)
            break;
        if (stored + n > kReplyBufferSize - 1)
            break;
        stored += n;
        last = k;
        for (int i = 0; i < n; ++i) {
            if (SlotData[k][i] == std::uint8_t(ReplyTerminator) && total >= MinReplyLength)
                found = true;
            else
                ++total;
        }
    }
    if (!found)
        return;
    emit switcherAnswered();
    int at = 0;
    for (int k = 0; k <= last; ++k) {
        std::memcpy(ReplyBuffer + at, SlotData[k], size_t(SlotCount[k]));
        at += SlotCount[k];
    }
}

} // namespace kv
