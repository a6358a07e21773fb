#include "control/Core.h"

namespace kv {

Core::Core(LinkHost &host, HoldQuestions &questions, const Timeouts &timeouts, QObject *parent)
    : QObject(parent), m_timeouts(timeouts),
      m_channel(new CommandChannel(m_state, host, m_timeouts, this)),
      m_journal(new RouteJournal(m_state, this)), m_holds(new Holds(this)),
      m_commits(new CommitPath(m_state, *m_holds, questions, this))
{
    connect(m_channel, &CommandChannel::commandEnded, m_journal, &RouteJournal::noteCommand);
    // Before anything else reads the settings: a damaged file is reported to its first reader.
    m_holds->protects().restore();
}

} // namespace kv
