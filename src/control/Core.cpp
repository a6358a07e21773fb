#include "control/Core.h"

#include "control/ConfigActions.h"
#include "control/CoreRemote.h"
#include "control/FollowSwitcher.h"
#include "control/Grouping.h"
#include "control/Labels.h"
#include "control/Presets.h"
#include "control/Routing.h"
#include "control/Sequencer.h"
#include "control/StatusRead.h"
#include "control/SystemCommands.h"
#include "control/UndoTake.h"
#include "link/EthernetLink.h"
#include "link/SerialLink.h"

namespace kv {

Core::Core(const CoreViews &v, const Timeouts &timeouts, QObject *parent)
    : QObject(parent), m_timeouts(timeouts),
      m_channel(new CommandChannel(m_state, v.link, m_timeouts, this)),
      m_journal(new RouteJournal(m_state, this)), m_holds(new Holds(this)),
      m_commits(new CommitPath(m_state, *m_holds, v.questions, this))
{
    connect(m_channel, &CommandChannel::commandEnded, m_journal, &RouteJournal::noteCommand);
    // Before anything else reads the settings: a damaged file is reported to its first reader.
    m_holds->protects().restore();

    m_routing = new Routing(m_state, *m_channel, v.routing, *m_commits, this);
    m_grouping = new Grouping(m_state, *m_channel, v.grouping, this);
    m_statusRead = new StatusRead(m_state, *m_channel, v.status, v.statusRead, *m_routing,
                                  *m_grouping, m_journal, this);
    m_presets =
        new Presets(m_state, *m_channel, v.presets, *m_commits, *m_routing, *m_statusRead, this);
    m_sequencer = new Sequencer(m_state, v.sequencing, m_timeouts.SeqSecondMs, *m_presets,
                                *m_commits, *m_channel, m_journal, this);
    m_undoTake = new UndoTake(m_state, *m_channel, *m_commits, *m_routing, *m_journal, this);
    m_follower = new FollowSwitcher(m_state, *m_channel, m_timeouts.FollowIntervalMs, v.follow,
                                    *m_routing, *m_statusRead, *m_journal, this);
    m_commits->setFollower(m_follower);
    m_journal->watch(m_follower->switcherRoutes());
    m_routing->join(*m_presets, *m_undoTake, *m_follower, *m_journal);
    m_labels = std::make_unique<Labels>(v.labels);
    m_configActions =
        new ConfigActions(m_state, v.config, *m_labels, *m_routing, *m_grouping, this);
    m_serialLink = new SerialLink(*m_channel, v.link, v.linkWindow, this);
    m_ethernetLink = new EthernetLink(*m_channel, v.link, *m_serialLink, v.linkWindow, this);
    m_systemCommands = std::make_unique<SystemCommands>(m_state, *m_channel, *m_ethernetLink,
                                                        v.system, *m_journal);
}

void Core::initState()
{
    InitMatrixState(m_state,
                    {[this] { m_configActions->GatherLabels(); },
                     [this] { m_grouping->InitGroups(); }, [this] { m_presets->InitPresets(); }});
}

Core::~Core() = default;

RemoteConsole &Core::remote()
{
    if (!m_remote)
        m_remote = std::make_unique<CoreRemote>(*this);
    return *m_remote;
}

} // namespace kv
