// kvconsole as a process, serving remote control, while one client floods it: its resident
// memory from /proc beside what it had once it had read the switcher.

#include "Processes.h"
#include "ProcessBench.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

namespace kv::bench {

namespace {

constexpr double kGoalMb = 32;
constexpr qint64 kFloodBytes = 300 * 1024;
constexpr int kLabelBlocks = 1000;
constexpr int kAnswerWaitMs = 60000;

bool WaitForOutput(QProcess &p, const QByteArray &marker, int ms)
{
    QByteArray out;
    const QDeadlineTimer deadline(ms);
    while (!out.contains(marker) && !deadline.hasExpired() && p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(50);
        out += p.readAllStandardOutput();
    }
    return out.contains(marker);
}

bool WaitForFileLine(const QString &path, const QByteArray &line, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly) && f.readAll().split('\n').contains(line))
            return true;
        QThread::msleep(50);
    }
    return false;
}

struct Flood {
    int answers = 0, acks = 0;
    double peakMb = 0;
    double ms = 0;
};

// Writes `bytes` in one go and reads the answers until `expected` have come (or the wait
// runs out), sampling the console's resident memory all the while.
Flood Send(QTcpSocket &s, const QByteArray &bytes, int expected, qint64 pid)
{
    Flood f;
    QElapsedTimer clock;
    clock.start();
    s.write(bytes);
    QByteArray got;
    while (f.answers < expected && clock.elapsed() < kAnswerWaitMs &&
           s.state() == QAbstractSocket::ConnectedState) {
        if (s.bytesToWrite() > 0)
            s.waitForBytesWritten(10);
        s.waitForReadyRead(10);
        got += s.readAll();
        qsizetype end;
        while ((end = got.indexOf("\n\n")) >= 0) {
            const bool ack = got.startsWith("ACK\n");
            if (ack || got.startsWith("NAK\n"))
                ++f.answers;
            f.acks += ack ? 1 : 0;
            got.remove(0, end + 2);
        }
        f.peakMb = qMax(f.peakMb, ResidentMb(pid));
    }
    f.ms = double(clock.elapsed());
    return f;
}

} // namespace

void MeasureServingMemory(Table &table, const QString &console, const QString &emulator)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyKVserve"));
    const QString log = dir.filePath(QStringLiteral("kvemu.log"));
    QProcess emu;
    emu.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    emu.start(emulator, {"--pty", link, "--baud", "57600", "--log", log});
    if (!WaitForOutput(emu, "ready", 20000)) {
        std::fprintf(stderr, "kvemu did not start\n");
        StopProcess(emu);
        return;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KV_COM1"), link);
    // Its settings and route log stay in the run's own folder.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    QProcess kv;
    kv.setProcessEnvironment(env);
    kv.setStandardOutputFile(QProcess::nullDevice());
    kv.setStandardErrorFile(QProcess::nullDevice());
    const quint16 port = FreeLoopbackPort();
    kv.start(console, {"--connect", "serial", "--control-port", QString::number(port)});
    QTcpSocket s;
    const bool read = kv.waitForStarted(20000) && WaitForFileLine(log, "PGINFOKV 7", 20000);
    if (read) {
        WaitIdle(kv.processId());
        s.connectToHost(QHostAddress::LocalHost, port);
    }
    QByteArray dump;
    const QDeadlineTimer deadline(10000);
    while (read && !dump.contains("END PRELUDE:\n\n") && !deadline.hasExpired() &&
           (s.state() == QAbstractSocket::ConnectedState || s.waitForConnected(100))) {
        s.waitForReadyRead(50);
        dump += s.readAll();
    }
    if (!dump.contains("END PRELUDE:\n\n")) {
        std::fprintf(stderr, "kvconsole did not serve remote control on port %u\n", port);
        StopProcess(kv);
        StopProcess(emu);
        return;
    }
    const qint64 pid = kv.processId();
    const double startMb = ResidentMb(pid);
    auto mb = [](double v) { return QString::number(v, 'f', 1) + QStringLiteral(" MB"); };
    auto row = [&](const QString &what, const Flood &f, int expected, const QString &sent) {
        table.add({what,
                   QStringLiteral("+%1 (%2 at start, %3 peak)")
                       .arg(mb(f.peakMb - startMb), mb(startMb), mb(f.peakMb)),
                   QStringLiteral("%1; %2 of %3 answered (%4 ACK) in %5")
                       .arg(sent)
                       .arg(f.answers)
                       .arg(expected)
                       .arg(f.acks)
                       .arg(Ms(f.ms)),
                   QString(), QStringLiteral("peak <= start + %1 MB").arg(kGoalMb),
                   f.answers == expected && f.peakMb - startMb <= kGoalMb});
    };

    QByteArray pings;
    while (pings.size() + 7 <= kFloodBytes)
        pings += "PING:\n\n";
    const int pingCount = int(pings.size() / 7);
    const Flood flood = Send(s, pings, pingCount, pid);
    row(QStringLiteral("kvconsole resident memory: %1 kB of PING: blocks in one write")
            .arg(kFloodBytes / 1024),
        flood, pingCount, QStringLiteral("%1 blocks").arg(pingCount));

    // The switcher goes quiet under a route, then a label block for every answer it will miss.
    WaitIdle(pid);
    emu.write("fault silence\n");
    emu.waitForBytesWritten(1000);
    QByteArray labels = "VIDEO OUTPUT ROUTING:\n4 2\n\n";
    for (int n = 0; n < kLabelBlocks; ++n)
        labels += QStringLiteral("INPUT LABELS:\n%1 L%2\n\n").arg(n % 16).arg(n % 1000).toLatin1();
    const Flood silent = Send(s, labels, kLabelBlocks + 1, pid);
    row(QStringLiteral("kvconsole resident memory: %1 label blocks, the switcher silent")
            .arg(kLabelBlocks),
        silent, kLabelBlocks + 1, QStringLiteral("a route, then the labels"));

    s.abort();
    StopProcess(kv);
    emu.write("quit\n");
    if (!emu.waitForFinished(3000))
        StopProcess(emu);
}

} // namespace kv::bench
