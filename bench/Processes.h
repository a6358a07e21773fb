#pragma once
// Small helpers for the programs the benchmark and the soak start as processes.

#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>

namespace kv::bench {

// Asks it to end, then makes it.
inline void StopProcess(QProcess &p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(3000);
    }
}

// A loopback port nobody listens on now.
inline quint16 FreeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace kv::bench
