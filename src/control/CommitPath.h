#pragma once
// Every change bound for the switcher is weighed here before it is sent: the outputs it moves
// itself, the temporary routes made elsewhere that its "TAKE 1" would commit besides, and the
// holds on all of them. The operator is asked where a question fits; work nobody can be asked
// about gets the reason it may not go on.

#include "control/Holds.h"
#include "state/MatrixState.h"

#include <QList>
#include <QObject>
#include <QString>

namespace kv {

class FollowSwitcher;

struct Intent {
    QString what;          // "Take", "Preset 2", "Saving preset 3", ...
    QList<int> moves;      // outputs (0-based) the change itself moves
    bool takesAll = false; // sends "TAKE 1": every temporary route on the switcher goes on air
    QString verb;          // the question's last words: "Take" gives "Take it anyway?"
};

class CommitPath : public QObject {
    Q_OBJECT
public:
    CommitPath(const MatrixState &state, Holds &holds, HoldQuestions &questions,
               QObject *parent = nullptr);

    Holds &holds() { return m_holds; }
    // Temporary routes made elsewhere are known while following runs.
    void setFollower(FollowSwitcher *follower) { m_follower = follower; }

    // Asks the operator about what holds the change back; false: send nothing.
    bool mayCommit(const Intent &intent);
    // Why work nobody is asked about may not go on; empty when it may. owner's own locks do
    // not hold it.
    QString refusal(const Intent &intent, const QString &owner = {}) const;

    // The outputs pending at this console, and the outputs a preset would move.
    QList<int> pendingOutputs() const;
    QList<int> presetMoves(int preset) const;
    // The temporary routes made elsewhere that a "TAKE 1" would commit.
    QList<int> madeElsewhere() const;

private:
    QList<int> affected(const Intent &intent) const;

    const MatrixState &m_state;
    Holds &m_holds;
    HoldQuestions &m_questions;
    FollowSwitcher *m_follower = nullptr;
};

} // namespace kv
