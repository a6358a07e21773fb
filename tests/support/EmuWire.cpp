#include "EmuWire.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpSocket>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace kv::test {

std::unique_ptr<EmuWire> EmuWire::tcp(quint16 port)
{
    std::unique_ptr<EmuWire> w(new EmuWire);
    w->m_socket = std::make_unique<QTcpSocket>();
    w->m_socket->connectToHost(QHostAddress::LocalHost, port);
    if (!w->m_socket->waitForConnected(5000))
        return nullptr;
    return w;
}

std::unique_ptr<EmuWire> EmuWire::pty(const QString &path)
{
    std::unique_ptr<EmuWire> w(new EmuWire);
    w->m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (w->m_fd < 0)
        return nullptr;
    termios tio;
    ::tcgetattr(w->m_fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(w->m_fd, TCSANOW, &tio);
    ::tcflush(w->m_fd, TCIOFLUSH);
    return w;
}

EmuWire::~EmuWire()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool EmuWire::isOpen() const
{
    return m_fd >= 0 || (m_socket && m_socket->state() == QAbstractSocket::ConnectedState);
}

bool EmuWire::send(const QByteArray &bytes)
{
    if (m_socket) {
        if (m_socket->write(bytes) != bytes.size())
            return false;
        return m_socket->waitForBytesWritten(5000) || m_socket->bytesToWrite() == 0;
    }
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            return false;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{m_fd, POLLOUT, 0};
            ::poll(&p, 1, 1000);
        }
    }
    return true;
}

QByteArray EmuWire::readSome(int timeoutMs)
{
    if (m_socket) {
        if (m_socket->bytesAvailable() == 0 && !m_socket->waitForReadyRead(timeoutMs))
            return QByteArray();
        return m_socket->readAll();
    }
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return QByteArray();
    char buf[4096];
    QByteArray out;
    ssize_t n;
    while ((n = ::read(m_fd, buf, sizeof buf)) > 0)
        out.append(buf, n);
    return out;
}

QByteArray EmuWire::readReply(int minLength, int timeoutMs)
{
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    while (!(got.size() >= minLength && got.endsWith('#')) && !deadline.hasExpired()) {
        const QByteArray more = readSome(int(qMax<qint64>(1, deadline.remainingTime())));
        if (more.isEmpty() && m_socket && m_socket->state() != QAbstractSocket::ConnectedState)
            break;
        got += more;
    }
    return got;
}

QByteArray EmuWire::exchange(const QByteArray &line, int minLength, int timeoutMs)
{
    if (!send(line + '\r'))
        return QByteArray();
    return readReply(minLength, timeoutMs);
}

bool EmuWire::waitClosed(int timeoutMs)
{
    if (!m_socket)
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    while (m_socket->state() == QAbstractSocket::ConnectedState && !deadline.hasExpired())
        m_socket->waitForDisconnected(int(qMax<qint64>(1, deadline.remainingTime())));
    return m_socket->state() != QAbstractSocket::ConnectedState;
}

QByteArray PayloadOf(const QByteArray &reply, int n)
{
    const qsizetype m = reply.left(30).indexOf(char(1));
    if (m < 0 || reply.size() < m + 2 + n)
        return QByteArray();
    return reply.mid(m + 2, n);
}

QByteArray AnswerWord(const QByteArray &answer)
{
    if (answer == "\r\n#")
        return "";
    if (answer.size() > 5 && answer.startsWith("\r\n") && answer.endsWith("\r\n#"))
        return answer.mid(2, answer.size() - 5);
    return answer;
}

QList<QByteArray> AnswerWords(EmuWire &wire, const QList<QByteArray> &lines)
{
    QList<QByteArray> words;
    for (const QByteArray &l : lines)
        words << AnswerWord(wire.exchange(l));
    return words;
}

QByteArray StatusPayload(EmuWire &wire, const QByteArray &query, int n)
{
    const QByteArray reply = wire.exchange(query, StatusReplyLength(n));
    if (reply.size() != StatusReplyLength(n) || !reply.startsWith("\r\n\x01") ||
        !reply.endsWith("\r\n#"))
        return QByteArray();
    return reply.mid(4, n);
}

} // namespace kv::test
