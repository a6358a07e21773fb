#pragma once
// The switching features on one MatrixState with views that draw nothing and a channel with
// no link, so a fuzz target can let whatever a reply or a file put into the state run
// through every operation an operator can start.

#include "control/CommitPath.h"
#include "control/FollowSwitcher.h"
#include "control/Grouping.h"
#include "control/Holds.h"
#include "control/Presets.h"
#include "control/RouteJournal.h"
#include "control/Routing.h"
#include "control/StatusRead.h"
#include "control/UndoTake.h"
#include "link/CommandChannel.h"
#include "link/LinkHost.h"
#include "state/MatrixState.h"

#include <memory>

namespace kv::fuzz {

// Starts the Qt core application the channel's objects need; call once.
void InitQt(int *argc, char ***argv);

class FuzzConsole {
public:
    FuzzConsole();
    ~FuzzConsole();

    MatrixState state{};
    // Start-up values again, as the console has them before its first read.
    void reset();
    // Every page redrawn from the state, then every button of the switching, grouping and
    // preset panels clicked, numbers out of range included.
    void exercise();

    Routing &routing() { return *m_routing; }
    Grouping &grouping() { return *m_grouping; }

private:
    struct Views;
    std::unique_ptr<Views> m_views;
    std::unique_ptr<CommandChannel> m_channel;
    std::unique_ptr<RouteJournal> m_journal;
    std::unique_ptr<Holds> m_holds;
    std::unique_ptr<CommitPath> m_commits;
    std::unique_ptr<Routing> m_routing;
    std::unique_ptr<Grouping> m_grouping;
    std::unique_ptr<StatusRead> m_statusRead;
    std::unique_ptr<Presets> m_presets;
    std::unique_ptr<UndoTake> m_undo;
    std::unique_ptr<FollowSwitcher> m_follower;
};

} // namespace kv::fuzz
