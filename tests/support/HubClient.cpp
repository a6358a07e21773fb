#include "HubClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QThread>

namespace kv::test {

namespace {
template <class Done> bool Await(Done done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}
} // namespace

bool HubClient::open(quint16 port, int timeoutMs)
{
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    return Await([this] { return m_socket.state() == QAbstractSocket::ConnectedState; }, timeoutMs);
}

bool HubClient::connectTo(quint16 port, int timeoutMs)
{
    if (!open(port, timeoutMs))
        return false;
    m_dump.clear();
    while (!m_dump.endsWith("END PRELUDE:\n\n")) {
        const QByteArray block = next(1, timeoutMs);
        if (block.isEmpty())
            return false;
        m_dump += block;
    }
    return true;
}

void HubClient::send(const QByteArray &bytes)
{
    m_socket.write(bytes);
    m_socket.flush();
}

void HubClient::gather()
{
    m_pending += m_socket.readAll();
    qsizetype end;
    while ((end = m_pending.indexOf("\n\n")) >= 0) {
        m_blocks << m_pending.left(end + 2);
        m_pending.remove(0, end + 2);
    }
}

QByteArray HubClient::next(int count, int timeoutMs)
{
    Await([&] {
        gather();
        return m_blocks.size() >= count;
    }, timeoutMs);
    QByteArray text;
    for (int k = 0; k < count && !m_blocks.isEmpty(); ++k)
        text += m_blocks.takeFirst();
    return text;
}

bool HubClient::quiet(int ms)
{
    Await([&] {
        gather();
        return !m_blocks.isEmpty();
    }, ms);
    return m_blocks.isEmpty();
}

bool HubClient::closedByServer(int timeoutMs)
{
    return Await([this] {
        gather();
        return m_socket.state() == QAbstractSocket::UnconnectedState;
    }, timeoutMs);
}

} // namespace kv::test
