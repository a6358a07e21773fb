// The remote-control server under the benchmark's console on the paced pty: a client's
// one-line route to the last byte of its take, and the time from the take's "#" to the
// update at each of 8 clients.

#include "ConsoleBench.h"

#include "control/Core.h"
#include "remote/RemoteServer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMutex>
#include <QTcpSocket>
#include <atomic>
#include <thread>

namespace kv::bench {

namespace {

double MsBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// A client on a thread of its own: the arrival time of every routing update.
class Watcher {
public:
    explicit Watcher(quint16 port) : m_thread([this, port] { run(port); }) {}
    ~Watcher()
    {
        m_stop = true;
        m_thread.join();
    }
    bool ready() const { return m_ready; }
    QList<Clock::time_point> arrivals()
    {
        QMutexLocker lock(&m_mutex);
        return m_arrivals;
    }

private:
    void run(quint16 port)
    {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        if (!s.waitForConnected(5000))
            return;
        QByteArray got;
        while (!m_stop) {
            if (!s.waitForReadyRead(20))
                continue;
            const auto at = Clock::now();
            got += s.readAll();
            qsizetype end;
            while ((end = got.indexOf("\n\n")) >= 0) {
                const QByteArray block = got.left(end);
                got.remove(0, end + 2);
                if (block.startsWith("END PRELUDE:"))
                    m_ready = true;
                else if (m_ready && block.startsWith("VIDEO OUTPUT ROUTING:")) {
                    QMutexLocker lock(&m_mutex);
                    m_arrivals << at;
                }
            }
        }
    }
    QMutex m_mutex;
    QList<Clock::time_point> m_arrivals;
    std::atomic<bool> m_ready = false, m_stop = false;
    std::thread m_thread;
};

qint64 BytesOut(const QList<WireLine> &lines)
{
    qint64 n = 0;
    for (const WireLine &l : lines)
        n += l.line.size() + 1;
    return n;
}

} // namespace

void ConsoleBench::measureRemote(int runs)
{
    RemoteServer *server = m_form->remoteServer();
    if (!server->listen(QHostAddress::LocalHost, 0))
        return;
    settle();

    // One client routes: the request written, then its RTEMP and TAKE 1 on the wire.
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server->port());
    QByteArray dump;
    while (!dump.contains("END PRELUDE:\n\n") &&
           client.state() != QAbstractSocket::UnconnectedState) {
        QApplication::processEvents();
        dump += client.readAll();
    }
    Samples last;
    qint64 out = 0, in = 0, lastReply = 0;
    for (int k = 0; k < runs; ++k) {
        settle();
        m_emu.takeLines();
        const qint64 before = m_bytesIn;
        const QByteArray request = QStringLiteral("VIDEO OUTPUT ROUTING:\n%1 %2\n\n")
                                       .arg(k % 8)
                                       .arg((k + 1) % 8)
                                       .toLatin1();
        const auto t0 = Clock::now();
        client.write(request);
        client.flush();
        QList<WireLine> lines;
        while (lines.isEmpty() || lines.last().line != "TAKE 1") {
            QApplication::processEvents();
            lines += m_emu.takeLines();
            if (MsBetween(t0, Clock::now()) > 2000)
                break;
        }
        settle();
        client.readAll();
        if (lines.isEmpty() || lines.last().line != "TAKE 1")
            continue;
        last.add(MsBetween(t0, lines.last().at));
        out = BytesOut(lines);
        in = m_bytesIn - before;
        lastReply = m_lastChunk;
    }
    const double lineLast = double(out + in - lastReply) * kByteMs;
    m_table.add({QStringLiteral("remote one-line route: request -> last byte of TAKE 1 (of %1)")
                     .arg(last.count()),
                 Ms(last.median()) + QStringLiteral(" / ") + Ms(last.worst()),
                 QStringLiteral("line time to it %1 (%2 B out + %3 B in)")
                     .arg(Ms(lineLast))
                     .arg(out)
                     .arg(in - lastReply),
                 Signed(last.median() - lineLast), QStringLiteral("median <= line + 2 ms"),
                 last.count() == runs && last.median() - lineLast <= 2.0});
    client.abort();

    // Eight watchers; the operator routes and takes; each "#" of the take to each update.
    std::vector<std::unique_ptr<Watcher>> watchers;
    for (int k = 0; k < RemoteServer::kMaxClients; ++k)
        watchers.push_back(std::make_unique<Watcher>(server->port()));
    auto allReady = [&] {
        for (auto &w : watchers)
            if (!w->ready())
                return false;
        return true;
    };
    const auto waitStart = Clock::now();
    while (!allReady() && MsBetween(waitStart, Clock::now()) < 5000)
        QApplication::processEvents();
    QList<Clock::time_point> hashes;
    for (int k = 0; k < runs; ++k) {
        // Another input than the output has: the same one again would disconnect it.
        const int o = k % 8;
        const int current = m_form->core().state().Routes[o].Input;
        click(QStringLiteral("OutputButton%1").arg(o + 1));
        click(QStringLiteral("InputButton%1").arg(current < 7 ? current + 2 : 1));
        click(QStringLiteral("TakeButton"));
        hashes << m_lastHashAt;
        const auto t = Clock::now();
        while (MsBetween(t, Clock::now()) < 30)
            QApplication::processEvents();
    }
    Samples update;
    int missing = 0;
    for (auto &w : watchers) {
        const QList<Clock::time_point> arrivals = w->arrivals();
        for (qsizetype k = 0; k < hashes.size(); ++k) {
            if (k < arrivals.size())
                update.add(MsBetween(hashes[k], arrivals[k]));
            else
                ++missing;
        }
    }
    watchers.clear();
    server->stop();
    m_table.add(
        {QStringLiteral("update to each of 8 clients: take's \"#\" -> block arrives (of %1)")
             .arg(update.count()),
         Ms(update.median()) + QStringLiteral(" / ") + Ms(update.worst()),
         missing ? QStringLiteral("%1 updates missing").arg(missing) : QStringLiteral("-"),
         QString(), QStringLiteral("every one <= 5 ms"),
         missing == 0 && update.count() > 0 && update.worst() <= 5.0});
}

} // namespace kv::bench
