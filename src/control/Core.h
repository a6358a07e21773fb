#pragma once
// The console's core: the one mirror of the switcher, the channel every exchange passes, the
// route journal, the holds and the commit path. Every front end (the window, the remote
// server, whatever comes later) enters it the same way: an action with its origin, which
// takes in a poll's reply first, keeps remote work off while it runs, journals what the
// switcher answered under that origin, and tells every front end afterwards.

#include "control/CommitPath.h"
#include "control/Holds.h"
#include "control/RouteJournal.h"
#include "link/CommandChannel.h"
#include "link/Timeouts.h"
#include "state/MatrixState.h"

#include <QObject>
#include <QString>
#include <memory>
#include <utility>

namespace kv {

class ConfigActions;
class CoreRemote;
class ConfigView;
class EthernetLink;
class EthernetLinkHost;
class FollowSwitcher;
class FollowView;
class Grouping;
class GroupingView;
class Labels;
class LabelView;
class LinkHost;
class PresetView;
class Presets;
class RemoteConsole;
class Routing;
class RoutingView;
class Sequencer;
class SequencingView;
class SerialLink;
class StatusHost;
class StatusRead;
class StatusReadView;
class SystemCommands;
class SystemView;
class UndoTake;

// What the front end that shows the console lends the core: where it paints, asks and tells.
struct CoreViews {
    LinkHost &link;
    EthernetLinkHost &linkWindow;
    StatusHost &status;
    StatusReadView &statusRead;
    LabelView &labels;
    ConfigView &config;
    SystemView &system;
    RoutingView &routing;
    GroupingView &grouping;
    PresetView &presets;
    SequencingView &sequencing;
    FollowView &follow;
    HoldQuestions &questions;
};

class Core : public QObject {
    Q_OBJECT
public:
    Core(const CoreViews &views, const Timeouts &timeouts, QObject *parent = nullptr);
    ~Core() override;

    MatrixState &state() { return m_state; }
    const MatrixState &state() const { return m_state; }
    CommandChannel &channel() { return *m_channel; }
    const CommandChannel &channel() const { return *m_channel; }
    RouteJournal &journal() { return *m_journal; }
    Holds &holds() { return *m_holds; }
    CommitPath &commits() { return *m_commits; }
    const Timeouts &timeouts() const { return m_timeouts; }

    // The features.
    Routing &routing() { return *m_routing; }
    Grouping &grouping() { return *m_grouping; }
    StatusRead &statusRead() { return *m_statusRead; }
    Presets &presets() { return *m_presets; }
    Sequencer &sequencer() { return *m_sequencer; }
    UndoTake &undoTake() { return *m_undoTake; }
    FollowSwitcher &follower() { return *m_follower; }
    Labels &labels() { return *m_labels; }
    ConfigActions &configActions() { return *m_configActions; }
    SystemCommands &systemCommands() { return *m_systemCommands; }
    SerialLink &serialLink() { return *m_serialLink; }
    EthernetLink &ethernetLink() { return *m_ethernetLink; }
    // The core as the remote-control server sees it; made when first asked for, since it
    // keeps the console's remote identity in the settings.
    RemoteConsole &remote();

    // The start-up values, with the pages the features own reset in their documented places.
    // Once the front end has bound its pages.
    void initState();

    // An exchange is under way: a front end's action is refused, as Busy refuses a click.
    bool gateBusy() const { return m_channel->exchangeInProgress(); }
    // An action is under way (it may be asking a question): polls and remote work wait.
    bool acting() const { return m_actingDepth > 0; }

    // Runs one action of a front end under its origin ("operator", "remote 10.0.0.5", ...).
    template <class F> void act(const QString &origin, F &&f)
    {
        m_channel->finishPoll();
        {
            const Depth depth(m_actingDepth);
            const RouteJournal::Scope scope(m_journal, origin);
            std::forward<F>(f)();
        }
        emit changed();
    }

signals:
    // Routes, labels, holds or the link may have changed: every front end brings its view up
    // to date.
    void changed();

private:
    struct Depth {
        explicit Depth(int &depth) : m_depth(depth) { ++m_depth; }
        ~Depth() { --m_depth; }
        int &m_depth;
    };

    MatrixState m_state{};
    Timeouts m_timeouts;
    CommandChannel *m_channel;
    RouteJournal *m_journal;
    Holds *m_holds;
    CommitPath *m_commits;
    Routing *m_routing;
    Grouping *m_grouping;
    StatusRead *m_statusRead;
    Presets *m_presets;
    Sequencer *m_sequencer;
    UndoTake *m_undoTake;
    FollowSwitcher *m_follower;
    std::unique_ptr<Labels> m_labels;
    ConfigActions *m_configActions;
    SerialLink *m_serialLink;
    EthernetLink *m_ethernetLink;
    std::unique_ptr<SystemCommands> m_systemCommands;
    std::unique_ptr<CoreRemote> m_remote;
    int m_actingDepth = 0;
};

} // namespace kv
