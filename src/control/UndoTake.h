#pragma once
// "Undo Last Take": the inverse of the last change taken from this console, shown as a
// pending change the way a preset preview is (red labels with the old inputs, nothing
// sent). Take sends it as temporary routes and one take; Cancel puts it back unsent.

#include "state/MatrixState.h"
#include "state/RouteChange.h"

#include <QList>
#include <QObject>
#include <QString>

namespace kv {

class CommandChannel;
class CommitPath;
class RouteJournal;
class Routing;

class UndoTake : public QObject {
    Q_OBJECT
public:
    UndoTake(MatrixState &state, CommandChannel &channel, CommitPath &commits, Routing &routing,
             const RouteJournal &journal, QObject *parent = nullptr);

    void UndoTake1Click();
    // Sends the pending undo; false when none is pending.
    bool TakePending();
    // Puts a pending undo back, sending nothing.
    void CancelPending();
    bool pending() const;

signals:
    void status(const QString &text);

private:
    // The inverse as (output, input) pairs, 0-based, input UNASSIGNED for none.
    QList<QPair<int, int>> Inverse() const;
    bool Marked(int o) const;

    MatrixState &m_state;
    CommandChannel &m_channel;
    CommitPath &m_commits;
    Routing &m_routing;
    const RouteJournal &m_journal;
    int m_undoInput[kMaxPorts];
    std::uint8_t m_original[kMaxPorts] = {};
};

} // namespace kv
