#pragma once
// A bare switcher stand-in for the byte-level cases the emulator does not produce: the far
// end of a pseudo-terminal or a loopback TCP listener, served on a thread of its own so that
// the console's blocking waits see a real peer. Every byte received is recorded; each line
// (ended by a carriage return) is answered with what the responder returns.

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kv::test {

class RawLinkPeer {
public:
    // The chunks to send back for one line; each chunk is one write. Empty: silence.
    using Responder = std::function<QList<QByteArray>(const QByteArray &line)>;

    static std::unique_ptr<RawLinkPeer> openPty();
    static std::unique_ptr<RawLinkPeer> listenTcp();
    ~RawLinkPeer();

    QString ptyPath() const { return m_ptyPath; }
    quint16 tcpPort() const { return m_tcpPort; }

    // Default: every line is answered with "\r\n#".
    void setResponder(Responder responder);
    static Responder answerAll(const QByteArray &reply);
    static Responder silent();

    QByteArray received() const;
    // Received bytes cut after every carriage return (the return kept); a trailing partial
    // line is left out.
    QList<QByteArray> lines() const;
    void clearReceived();

private:
    RawLinkPeer() = default;
    void start();
    void run();
    void serve(int fd, QByteArray &pending);
    void writeAll(int fd, const QByteArray &bytes);

    QString m_ptyPath;
    quint16 m_tcpPort = 0;
    int m_master = -1, m_slave = -1; // pty
    int m_listen = -1, m_client = -1; // tcp
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;

    mutable std::mutex m_mutex;
    Responder m_responder;
    QByteArray m_received;
};

} // namespace kv::test
