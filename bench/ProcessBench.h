#pragma once
// The installed programs as an operator starts them: kvconsole from its first instruction to
// its first shown window, and its resident memory once it has read the whole switcher.

#include "Stats.h"

namespace kv::bench {

// kvconsole and kvemu from the build; a bare Qt window (this program, --empty-window) as the
// reference for what any Qt Widgets program costs here.
void MeasureProcesses(Table &table, const QString &console, const QString &emulator,
                      const QString &self, int runs);

// The reference program: a QApplication and an empty QMainWindow, "shown" on stderr once it
// shows, then idle until stopped.
int RunEmptyWindow(int argc, char **argv);

} // namespace kv::bench
