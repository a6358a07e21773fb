#include "control/Grouping.h"

#include "protocol/Commands.h"

namespace kv {

Grouping::Grouping(MatrixState &state, CommandChannel &channel, GroupingView &view, QObject *parent)
    : QObject(parent), m_state(state), m_channel(channel), m_view(view)
{
}

int Grouping::currentGroup() const
{
    const int g = m_view.selectedGroup();
    return IsGroupIndex(g) ? g : 0;
}

void Grouping::GroupingRadioGroupClick()
{
    m_view.setOutputFirstVisible(false);
    ShowGroup(currentGroup());
}

void Grouping::GroupInputButtonClick(int n)
{
    const BusyGuard busy(m_state);
    if (!busy)
        return;
    ToggleGroupInput(currentGroup(), n - 1);
}

void Grouping::GroupOutputButtonClick(int n)
{
    const BusyGuard busy(m_state);
    if (!busy)
        return;
    ToggleGroupOutput(currentGroup(), n - 1);
}

void Grouping::GroupingRemoveButtonClick()
{
    const BusyGuard busy(m_state);
    if (!busy)
        return;
    RemoveGroup(currentGroup());
}

void Grouping::GroupingRemoveAllButtonClick()
{
    const BusyGuard busy(m_state);
    if (!busy)
        return;
    RemoveAllGroups();
}

void Grouping::InitGroups()
{
    m_view.selectGroup(0);
    UpdateGroupExistBoxes();
    ShowGroup(0);
}

void Grouping::ShowLoadedGroups()
{
    m_view.selectGroup(0);
    ShowGroup(0);
    UpdateGroupExistBoxes();
}

void Grouping::ShowGroup(int g)
{
    if (!IsGroupIndex(g))
        return;
    const GroupTable &t = m_state.Groups;
    for (int o = 0; o < OutputsOf(m_state); ++o)
        EnableGroupOutputButton(o, t.OutputGroup[o] == UNASSIGNED || t.OutputGroup[o] == g);
    for (int i = 0; i < InputsOf(m_state); ++i)
        EnableGroupInputButton(i, !InputInAnyGroup(m_state.Groups, i, g));
    ColourGroupInputs(g);
    ColourGroupOutputs(g);
}

void Grouping::UpdateGroupExistBoxes()
{
    const GroupTable &t = m_state.Groups;
    for (int g = 0; g < kGroupCount; ++g)
        m_view.setGroupExistTicked(g, t.GroupMemberCount[g] >= 1 && t.GroupOutputCount[g] >= 1);
}

void Grouping::ToggleGroupInput(int g, int i)
{
    if (!IsGroupIndex(g) || i < 0 || i >= InputsOf(m_state))
        return;
    GroupTable &t = m_state.Groups;
    if (t.GroupOutputCount[g] < 1) {
        m_view.setOutputFirstVisible(true);
        return;
    }
    // Another group's input has a disabled button; a caller reaching it anyway changes nothing.
    if (InputInAnyGroup(m_state.Groups, i, g))
        return;
    if (t.GroupInputCount[g] > 0 && t.GroupInputs[g][i] == g) {
        t.GroupInputs[g][i] = UNASSIGNED;
        --t.GroupMemberCount[g];
        --t.GroupInputCount[g];
        ColourGroupInputs(g);
        SendGroupDelete(m_channel, g, kNoSide, i);
    } else {
        t.GroupInputs[g][i] = std::uint8_t(g);
        ++t.GroupMemberCount[g];
        ++t.GroupInputCount[g];
        ColourGroupInputs(g);
        SendGroupAdd(m_channel, g, kNoSide, i);
    }
    UpdateGroupExistBoxes();
}

void Grouping::ToggleGroupOutput(int g, int o)
{
    if (!IsGroupIndex(g) || o < 0 || o >= OutputsOf(m_state))
        return;
    GroupTable &t = m_state.Groups;
    if (t.OutputGroup[o] == g) {
        t.OutputGroup[o] = UNASSIGNED;
        --t.GroupOutputCount[g];
        // A group cannot live without an output: it goes with its inputs, GCLEAR alone.
        if (t.GroupOutputCount[g] < 1) {
            RemoveGroup(g);
        } else {
            --t.GroupMemberCount[g];
            ColourGroupOutputs(g);
            SendGroupDelete(m_channel, g, o, kNoSide);
        }
    } else {
        if (t.OutputGroup[o] != UNASSIGNED)
            return; // another group's output: its button is disabled
        m_view.setOutputFirstVisible(false);
        t.OutputGroup[o] = std::uint8_t(g);
        ++t.GroupMemberCount[g];
        ++t.GroupOutputCount[g];
        ColourGroupOutputs(g);
        SendGroupAdd(m_channel, g, o, kNoSide);
    }
    UpdateGroupExistBoxes();
}

void Grouping::DissolveGroup(int g)
{
    GroupTable &t = m_state.Groups;
    t.GroupMemberCount[g] = t.GroupInputCount[g] = t.GroupOutputCount[g] = 0;
    ShowGroup(g);
    UpdateGroupExistBoxes();
    for (int i = 0; i < InputsOf(m_state); ++i)
        if (t.GroupInputs[g][i] == g)
            t.GroupInputs[g][i] = UNASSIGNED;
    for (int o = 0; o < OutputsOf(m_state); ++o)
        if (t.OutputGroup[o] == g)
            t.OutputGroup[o] = UNASSIGNED;
    ColourGroupInputs(g);
    ColourGroupOutputs(g);
}

void Grouping::RemoveGroup(int g)
{
    if (!IsGroupIndex(g) || m_state.Groups.GroupMemberCount[g] <= 0)
        return;
    DissolveGroup(g);
    SendGroupClear(m_channel, g);
}

void Grouping::RemoveAllGroups()
{
    for (int g = 0; g < kGroupCount; ++g)
        if (m_state.Groups.GroupMemberCount[g] > 0)
            DissolveGroup(g);
    SendGroupClear(m_channel, kAllGroups);
}

void Grouping::RefreshGroupingPage()
{
    m_view.setPlainGroupItems();
    const GroupTable &t = m_state.Groups;
    for (int g = 0; g < kGroupCount; ++g) {
        m_view.setGroupExistTicked(g, t.GroupMemberCount[g] >= 1);
        m_view.setGroupExistBoxEnabled(g, true);
    }
    const int inputs = InputsOf(m_state), outputs = OutputsOf(m_state);
    for (int i = 0; i < kMaxPorts; ++i)
        EnableGroupInputButton(i, i < inputs);
    for (int o = 0; o < kMaxPorts; ++o)
        EnableGroupOutputButton(o, o < outputs);
    m_view.selectGroup(0);
    GroupingRadioGroupClick();
}

void Grouping::ColourGroupInputs(int g)
{
    if (!IsGroupIndex(g))
        return;
    for (int i = 0; i < InputsOf(m_state); ++i)
        m_view.paintGroupInputButton(i, m_state.Groups.GroupInputs[g][i] == g ? Shade::Yellow
                                                                              : Shade::Face);
}

void Grouping::ColourGroupOutputs(int g)
{
    if (!IsGroupIndex(g))
        return;
    for (int o = 0; o < OutputsOf(m_state); ++o)
        m_view.paintGroupOutputButton(o, m_state.Groups.OutputGroup[o] == g ? Shade::Yellow
                                                                            : Shade::Face);
}

void Grouping::EnableGroupInputButton(int i, bool enabled)
{
    if (IsPortIndex(i))
        m_view.setGroupInputButtonEnabled(i, enabled);
}

void Grouping::EnableGroupOutputButton(int o, bool enabled)
{
    if (IsPortIndex(o))
        m_view.setGroupOutputButtonEnabled(o, enabled);
}

} // namespace kv
