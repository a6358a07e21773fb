#pragma once
// The console's core with views that draw nothing and a channel with no link, so a fuzz
// target can let whatever a reply or a file put into the state run through every operation
// an operator can start.

#include "control/Core.h"
#include "control/Grouping.h"
#include "control/Routing.h"
#include "state/MatrixState.h"

#include <memory>

namespace kv::fuzz {

// Starts the Qt core application the channel's objects need; call once.
void InitQt(int *argc, char ***argv);

class FuzzConsole {
public:
    FuzzConsole();
    ~FuzzConsole();

    MatrixState &state() { return m_core->state(); }
    // Start-up values again, as the console has them before its first read.
    void reset();
    // Every page redrawn from the state, then every button of the switching, grouping and
    // preset panels clicked, numbers out of range included.
    void exercise();

    Routing &routing() { return m_core->routing(); }
    Grouping &grouping() { return m_core->grouping(); }

private:
    struct Views;
    std::unique_ptr<Views> m_views;
    std::unique_ptr<Core> m_core;
};

} // namespace kv::fuzz
