#pragma once
// The channel beneath its commands, for the serial and Ethernet links and the line lights
// (and the fixtures that stand in for them): the port and the socket, the bare exchanges of a
// probe, the port number, the live flag, and the waits the watchdog guards. Everything else
// goes through CommandChannel's own operations.

#include <functional>

class QSerialPort;
class QTcpSocket;

namespace kv {

class CommandChannel;
class SerialLink;

class LinkTransport {
public:
    explicit LinkTransport(CommandChannel &channel) : m_channel(channel) {}

    QSerialPort *serialPort() const;
    QTcpSocket *socket() const;

    // 1-4; 0 before the first probe. The retry loop probes this port again.
    int portNumber() const;
    void setPortNumber(int n);
    void setSerialLinkLive(bool live);
    // The retry loop's probe of the port.
    void attachSerialLink(SerialLink *link);

    // One carriage return or line, awaited once for "#": no tries, no box.
    bool serialSendAndAwait(const char *text);
    bool ethernetSendAndAwait(const char *text);
    // A port search waits the probe's short time for each answer.
    void useProbeWait(bool on);
    void resetTerminator();

    // Processes GUI events until done() or until the watchdog has run out (its box shown
    // and closed); false when it ran out.
    bool awaitUnderWatchdog(const std::function<bool()> &done);
    // The watchdog's end now, as if it had run out: ends the wait it guards.
    void expireWatchdog();
    // While an Ethernet connection attempt waits, the watchdog's box speaks of Ethernet.
    void setConnecting(bool on);
    bool connecting() const;

    // While a port is probed its errors are the probe's to report, not a lost link.
    class Probing {
    public:
        explicit Probing(CommandChannel &channel);
        ~Probing();
        Probing(const Probing &) = delete;
        Probing &operator=(const Probing &) = delete;

    private:
        CommandChannel &m_channel;
    };

private:
    CommandChannel &m_channel;
};

} // namespace kv
