#include "control/Routing.h"

#include "control/CommitPath.h"
#include "control/FollowSwitcher.h"
#include "control/Presets.h"
#include "control/RouteJournal.h"
#include "control/UndoTake.h"

#include "link/CommandChannel.h"
#include "protocol/Commands.h"

#include <QStringList>

namespace kv {

QString ModelCaption(std::uint8_t modelCode)
{
    switch (modelCode) {
    case 10: return QStringLiteral("Orvask Delvane, LLC :- KV Control HD SDI (8 x 8)");
    case 11: return QStringLiteral("Orvask Delvane, LLC :- KV Control HD SDI (16 x 16)");
    case 12: return QStringLiteral("Orvask Delvane, LLC :- KV Control SD SDI (16 x 16)");
    case 20: return QStringLiteral("Orvask Delvane, LLC :- KV Control HD-15 (16 x 16)");
    default: return {};
    }
}

Routing::Routing(MatrixState &state, CommandChannel &channel, RoutingView &view,
                 CommitPath &commits, QObject *parent)
    : QObject(parent), m_state(state), m_channel(channel), m_view(view), m_commits(commits)
{
}

void Routing::SelectOutput(int output)
{
    if (output == m_state.SelectedOutput)
        return;
    // Outputs beyond the model are never selected, so no command can name them.
    if (output < 0 || output >= OutputsOf(m_state))
        return;
    for (int o = 0; o < kMaxPorts; ++o)
        m_view.paintOutputButton(o, Shade::Face);
    m_view.paintOutputButton(output, Shade::Yellow);
    m_state.SelectedOutput = output;
    HighlightRoutedInput(output);
    ApplyGroupRestriction(output);
}

void Routing::HighlightRoutedInput(int output)
{
    if (output == UNASSIGNED || !IsPortIndex(output))
        return;
    const std::uint8_t saved = m_state.SuppressCommands;
    m_state.SuppressCommands = 1;
    const int routed = m_state.Routes[output].Input;
    for (int i = 0; i < kMaxPorts; ++i)
        m_view.paintInputButton(i, i == routed ? Shade::Yellow : Shade::Face);
    m_state.SuppressCommands = saved;
}

bool InputAllowedFor(const MatrixState &s, int output, int input)
{
    if (!IsPortIndex(output) || input < 0 || input >= InputsOf(s))
        return false;
    const GroupTable &groups = s.Groups;
    const int g = groups.OutputGroup[output];
    // A group number out of range (as a switcher may report) counts as no group.
    const bool ownGroup = g != UNASSIGNED && IsGroupIndex(g) && groups.GroupInputCount[g] != 0;
    return ownGroup ? groups.GroupInputs[g][input] == g : !InputInAnyGroup(groups, input);
}

void Routing::ApplyGroupRestriction(int output)
{
    for (int i = 0; i < InputsOf(m_state); ++i)
        m_view.setInputButtonEnabled(i, InputAllowedFor(m_state, output, i));
}

void Routing::PaintInputIfPort(int input, Shade shade)
{
    if (IsPortIndex(input))
        m_view.paintInputButton(input, shade);
}

void Routing::RevertPending(int output)
{
    RouteEntry &r = m_state.Routes[output];
    r.Input = m_state.PreviousInput[output];
    r.Taken = 1;
}

void Routing::RouteInput(int input)
{
    const int o = m_state.SelectedOutput;
    if (o == UNASSIGNED || !IsPortIndex(o))
        return;
    if (input < 0 || input >= InputsOf(m_state))
        return;
    // Any input clicked during a preview withdraws the whole preview, as its Cancel does, and
    // routes nothing: a route made into a preview would go on air as the preset on Take.
    if (m_state.PresetPreviewPending != 0 && WithdrawPreview())
        return;
    if (Protected(o)) {
        emit status(QStringLiteral("Output %1 is protected").arg(o + 1));
        return;
    }
    if (Locked(o)) {
        emit status(QStringLiteral("Output %1 is locked by remote client %2")
                        .arg(o + 1)
                        .arg(m_commits.holds().lockOwner(o)));
        return;
    }
    RouteEntry &route = m_state.Routes[o];
    const int current = route.Input;
    const int previous = m_state.PreviousInput[o];

    if (input != current) {
        route.Input = std::uint8_t(input);
        if (previous != input)
            route.Taken = 0;
        for (int i = 0; i < kMaxPorts; ++i)
            m_view.paintInputButton(i, Shade::Face);
        m_view.paintInputButton(input, Shade::Yellow);
        UpdateVideoLabelText(o);
        UpdateVideoLabelColour(o);
        SendRouteTemp(m_channel, o, input);
    } else if (current != previous) {
        // "TAKE 0" drops every temporary route on the switcher, so every pending output
        // falls back here too, not only the one clicked.
        m_view.paintInputButton(input, Shade::Face);
        PaintInputIfPort(previous, Shade::Yellow);
        RevertPending(o);
        for (int other = 0; other < OutputsOf(m_state); ++other) {
            if (m_state.Routes[other].Taken == 0)
                RevertPending(other);
        }
        for (int other = 0; other < OutputsOf(m_state); ++other) {
            UpdateVideoLabelText(other);
            UpdateVideoLabelColour(other);
        }
        TakeCancel();
    } else {
        route.Input = UNASSIGNED;
        route.Taken = 0;
        m_view.paintInputButton(input, Shade::Face);
        UpdateVideoLabelText(o);
        UpdateVideoLabelColour(o);
        SendRouteTemp(m_channel, o, -1);
    }
}

void Routing::TakeCancel()
{
    SendTakeCancel(m_channel);
    if (m_follower)
        m_follower->foreignDropped();
}

void Routing::TakeRoutes()
{
    SendTakeCommit(m_channel);
    // Before this console's own routes are settled: they are not the ones made elsewhere.
    if (m_follower)
        m_follower->foreignTaken();
    CommitTemporaryRoutes();
}

void Routing::CommitTemporaryRoutes()
{
    const int outputs = OutputsOf(m_state);
    for (int o = 0; o < outputs; ++o) {
        RouteEntry &r = m_state.Routes[o];
        if (r.Taken == 0) {
            m_state.PreviousInput[o] = r.Input;
            r.Taken = 1;
        }
    }
    for (int o = 0; o < outputs; ++o)
        UpdateVideoLabelColour(o);
}

void Routing::CancelTake()
{
    // An undo shown but never sent goes back without a word to the switcher.
    if (m_undo)
        m_undo->CancelPending();
    for (int n = 0; n < kMaxPorts; ++n) {
        m_view.paintInputButton(n, Shade::Face);
        m_view.paintOutputButton(n, Shade::Face);
    }
    m_state.SelectedOutput = UNASSIGNED;

    const int outputs = OutputsOf(m_state);
    bool reverted = false;
    for (int o = 0; o < outputs; ++o) {
        if (m_state.Routes[o].Taken == 0) {
            RevertPending(o);
            reverted = true;
        }
    }
    for (int o = 0; o < outputs; ++o) {
        UpdateVideoLabelText(o);
        UpdateVideoLabelColour(o);
    }
    if (reverted)
        TakeCancel();
}

void Routing::ClearAllRoutes()
{
    for (int o = 0; o < OutputsOf(m_state); ++o) {
        if (Held(o)) {
            ClearUnprotectedRoutes();
            return;
        }
    }
    SendClearAll(m_channel);
    for (int o = 0; o < OutputsOf(m_state); ++o) {
        m_state.Routes[o] = RouteEntry{UNASSIGNED, 1};
        m_state.PreviousInput[o] = UNASSIGNED;
    }
    for (int n = 0; n < kMaxPorts; ++n) {
        m_view.paintInputButton(n, Shade::Face);
        m_view.paintOutputButton(n, Shade::Face);
    }
    m_state.SelectedOutput = UNASSIGNED;
    RefreshRoutingPage();
}

void Routing::ClearUnprotectedRoutes()
{
    // "CLEAR" would take the protected outputs off air too: the others are cleared one by
    // one and taken together.
    QStringList kept;
    bool locked = false;
    for (int o = 0; o < OutputsOf(m_state); ++o) {
        if (Held(o)) {
            locked = locked || Locked(o);
            kept << QString::number(o + 1);
            continue;
        }
        SendRouteTemp(m_channel, o, -1);
        m_state.Routes[o] = RouteEntry{UNASSIGNED, 1};
        m_state.PreviousInput[o] = UNASSIGNED;
    }
    // Its own "RTEMP o 0" replaced what was made elsewhere on the cleared outputs; the held
    // ones take theirs.
    SendTakeCommit(m_channel);
    if (m_follower)
        m_follower->foreignTaken();
    for (int n = 0; n < kMaxPorts; ++n) {
        m_view.paintInputButton(n, Shade::Face);
        m_view.paintOutputButton(n, Shade::Face);
    }
    m_state.SelectedOutput = UNASSIGNED;
    RefreshRoutingPage();
    emit status((locked
                     ? QStringLiteral("All routing cleared except protected or locked output(s) %1")
                     : QStringLiteral("All routing cleared except protected output(s) %1"))
                    .arg(kept.join(QStringLiteral(", "))));
}

void Routing::TakeSalvo(const QList<QPair<int, int>> &routes)
{
    const CommandChannel::Exchange exchange(m_channel);
    const BusyGuard busy(m_state);
    for (const auto &[o, i] : routes) {
        if (!IsPortIndex(o) || o >= OutputsOf(m_state) || i < 0 || i >= InputsOf(m_state))
            continue;
        m_state.Routes[o].Input = std::uint8_t(i);
        m_state.Routes[o].Taken = 0;
        UpdateVideoLabelText(o);
        SendRouteTemp(m_channel, o, i);
    }
    TakeRoutes();
    // The operator's selected output shows its new input.
    if (IsPortIndex(m_state.SelectedOutput))
        HighlightRoutedInput(m_state.SelectedOutput);
}

void Routing::SetReclocker(int output)
{
    if (output < 0 || output >= OutputsOf(m_state))
        return;
    m_state.Reclock[output] = m_view.reclockerTicked(output) ? 1 : 0;
    SendReclock(m_channel, output, m_state.Reclock[output]);
}

void Routing::UpdateVideoLabelText(int output)
{
    if (!IsPortIndex(output))
        return;
    const int input = m_state.Routes[output].Input;
    // A value out of range is shown as received; it is only ever printed, never an index.
    m_view.setVideoLabelText(output, input == UNASSIGNED ? QStringLiteral("--")
                                                         : QString::number(input + 1));
}

void Routing::UpdateVideoLabelColour(int output)
{
    if (!IsPortIndex(output))
        return;
    const RouteEntry &r = m_state.Routes[output];
    Shade shade = Shade::Red;
    if (r.Taken != 0)
        shade = r.Input == UNASSIGNED ? Shade::Face : Shade::Lime;
    m_view.paintVideoLabel(output, shade);
}

void Routing::UpdateReclockerCheckBox(int output)
{
    if (IsPortIndex(output))
        m_view.setReclockerTicked(output, m_state.Reclock[output] != 0);
}

void Routing::EnableOutputRow(int output, bool enabled)
{
    if (IsPortIndex(output))
        m_view.setOutputRowEnabled(output, enabled);
}

void Routing::EnableInputButton(int input, bool enabled)
{
    if (IsPortIndex(input))
        m_view.setInputButtonEnabled(input, enabled);
}

void Routing::RefreshRoutingPage()
{
    const QString caption = ModelCaption(m_state.Info.ModelCode);
    if (!caption.isEmpty())
        m_view.setCaption(caption);
    const int outputs = OutputsOf(m_state);
    for (int o = 0; o < outputs; ++o) {
        UpdateVideoLabelText(o);
        UpdateVideoLabelColour(o);
        UpdateReclockerCheckBox(o);
        EnableOutputRow(o, true);
    }
    for (int o = outputs; o < kMaxPorts; ++o)
        EnableOutputRow(o, false);
    const int inputs = InputsOf(m_state);
    for (int i = 0; i < kMaxPorts; ++i)
        EnableInputButton(i, i < inputs);
}

void Routing::OutputButtonClick(int n)
{
    const BusyGuard busy(m_state);
    if (!busy)
        return;
    SelectOutput(n - 1);
}

void Routing::InputButtonClick(int n)
{
    const BusyGuard busy(m_state);
    if (!busy)
        return;
    RouteInput(n - 1);
}

void Routing::ReclockerCheckBoxClick(int n)
{
    // A redraw ticks the boxes too; these guards keep it from sending.
    if (m_state.SuppressCommands == 1)
        return;
    const BusyGuard busy(m_state);
    if (!busy)
        return;
    SetReclocker(n - 1);
}

bool Routing::WithdrawPreview()
{
    if (m_state.PresetPreviewPending == 0 || !m_presets)
        return false;
    const RouteJournal::Scope scope(m_journal, m_presets->previewOrigin());
    m_presets->PresetRecallCancelButtonClick();
    return true;
}

void Routing::join(Presets &presets, UndoTake &undo, FollowSwitcher &follower,
                   RouteJournal &journal)
{
    m_presets = &presets;
    m_undo = &undo;
    m_follower = &follower;
    m_journal = &journal;
}

bool Routing::UndoShown() const { return m_undo && m_undo->pending(); }

void Routing::CommitAfterTake()
{
    if (m_follower)
        m_follower->foreignTaken();
    CommitTemporaryRoutes();
}

bool Routing::Protected(int output) const { return m_commits.holds().isProtected(output); }

bool Routing::Locked(int output) const { return !m_commits.holds().lockOwner(output).isEmpty(); }

void Routing::TakeButtonClick()
{
    m_view.setTakeLamp(true);
    if (m_state.PresetPreviewPending != 0 && m_presets) {
        const RouteJournal::Scope scope(m_journal, m_presets->previewOrigin());
        m_presets->PresetRecallConfirmButtonClick();
    } else if (!m_undo || !m_undo->TakePending()) {
        // A pending undo asks for itself.
        if (m_commits.mayCommit(
                {QStringLiteral("Take"), m_commits.pendingOutputs(), true, QStringLiteral("Take")}))
            TakeRoutes();
    }
    m_view.setTakeLamp(false);
}

void Routing::CancelTakeButtonClick()
{
    if (!WithdrawPreview())
        CancelTake();
}

void Routing::ClearAllRoutingButtonClick()
{
    if (m_state.Busy == 1)
        return;
    // The preview goes first, with Busy free, as its own Cancel would run.
    WithdrawPreview();
    // With nothing pending here, no "TAKE 0" drops the temporary routes made elsewhere, and
    // the "TAKE 1" that keeps held outputs on air would commit them.
    if (m_commits.pendingOutputs().isEmpty() &&
        !m_commits.mayCommit(
            {QStringLiteral("Clear All Routing"), {}, true, QStringLiteral("Clear")}))
        return;
    const BusyGuard busy(m_state);
    CancelTake();
    ClearAllRoutes();
}

} // namespace kv
