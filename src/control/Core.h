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
#include <utility>

namespace kv {

class LinkHost;

class Core : public QObject {
    Q_OBJECT
public:
    Core(LinkHost &host, HoldQuestions &questions, const Timeouts &timeouts,
         QObject *parent = nullptr);

    MatrixState &state() { return m_state; }
    const MatrixState &state() const { return m_state; }
    CommandChannel &channel() { return *m_channel; }
    const CommandChannel &channel() const { return *m_channel; }
    RouteJournal &journal() { return *m_journal; }
    Holds &holds() { return *m_holds; }
    CommitPath &commits() { return *m_commits; }
    const Timeouts &timeouts() const { return m_timeouts; }

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
    int m_actingDepth = 0;
};

} // namespace kv
