#include "control/UndoTake.h"
#include "control/CommitPath.h"
#include "control/RouteJournal.h"
#include "control/Routing.h"

#include "protocol/Commands.h"

namespace kv {

namespace {
constexpr int kNotMarked = -1;
}

UndoTake::UndoTake(MatrixState &state, CommandChannel &channel, CommitPath &commits,
                   Routing &routing, const RouteJournal &journal, QObject *parent)
    : QObject(parent), m_state(state), m_channel(channel), m_commits(commits), m_routing(routing),
      m_journal(journal)
{
    std::fill(std::begin(m_undoInput), std::end(m_undoInput), kNotMarked);
}

bool UndoTake::Marked(int o) const
{
    // Anything that has since changed the route (a click, a preview, a read) ends the undo
    // of that output.
    const RouteEntry &r = m_state.Routes[o];
    return m_undoInput[o] != kNotMarked && r.Taken == 0 && r.Input == m_undoInput[o];
}

bool UndoTake::pending() const
{
    if (m_state.PresetPreviewPending != 0)
        return false;
    for (int o = 0; o < OutputsOf(m_state); ++o)
        if (Marked(o))
            return true;
    return false;
}

QList<QPair<int, int>> UndoTake::Inverse() const
{
    QList<QPair<int, int>> inverse;
    const int outputs = OutputsOf(m_state), inputs = InputsOf(m_state);
    const QList<RouteChange> last = m_journal.lastConsoleTake();
    if (!last.isEmpty()) {
        for (const RouteChange &c : last) {
            const int o = c.output - 1, i = c.from == 0 ? UNASSIGNED : c.from - 1;
            if (o < 0 || o >= outputs || (i != UNASSIGNED && i >= inputs))
                continue;
            if (m_state.Routes[o].Input != i)
                inverse << qMakePair(o, i);
        }
        return inverse;
    }
    // Nothing taken here this session (a restart): the switcher's own previous inputs, as
    // the last read brought them, are one step back.
    for (int o = 0; o < outputs; ++o) {
        const RouteEntry &r = m_state.Routes[o];
        const int previous = m_state.PreviousInput[o];
        if (r.Taken != 0 && previous != r.Input && (previous == UNASSIGNED || previous < inputs))
            inverse << qMakePair(o, previous);
    }
    return inverse;
}

void UndoTake::UndoTake1Click()
{
    const BusyGuard busy(m_state);
    if (!busy)
        return;
    auto say = [this](const QString &text) { emit status(text); };
    bool anyPending = m_state.PresetPreviewPending != 0;
    for (int o = 0; o < OutputsOf(m_state); ++o)
        anyPending = anyPending || m_state.Routes[o].Taken == 0;
    if (anyPending) {
        say(QStringLiteral("Take or Cancel the pending change first"));
        return;
    }
    const QList<QPair<int, int>> inverse = Inverse();
    if (inverse.isEmpty()) {
        say(QStringLiteral("Nothing to undo"));
        return;
    }
    // The groups may have changed since: an undo routes only what a click could.
    for (const auto &[o, input] : inverse) {
        if (input != UNASSIGNED && !InputAllowedFor(m_state, o, input)) {
            say(QStringLiteral("Input %1 is not in the group of output %2")
                    .arg(input + 1)
                    .arg(o + 1));
            return;
        }
    }
    std::fill(std::begin(m_undoInput), std::end(m_undoInput), kNotMarked);
    for (const auto &[o, input] : inverse) {
        RouteEntry &r = m_state.Routes[o];
        m_original[o] = r.Input;
        // Settled on what it shows, whatever the switcher's previous input said.
        m_state.PreviousInput[o] = r.Input;
        r.Input = std::uint8_t(input);
        r.Taken = 0;
        m_undoInput[o] = input;
        m_routing.UpdateVideoLabelText(o);
        m_routing.UpdateVideoLabelColour(o);
    }
    say(QStringLiteral("Undo shown: Take sends it, Cancel withdraws it"));
}

bool UndoTake::TakePending()
{
    if (!pending())
        return false;
    QList<int> changed;
    for (int o = 0; o < OutputsOf(m_state); ++o)
        if (Marked(o))
            changed << o;
    // Its "TAKE 1" commits the temporary routes made elsewhere too.
    if (!m_commits.mayCommit({QStringLiteral("The undo"), changed, true, QStringLiteral("Take")}))
        return true;
    for (int o = 0; o < OutputsOf(m_state); ++o) {
        if (Marked(o))
            SendRouteTemp(m_channel, o, m_undoInput[o] == UNASSIGNED ? -1 : m_undoInput[o]);
    }
    SendTakeCommit(m_channel);
    std::fill(std::begin(m_undoInput), std::end(m_undoInput), kNotMarked);
    // Its "TAKE 1" committed the temporary routes made elsewhere as well.
    m_routing.CommitAfterTake();
    return true;
}

void UndoTake::CancelPending()
{
    for (int o = 0; o < OutputsOf(m_state); ++o) {
        if (!Marked(o))
            continue;
        m_state.Routes[o] = RouteEntry{m_original[o], 1};
        m_state.PreviousInput[o] = m_original[o];
        m_routing.UpdateVideoLabelText(o);
        m_routing.UpdateVideoLabelColour(o);
    }
    std::fill(std::begin(m_undoInput), std::end(m_undoInput), kNotMarked);
}

} // namespace kv
