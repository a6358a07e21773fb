#pragma once
// kvemu's switcher core on a thread of its own inside the benchmark, so that the moment a
// command's last byte reaches the switcher can be read off the same clock as the click.
// The console still talks to it only through the pty and TCP, as to a real switcher.

#include "EmulatorThread.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <chrono>

namespace kv::bench {

using Clock = std::chrono::steady_clock;

struct WireLine {
    Clock::time_point at; // when the switcher had the whole line, its CR included
    QByteArray line;      // without the CR
};

class BenchEmu {
public:
    bool start(const emu::EmulatorOptions &options, QString *error);
    void stop() { m_emu.stop(); }

    quint16 tcpPort() const { return m_emu.tcpPort(); }
    QString ptyDevice() const { return m_emu.ptySlavePath(); }

    QString control(const QString &command) { return m_emu.control(command); }
    QList<WireLine> takeLines(); // every line since the last call
    int lineCount();

private:
    emu::EmulatorThread m_emu;
    QMutex m_mutex;
    QList<WireLine> m_lines;
};

} // namespace kv::bench
