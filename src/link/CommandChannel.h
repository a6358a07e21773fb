#pragma once
// The one channel through which every line reaches the switcher and every reply comes back.
// It owns the serial port and the TCP client, the watchdog (objectName "Timer1") and the two
// buffers. All of it runs on the GUI thread; the waits block it exactly where the operator's
// console blocks.

#include "link/CommandOutcome.h"
#include "link/Timeouts.h"
#include "state/MatrixState.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <cstdarg>
#include <cstdint>

class QSerialPort;
class QTcpSocket;
class QTimer;

namespace kv {

class LinkHost;
class SerialLink;

enum class LinkMode { None, Serial, Ethernet };

// What a status query brought back.
struct QueryReply {
    // The serial wait ran out or found the port closed; an Ethernet query never sets it
    // (a reply it did not find leaves the bytes all zero).
    bool failed = false;
    // The whole reply buffer: the reply from its start, zeros behind it.
    QByteArray bytes;
};

class CommandChannel : public QObject {
    Q_OBJECT
public:
    static constexpr int kReplyBufferSize = 5200;
    static constexpr int kSerialBufferSize = 4096;

    CommandChannel(MatrixState &state, LinkHost &host, const Timeouts &timeouts,
                   QObject *parent = nullptr);
    ~CommandChannel() override;

    MatrixState &state() { return m_state; }
    const Timeouts &timeouts() const { return m_timeouts; }

