#pragma once
// kvemu inside a test process: the Emulator on a thread of its own, so that the console's
// blocking waits on the test's thread still meet a live switcher. Every call blocks until
// the emulator's thread has carried it out.

#include "Emulator.h"

#include <functional>

class QThread;

namespace kv::emu {

class EmulatorThread {
public:
    EmulatorThread() = default;
    ~EmulatorThread();
    EmulatorThread(const EmulatorThread &) = delete;
    EmulatorThread &operator=(const EmulatorThread &) = delete;

    // onLine, when given, runs on the emulator's thread the moment a line is complete.
    bool start(const EmulatorOptions &options, QString *error,
               std::function<void(const QByteArray &line)> onLine = {});
    void stop();
    bool isRunning() const { return m_emu != nullptr; }

    quint16 tcpPort() const { return m_tcpPort; }
    QString ptySlavePath() const { return m_ptySlave; }

    // The control commands of kvemu's standard input ("fault TEXT", "state", ...).
    QString control(const QString &command);
    QList<QByteArray> received();

private:
    QThread *m_thread = nullptr;
    QObject *m_anchor = nullptr; // lives on the thread; the context of every call
    Emulator *m_emu = nullptr;
    quint16 m_tcpPort = 0;
    QString m_ptySlave;
};

} // namespace kv::emu
