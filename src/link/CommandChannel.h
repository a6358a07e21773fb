#pragma once
// The one channel through which every line reaches the switcher and every reply comes back.
// It owns the serial port and the TCP client, the watchdog Timer1 and the two buffers. All of
// it runs on the GUI thread; the waits block it exactly where the operator's console blocks.

#include "state/MatrixState.h"
#include "link/Timeouts.h"

#include <QObject>
#include <cstdarg>
#include <cstdint>
#include <functional>

class QSerialPort;
class QTcpSocket;
class QTimer;

namespace kv {

class LinkHost;

enum class LinkMode { None, Serial, Ethernet };

class CommandChannel : public QObject {
    Q_OBJECT
public:
    static constexpr int kCommandBufferSize = 250;
    static constexpr int kReplyBufferSize = 5200;
    static constexpr int kSlotCount = 100;
    static constexpr int kSlotSize = 100;
    static constexpr int kSerialBufferSize = 4096;

    CommandChannel(MatrixState &state, LinkHost &host, const Timeouts &timeouts,
                   QObject *parent = nullptr);
    ~CommandChannel() override;

    MatrixState &state() { return m_state; }
    const Timeouts &timeouts() const { return m_timeouts; }
    QSerialPort *serialPort() { return m_port; } // ApdComPort1
    QTcpSocket *socket() { return m_socket; }    // ClientSocket1
    QTimer *timer1() { return m_timer1; }

    // Formats into CommandBuffer (always NUL-terminated, never overrun).
    void format(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    void vformat(const char *fmt, va_list args) __attribute__((format(printf, 2, 0)));
    LinkMode linkMode() const;

    // For the rest of the console.
    void SendCommand();
    void SendCommandNoWait();
    void RunQuery(int minReplyLength);

    // Transport operations, also used by the serial and Ethernet links.
    void SerialWrite(const char *text);
    bool SerialSendAndAwait(const char *text);
    void SerialSendWithRetry();
    void SerialRetryLoop();
    void SerialQuery();
    void EthernetQuery();
    bool EthernetSendAndAwait(const char *text);
    void ApdComPort1TriggerAvail(int count);
    // The serial end of a reply, without a port: stores count received bytes at length in
    // buffer (those beyond capacity are dropped) and walks them; true when they complete the
    // reply (CR LF and the terminator at minReplyLength or later), the notification's last
    // byte then 0 and length 0.
    static bool GatherSerialBytes(std::uint8_t *buffer, int capacity, int &length,
                                  const char *bytes, int count, int minReplyLength,
                                  char terminator);
    void Timer1Timer();

    void setSerialLinkLive(bool live);
    bool serialLinkLive() const { return SerialLinkLive != 0; }
    // A link to send over: serial or Ethernet.
    bool linkUp() const { return linkMode() != LinkMode::None; }

    // The one gate every exchange passes. While one runs (a command with its tries and its
    // retry box, a query or a whole status read, a port search or probe, a connection
    // attempt), the events it pumps must not start another: operator actions are refused and
    // timer-driven work waits until exchangeInProgress() is false again.
    class Exchange {
    public:
        explicit Exchange(CommandChannel &channel) : m_channel(channel)
        {
            ++channel.m_exchangeDepth;
        }
        ~Exchange() { m_channel.endExchange(); }
        Exchange(const Exchange &) = delete;
        Exchange &operator=(const Exchange &) = delete;

    private:
        CommandChannel &m_channel;
    };
    bool exchangeInProgress() const { return m_exchangeDepth > 0; }

    // While a port is probed its errors are the probe's to report, not a lost link.
    class Probing {
    public:
        explicit Probing(CommandChannel &channel) : m_channel(channel) { ++channel.m_probeDepth; }
        ~Probing() { --m_channel.m_probeDepth; }
        Probing(const Probing &) = delete;
        Probing &operator=(const Probing &) = delete;

    private:
        CommandChannel &m_channel;
    };

    // Counts the serial links lost; a caller compares before and after an operation.
    int linkLosses() const { return m_linkLosses; }

    // The retry loop's port probe; the serial link installs the real one. Until then a
    // minimal probe reopens the same port and sends two carriage returns (0; -2 when the
    // port does not open; -4 when neither return is answered).
    std::function<int(int port)> ProbeComPort;
    int DefaultProbe(int port);
    // Port number of the serial port (1-4, 0 before the first probe).
    int PortNumber = 0;

    char CommandBuffer[kCommandBufferSize] = {};
    std::uint8_t ReplyBuffer[kReplyBufferSize] = {};
    std::uint8_t SlotData[kSlotCount][kSlotSize] = {};
    int SlotCount[kSlotCount] = {};

    char ReplyTerminator = '#';
    int SerialReplyTimeout = 80; // ticks
    int MinReplyLength = 0;
    int ReplyLength = 0;
    std::uint8_t SerialLinkLive = 0;
    std::uint8_t QueryPending = 0;
    std::uint8_t QueryFailed = 0;
    std::uint8_t WatchdogExpired = 0;
    std::int32_t ConnectInProgress = 0;

signals:
    void serialLinkLiveChanged(bool live);
    // Every byte the switcher sends over the serial port, for the terminal view.
    void serialBytesReceived(const QByteArray &bytes);
    void serialBytesSent(qint64 count);
    // The serial port failed under the live link (adapter unplugged, device gone): the port
    // is closed and the link is down. port is the COM number it was on.
    void serialLinkLost(int port);
    // The gate is free again; emitted from the event loop, never inside an operation.
    void exchangeEnded();

private:
    bool serialOpen() const;
    bool socketActive() const;
    // Discards what the port holds: the device buffer and the bytes Qt has already read.
    void discardSerialInput();
    // 1: the terminator came; 0: the time ran out; -1: the port failed.
    int awaitTerminator(int timeoutMs);
    void onSerialReadyRead();
    int readSlot(int k);
    void endExchange();
    void onPortError(int error);
    // Closes the failed port and takes the serial link down, once.
    void loseSerialLink();

    MatrixState &m_state;
    LinkHost &m_host;
    Timeouts m_timeouts;
    QSerialPort *m_port;
    QTcpSocket *m_socket;
    QTimer *m_timer1;
    // True while a blocking serial wait owns the port: its bytes are not notifications.
    bool m_blockingWait = false;
    int m_exchangeDepth = 0;
    int m_probeDepth = 0;
    int m_linkLosses = 0;
    // A port error seen while a query waited; the link is taken down once the wait is over.
    bool m_portFailedInQuery = false;
};

} // namespace kv
