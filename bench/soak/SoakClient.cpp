#include "SoakClient.h"

namespace kv::soak {

void View::apply(const QByteArray &block)
{
    QList<QByteArray> lines = block.split('\n');
    const QByteArray header = lines.takeFirst();
    for (const QByteArray &line : lines) {
        const qsizetype space = line.indexOf(' ');
        if (space < 0)
            continue;
        bool ok = false;
        const int n = line.left(space).toInt(&ok);
        if (!ok || n < 0 || n >= 16)
            continue;
        const QByteArray rest = line.mid(space + 1);
        if (header == "VIDEO OUTPUT ROUTING:")
            routes[n] = rest.toInt();
        else if (header == "INPUT LABELS:")
            inputLabels[n] = QString::fromUtf8(rest);
        else if (header == "OUTPUT LABELS:")
            outputLabels[n] = QString::fromUtf8(rest);
        else if (header == "VIDEO OUTPUT LOCKS:" && !rest.isEmpty())
            locks[n] = QChar(rest.at(0));
    }
}

SoakClient::SoakClient(int id, quint16 port, quint32 seed) : m_id(id), m_random(seed)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &SoakClient::onReadyRead);
    connect(&m_timer, &QTimer::timeout, this, &SoakClient::act);
    m_timer.setSingleShot(true);
    m_socket.connectToHost(QHostAddress::LocalHost, port);
}

void SoakClient::setActive(bool on)
{
    if (on)
        m_timer.start(int(m_random.bounded(50, 400)));
    else
        m_timer.stop();
}

void SoakClient::send(const QByteArray &block)
{
    m_socket.write(block);
    ++sent;
    ++m_outstanding;
    const bool ping = block == "PING:\n\n";
    m_isPing << ping;
    m_pingSent << std::chrono::steady_clock::now();
}

void SoakClient::act()
{
    const int dice = int(m_random.bounded(100));
    auto port = [&] { return int(m_random.bounded(16)); };
    if (dice < 50) {
        QByteArray b = "VIDEO OUTPUT ROUTING:\n";
        const int lines = 1 + int(m_random.bounded(3));
        for (int k = 0; k < lines; ++k)
            b += QByteArray::number(port()) + ' ' + QByteArray::number(port()) + '\n';
        send(b + '\n');
    } else if (dice < 65) {
        static const char kinds[] = {'O', 'U', 'U', 'F'};
        const char kind = kinds[m_random.bounded(m_random.bounded(20) == 0 ? 4 : 3)];
        send("VIDEO OUTPUT LOCKS:\n" + QByteArray::number(port()) + ' ' + kind + "\n\n");
    } else if (dice < 85) {
        static const char letters[] = "ABCDEFGHJKLMNPRSTVWXYZ0123456789";
        QByteArray text;
        const int length = 1 + int(m_random.bounded(6));
        for (int k = 0; k < length; ++k)
            text += letters[m_random.bounded(int(sizeof letters) - 1)];
        const QByteArray header = m_random.bounded(2) ? "INPUT LABELS:\n" : "OUTPUT LABELS:\n";
        send(header + QByteArray::number(port()) + ' ' + text + "\n\n");
    } else {
        send("PING:\n\n");
    }
    m_timer.start(int(m_random.bounded(50, 400)));
}

void SoakClient::onReadyRead()
{
    m_pending += m_socket.readAll();
    qsizetype end;
    while ((end = m_pending.indexOf("\n\n")) >= 0) {
        const QByteArray block = m_pending.left(end);
        m_pending.remove(0, end + 2);
        if (!m_ready) {
            m_view.apply(block);
            m_ready = block.startsWith("END PRELUDE:");
            continue;
        }
        if (block == "ACK" || block == "NAK") {
            (block == "ACK" ? acks : naks)++;
            if (m_isPing.isEmpty()) {
                ++extraAnswers;
                continue;
            }
            const bool ping = m_isPing.takeFirst();
            const auto at = m_pingSent.takeFirst();
            --m_outstanding;
            if (ping) {
                ++pings;
                worstPingMs = std::max(worstPingMs, std::chrono::duration<double, std::milli>(
                                                        std::chrono::steady_clock::now() - at)
                                                        .count());
            }
            continue;
        }
        m_view.apply(block);
    }
}

} // namespace kv::soak
