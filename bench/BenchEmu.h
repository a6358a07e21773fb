#pragma once
// kvemu's switcher core on a thread of its own inside the benchmark, so that the moment a
// command's last byte reaches the switcher can be read off the same clock as the click.
// The console still talks to it only through the pty and TCP, as to a real switcher.

#include "Emulator.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <chrono>

class QThread;

namespace kv::bench {

using Clock = std::chrono::steady_clock;

struct WireLine {
    Clock::time_point at; // when the switcher had the whole line, its CR included
    QByteArray line;      // without the CR
};

class BenchEmu {
public:
    BenchEmu() = default;
    ~BenchEmu();
    BenchEmu(const BenchEmu &) = delete;
    BenchEmu &operator=(const BenchEmu &) = delete;

    bool start(const emu::EmulatorOptions &options, QString *error);
    void stop();

    quint16 tcpPort() const { return m_tcpPort; }
    QString ptyDevice() const { return m_ptyDevice; }

    QString control(const QString &command); // kvemu's control commands
    QList<WireLine> takeLines();             // every line since the last call
    int lineCount();

private:
    QThread *m_thread = nullptr;
    QObject *m_anchor = nullptr;
    emu::Emulator *m_emu = nullptr;
    quint16 m_tcpPort = 0;
    QString m_ptyDevice;
    QMutex m_mutex;
    QList<WireLine> m_lines;
};

} // namespace kv::bench
