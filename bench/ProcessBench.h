#pragma once
// The installed programs as an operator starts them: kvconsole from its first instruction to
// its first shown window, and its resident memory once it has read the whole switcher.

#include "Stats.h"

#include <QByteArray>

namespace kv::bench {

// kvconsole and kvemu from the build; a bare Qt window (this program, --empty-window) as the
// reference for what any Qt Widgets program costs here.
void MeasureProcesses(Table &table, const QString &console, const QString &emulator,
                      const QString &self, int runs);

// The reference program: a QApplication and an empty QMainWindow, "shown" on stderr once it
// shows, then idle until stopped.
int RunEmptyWindow(int argc, char **argv);

// From /proc/PID/status: "VmRSS", "FDSize", ...; empty when the process is gone.
QByteArray StatusField(qint64 pid, const QByteArray &field);
double ResidentMb(qint64 pid);
// Until the process has used no processor time for a quarter of a second (20 s at most).
void WaitIdle(qint64 pid);

// kvconsole's resident memory while a client floods it: 300 kB of requests in one write, and
// 1,000 label blocks while the switcher is silent (ServingMemory.cpp).
void MeasureServingMemory(Table &table, const QString &console, const QString &emulator);

} // namespace kv::bench
