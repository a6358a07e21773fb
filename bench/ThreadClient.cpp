#include "ThreadClient.h"

#include <QMutexLocker>
#include <QTcpSocket>

namespace kv::bench {

ThreadClient::ThreadClient(quint16 port) : m_thread([this, port] { run(port); }) {}

ThreadClient::~ThreadClient()
{
    m_stop = true;
    m_thread.join();
}

void ThreadClient::send(const QByteArray &bytes, std::function<bool()> when)
{
    QMutexLocker lock(&m_mutex);
    m_sent = false;
    m_when = std::move(when);
    m_outbox += bytes;
}

QList<Arrival> ThreadClient::arrivals()
{
    QMutexLocker lock(&m_mutex);
    return m_arrivals;
}

int ThreadClient::count(const QByteArray &header)
{
    QMutexLocker lock(&m_mutex);
    int n = 0;
    for (const Arrival &a : m_arrivals)
        n += a.block.startsWith(header) ? 1 : 0;
    return n;
}

void ThreadClient::run(quint16 port)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(5000)) {
        m_failed = true;
        return;
    }
    QByteArray got;
    while (!m_stop && s.state() == QAbstractSocket::ConnectedState) {
        {
            QMutexLocker lock(&m_mutex);
            if (!m_outbox.isEmpty() && m_ready && (!m_when || m_when())) {
                m_sentAt = Clock::now();
                s.write(std::exchange(m_outbox, {}));
                m_when = {};
                m_sent = true;
            }
        }
        if (s.bytesToWrite() > 0)
            s.waitForBytesWritten(1);
        if (!s.waitForReadyRead(1))
            continue;
        const auto at = Clock::now();
        got += s.readAll();
        qsizetype end;
        while ((end = got.indexOf("\n\n")) >= 0) {
            const QByteArray block = got.left(end + 2);
            got.remove(0, end + 2);
            if (!m_ready) {
                m_ready = block.startsWith("END PRELUDE:");
                continue;
            }
            QMutexLocker lock(&m_mutex);
            m_arrivals.append({at, block});
        }
    }
    if (!m_stop)
        m_failed = true;
}

} // namespace kv::bench
