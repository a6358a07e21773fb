#pragma once
// The console's command-line options. Every option is off unless given, so a console started
// without any behaves exactly as one started from its desktop entry.

#include "app/ControlOptions.h"

#include <QStringList>

namespace kv {

struct CommandLine {
    // Add a field per option here and its parsing in CommandLine.cpp.
    ControlOptions control;
    bool follow = false; // --follow: follow the switcher's changes for this run

    // Parses the program's arguments; --help and --version print and exit, as does a bad
    // option (with its error on stderr and exit code 1).
    static CommandLine parse(const QStringList &arguments);
};

} // namespace kv