    // Formats one line and sends it over the live link. The serial link always awaits its
    // "#", with two bare returns and then the retry box when none comes; over Ethernet
    // sendCommand awaits the acknowledgement and sendCommandNoWait does not. Without a link
    // nothing is formatted or sent.
    void sendCommand(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    void sendCommandNoWait(const char *fmt, ...) __attribute__((format(printf, 2, 3)));

    // Sends a status query and gathers its reply, over Ethernet whenever it is connected and
    // over the serial port otherwise. A terminator ends the reply only behind at least
    // minReplyLength bytes.
    QueryReply runQuery(const QByteArray &text, int minReplyLength);

    // A status query that never blocks: written now, its reply gathered as it arrives, by the
    // same end-of-reply rule as runQuery, under a time-out of its own. It shows no box and
    // ends in pollAnswered or pollUnanswered, or in neither when the link is lost meanwhile.
    // False, with nothing sent, without a link, inside an exchange or with a poll in flight.
    bool startPoll(const QByteArray &text, int minReplyLength);
    bool pollInFlight() const { return m_poll.active; }
    // Waits for the poll in flight to end, processing no events. Every exchange does this
    // first, so that its lines never meet a poll's reply on the wire.
    void finishPoll();

    LinkMode linkMode() const;
    // A link to send over: serial or Ethernet.
    bool linkUp() const { return linkMode() != LinkMode::None; }
    bool serialLinkLive() const { return m_serialLinkLive; }

    // The switcher takes its time over a reset: while this lives, a serial command waits
    // the reset's long time for its "#".
    class LongWait {
    public:
        explicit LongWait(CommandChannel &channel);
        ~LongWait();
        LongWait(const LongWait &) = delete;
        LongWait &operator=(const LongWait &) = delete;

    private:
        CommandChannel &m_channel;
        int m_saved;
    };

    // The one gate every exchange passes. While one runs (a command with its tries and its
    // retry box, a query or a whole status read, a port search or probe, a connection
    // attempt), the events it pumps must not start another: operator actions are refused and
    // timer-driven work waits until exchangeInProgress() is false again.
    class Exchange {
    public:
        explicit Exchange(CommandChannel &channel) : m_channel(channel)
        {
            ++channel.m_exchangeDepth;
            channel.finishPoll();
        }
        ~Exchange() { m_channel.endExchange(); }
        Exchange(const Exchange &) = delete;
        Exchange &operator=(const Exchange &) = delete;

    private:
        CommandChannel &m_channel;
    };
    // Settling a poll's reply holds the gate too: what the wait serves meanwhile waits its turn.
    bool exchangeInProgress() const { return m_exchangeDepth > 0 || m_settling; }
    // An exchange proper has begun: what a poll's reply tells may already be out of date.
    bool exchangeOpen() const { return m_exchangeDepth > 0; }

    // The serial end of a reply, without a port: stores count received bytes at length in
    // buffer (those beyond capacity are dropped) and walks them; true when they complete the
    // reply (CR LF and the terminator at minReplyLength or later), the notification's last
    // byte then 0 and length 0.
    static bool GatherSerialBytes(std::uint8_t *buffer, int capacity, int &length,
                                  const char *bytes, int count, int minReplyLength,
                                  char terminator);

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
    // A poll's whole reply, as runQuery returns it. Emitted inside an Exchange's start when
    // that finished it: the exchange then follows with lines the reply knows nothing of.
    void pollAnswered(const QByteArray &reply);
    void pollUnanswered();
    // The switcher answered something: a command, a query, a probe or a poll.
    void switcherAnswered();
    // A command line (not a query) has ended, however it ended; line is empty when nothing
    // was formatted.
    void commandEnded(kv::CommandOutcome outcome, const QByteArray &line);

private:
    // The links reach the port, the socket and the watchdog only through it.
    friend class LinkTransport;

    static constexpr int kCommandBufferSize = 250;
    static constexpr int kSlotCount = 100;
    static constexpr int kSlotSize = 100;

    // Formats into CommandBuffer and sends it the given way; nothing without a link.
    void sendFormatted(void (CommandChannel::*send)(), const char *fmt, va_list args)
        __attribute__((format(printf, 3, 0)));
    void SendCommand();
    void SendCommandNoWait();
    // One command line over the live link; over Ethernet awaited or not.
    void Send(bool awaitEthernet);
    CommandOutcome EthernetSendAwaited();
    CommandOutcome EthernetSendUnawaited();
    void setSerialLinkLive(bool live);

    void SerialWrite(const char *text);
    bool SerialSendAndAwait(const char *text);
    bool SerialSendWithRetry();
    bool SerialRetryLoop();
    int probeSerialPort();
    void SerialQuery();
    void EthernetQuery();
    bool EthernetSendAndAwait(const char *text);
    void ApdComPort1TriggerAvail(int count);
    void onWatchdog();

    bool serialOpen() const;
    bool socketActive() const;
    // Discards what the port holds: the device buffer and the bytes Qt has already read.
    void discardSerialInput();
    // 1: the terminator came; 0: the time ran out; -1: the port failed.
    int awaitTerminator(int timeoutMs);
    void onSerialReadyRead();
    int readSlot(int k);
    void endExchange();
    // Polls (PollExchange.cpp).
    void gatherPollBytes();
    void endPoll(bool answered);
    void abandonPoll();
    void onSocketReadyRead();
    static void discardSocketInput(QTcpSocket *socket);
    void onPortError(int error);
    // Closes the failed port and takes the serial link down, once.
    void loseSerialLink();

    MatrixState &m_state;
    LinkHost &m_host;
    Timeouts m_timeouts;
    QSerialPort *m_port;
    QTcpSocket *m_socket;
    QTimer *m_watchdog;
    // The serial link that probes its port for the retry loop.
    QPointer<SerialLink> m_serialLink;

    char CommandBuffer[kCommandBufferSize] = {};
    std::uint8_t ReplyBuffer[kReplyBufferSize] = {};
    std::uint8_t SlotData[kSlotCount][kSlotSize] = {};
    int SlotCount[kSlotCount] = {};

    char ReplyTerminator = '#';
    int SerialReplyTimeout = 80; // ticks
    int MinReplyLength = 0;
    int ReplyLength = 0;
    // Port number of the serial port (1-4, 0 before the first probe).
    int PortNumber = 0;
    bool m_serialLinkLive = false;
    std::uint8_t QueryPending = 0;
    std::uint8_t QueryFailed = 0;
    std::uint8_t WatchdogExpired = 0;
    std::int32_t ConnectInProgress = 0;

    // True while a blocking serial wait owns the port: its bytes are not notifications.
    bool m_blockingWait = false;
    int m_exchangeDepth = 0;
    bool m_settling = false;
    int m_probeDepth = 0;
    int m_linkLosses = 0;
    // A port error seen while a query waited; the link is taken down once the wait is over.
    bool m_portFailedInQuery = false;

    struct Poll {
        bool active = false;
        bool ethernet = false;
        int minLength = 0;
        int length = 0;  // serial: the write position; Ethernet: the bytes stored
        int counted = 0; // Ethernet: reply bytes seen before a terminator
        bool found = false;
    } m_poll;
    QByteArray m_pollReply;
    QTimer *m_pollTimer;
};

} // namespace kv
