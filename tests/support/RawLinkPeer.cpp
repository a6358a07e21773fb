#include "RawLinkPeer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace kv::test {

std::unique_ptr<RawLinkPeer> RawLinkPeer::openPty()
{
    std::unique_ptr<RawLinkPeer> peer(new RawLinkPeer);
    char name[128] = {};
    if (::openpty(&peer->m_master, &peer->m_slave, name, nullptr, nullptr) != 0)
        return nullptr;
    // Raw from the start, so nothing is echoed or translated before the console opens it.
    termios tio{};
    ::tcgetattr(peer->m_slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(peer->m_slave, TCSANOW, &tio);
    peer->m_ptyPath = QString::fromLocal8Bit(name);
    peer->start();
    return peer;
}

std::unique_ptr<RawLinkPeer> RawLinkPeer::listenTcp()
{
    std::unique_ptr<RawLinkPeer> peer(new RawLinkPeer);
    peer->m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (peer->m_listen < 0 || ::bind(peer->m_listen, (sockaddr *)&addr, sizeof addr) != 0 ||
        ::listen(peer->m_listen, 4) != 0 ||
        ::getsockname(peer->m_listen, (sockaddr *)&addr, &len) != 0)
        return nullptr;
    peer->m_tcpPort = ntohs(addr.sin_port);
    peer->start();
    return peer;
}

void RawLinkPeer::start()
{
    m_responder = answerAll("\r\n#");
    if (::pipe2(m_wake, O_CLOEXEC) != 0)
        return;
    m_thread = std::thread([this] { run(); });
}

RawLinkPeer::~RawLinkPeer()
{
    m_stop = true;
    if (m_wake[1] >= 0)
        (void)::write(m_wake[1], "x", 1);
    if (m_thread.joinable())
        m_thread.join();
    for (int fd : {m_master, m_slave, m_listen, m_client, m_wake[0], m_wake[1]})
        if (fd >= 0)
            ::close(fd);
}

RawLinkPeer::Responder RawLinkPeer::answerAll(const QByteArray &reply)
{
    return [reply](const QByteArray &) { return QList<QByteArray>{reply}; };
}

RawLinkPeer::Responder RawLinkPeer::silent()
{
    return [](const QByteArray &) { return QList<QByteArray>{}; };
}

void RawLinkPeer::setResponder(Responder responder)
{
    std::lock_guard lock(m_mutex);
    m_responder = std::move(responder);
}

QByteArray RawLinkPeer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

QList<QByteArray> RawLinkPeer::lines() const
{
    const QByteArray all = received();
    QList<QByteArray> out;
    qsizetype from = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i] == '\r') {
            out.append(all.mid(from, i + 1 - from));
            from = i + 1;
        }
    }
    return out;
}

void RawLinkPeer::clearReceived()
{
    std::lock_guard lock(m_mutex);
    m_received.clear();
}

void RawLinkPeer::writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

void RawLinkPeer::serve(int fd, QByteArray &pending)
{
    char buf[4096];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) {
        if (fd == m_client) {
            ::close(m_client);
            m_client = -1;
        }
        return;
    }
    Responder responder;
    {
        std::lock_guard lock(m_mutex);
        m_received.append(buf, n);
        responder = m_responder;
    }
    pending.append(buf, n);
    qsizetype cr;
    while ((cr = pending.indexOf('\r')) >= 0) {
        const QByteArray line = pending.left(cr + 1);
        pending.remove(0, cr + 1);
        for (const QByteArray &chunk : responder(line))
            writeAll(fd, chunk);
    }
}

void RawLinkPeer::run()
{
    QByteArray pending;
    while (!m_stop) {
        pollfd fds[3] = {};
        int count = 0;
        fds[count++] = {m_wake[0], POLLIN, 0};
        const int data = m_master >= 0 ? m_master : m_client;
        if (data >= 0)
            fds[count++] = {data, POLLIN, 0};
        if (m_listen >= 0)
            fds[count++] = {m_listen, POLLIN, 0};
        if (::poll(fds, nfds_t(count), -1) < 0 && errno != EINTR)
            return;
        for (int i = 1; i < count; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            if (fds[i].fd == m_listen) {
                if (m_client >= 0)
                    ::close(m_client);
                m_client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
                pending.clear();
            } else {
                serve(fds[i].fd, pending);
            }
        }
    }
}

} // namespace kv::test
