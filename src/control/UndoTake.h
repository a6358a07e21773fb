#pragma once
// "Undo Last Take": the inverse of the last change taken from this console, shown as a
// pending change the way a preset preview is (red labels with the old inputs, nothing
// sent). Take sends it as temporary routes and one take; Cancel puts it back unsent.

#include "state/MatrixState.h"
#include "state/RouteChange.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

namespace kv {

class CommandChannel;
class CommitPath;

struct UndoHooks {
    // The taken changes to invert; empty: none known this session.
    std::function<QList<RouteChange>()> LastTake;
    std::function<void(int output)> RedrawRoute; // label text and colour, 0-based
    std::function<void()> CommitTemporaryRoutes;
    std::function<void(const QString &)> ShowStatus;
};

class UndoTake : public QObject {
    Q_OBJECT
public:
    UndoTake(MatrixState &state, CommandChannel &channel, CommitPath &commits,
             QObject *parent = nullptr);

    UndoHooks hooks;

    void UndoTake1Click();
    // Sends the pending undo; false when none is pending.
    bool TakePending();
    // Puts a pending undo back, sending nothing.
    void CancelPending();
    bool pending() const;

private:
    // The inverse as (output, input) pairs, 0-based, input UNASSIGNED for none.
    QList<QPair<int, int>> Inverse() const;
    bool Marked(int o) const;

    MatrixState &m_state;
    CommandChannel &m_channel;
    CommitPath &m_commits;
    int m_undoInput[kMaxPorts];
    std::uint8_t m_original[kMaxPorts] = {};
};

} // namespace kv
