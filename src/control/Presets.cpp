#include "control/Presets.h"

#include "control/CommitPath.h"
#include "control/Routing.h"
#include "control/StatusRead.h"
#include "protocol/Commands.h"

#include <cstring>

namespace kv {

namespace {
bool IsPresetIndex(int p) { return p >= 0 && p < kPresetCount; }

} // namespace

Presets::Presets(MatrixState &state, CommandChannel &channel, PresetView &view, CommitPath &commits,
                 Routing &routing, StatusRead &statusRead, QObject *parent)
    : QObject(parent), m_state(state), m_channel(channel), m_view(view), m_commits(commits),
      m_routing(routing), m_statusRead(statusRead)
{
}

void Presets::PresetsSaveButtonClick()
{
    m_view.setSaveCancelEnabled(true);
    m_view.setPresetPageVisible(true);
    m_view.setRecallEnabled(false);
    EnablePresetButtonsForSave();
}

void Presets::PresetSaveCancelButtonClick()
{
    m_view.setSaveCancelEnabled(false);
    m_view.setPresetPageVisible(false);
    m_view.setRecallEnabled(true);
}

void Presets::PresetsRecallButtonClick()
{
    m_view.setRecallCancelEnabled(true);
    m_view.setPresetPageVisible(true);
    m_view.setSaveEnabled(false);
    m_view.setSaveCancelEnabled(false);
    EnablePresetButtonsForRecall();
}

void Presets::PresetButtonClick(int n)
{
    const BusyGuard busy(m_state);
    if (!busy)
        return;
    ChoosePreset(n - 1, m_view.saveEnabled());
}

QString Presets::previewOrigin() const
{
    if (m_state.PresetPreviewPending != 0 && IsPresetIndex(m_state.SelectedPreset))
        return QStringLiteral("preset %1").arg(m_state.SelectedPreset + 1);
    return QStringLiteral("operator");
}

void Presets::InitPresets() { m_view.setPresetPageVisible(false); }

void Presets::EnablePresetButtonsForSave()
{
    for (int p = 0; p < kPresetCount; ++p)
        m_view.setPresetButtonEnabled(p, true);
}

void Presets::EnablePresetButtonsForRecall()
{
    for (int p = 0; p < kPresetCount; ++p)
        m_view.setPresetButtonEnabled(p, m_state.Presets[p].Stored != 0);
}

void Presets::ChoosePreset(int p, bool saving)
{
    if (!IsPresetIndex(p))
        return;
    m_state.SelectedPreset = p;
    if (saving) {
        SavePreset(p);
        return;
    }
    m_view.setConfirmEnabled(true);
    RecallPreset(p, true);
}

void Presets::SavePreset(int p)
{
    // A shown undo is not on the switcher: saving would store it and take it as on air.
    if (m_routing.UndoShown()) {
        emit status(QStringLiteral("Take or Cancel the pending change first"));
        return;
    }
    // Its "TAKE 1" commits what is pending here and what was made elsewhere.
    if (!m_commits.mayCommit({QStringLiteral("Saving preset %1").arg(p + 1),
                              m_commits.pendingOutputs(), true, QStringLiteral("Save")}))
        return;
    const QList<int> elsewhere = m_commits.madeElsewhere();
    for (PresetRecord &r : m_state.Presets)
        r.LastSaved = 0;
    PresetRecord &r = m_state.Presets[p];
    // Pending routes go into the preset as pending; the take below settles only the live ones.
    std::memcpy(r.Routes, m_state.Routes, sizeof r.Routes);
    m_state.PresetGroups[p] = m_state.Groups;
    r.ReclockMask = PackReclockMask(m_state.Reclock, m_state.OutputCount);
    r.Stored = 1;
    r.LastSaved = 1;
    m_routing.TakeRoutes();
    // What was made elsewhere went on air with the take, and so into the switcher's preset.
    for (int o : elsewhere)
        r.Routes[o] = m_state.Routes[o];
    SendPresetSave(m_channel, p);
    m_view.setRecallEnabled(true);
    m_view.setSaveCancelEnabled(false);
    m_view.setPresetPageVisible(false);
}

void Presets::RecallPreset(int p, bool preview)
{
    if (!IsPresetIndex(p))
        return;
    MatrixState &s = m_state;
    const int outputs = OutputsOf(s);
    if (s.PresetPreviewPending == 0) {
        for (int o = 0; o < outputs; ++o) {
            s.SavedPrevious[o] = s.PreviousInput[o];
            s.PreviousInput[o] = s.Routes[o].Input;
            s.SavedReclock[o] = s.Reclock[o];
            s.SavedTaken[o] = s.Routes[o].Taken;
        }
        s.SavedGroups = s.Groups;
    }
    std::memcpy(s.Routes, s.Presets[p].Routes, sizeof s.Routes);
    s.Groups = s.PresetGroups[p];
    UnpackReclockMask(s.Presets[p].ReclockMask, s.Reclock, s.OutputCount);

    if (preview) {
        s.PresetPreviewPending = 1;
        for (int o = 0; o < outputs; ++o)
            s.Routes[o].Taken = 0;
    } else {
        s.PresetPreviewPending = 0;
        SendPresetRecall(m_channel, p, 0);
        m_routing.CommitTemporaryRoutes();
        // The switcher now holds the preset: every output is settled on its recalled input,
        // so a later click is measured against that, not against the input before.
        for (int o = 0; o < outputs; ++o)
            s.PreviousInput[o] = s.Routes[o].Input;
        for (int o = 0; o < outputs; ++o)
            SendReclock(m_channel, o, s.Reclock[o]);
    }
    m_statusRead.RefreshAllPages();
    m_routing.HighlightRoutedInput(s.SelectedOutput);
}

void Presets::PanelAtRestAfterRecall()
{
    m_view.setPresetPageVisible(false);
    m_view.setSaveEnabled(true);
    m_view.setRecallCancelEnabled(false);
    m_view.setConfirmEnabled(false);
}

void Presets::PresetRecallConfirmButtonClick()
{
    const int p = m_state.SelectedPreset;
    if (m_state.PresetPreviewPending != 0 && IsPresetIndex(p) &&
        !m_commits.mayCommit({QStringLiteral("Preset %1").arg(p + 1), m_commits.presetMoves(p),
                              false, QStringLiteral("Recall")}))
        return;
    PanelAtRestAfterRecall();
    // A recall by the sequence may have replaced the preview meanwhile; confirming would
    // load on the switcher a preset the console no longer shows.
    if (m_state.PresetPreviewPending == 0 || !IsPresetIndex(m_state.SelectedPreset))
        return;
    SendPresetRecall(m_channel, m_state.SelectedPreset, 1);
    m_routing.CommitTemporaryRoutes();
    m_state.PresetPreviewPending = 0;
}

void Presets::PresetRecallCancelButtonClick()
{
    PanelAtRestAfterRecall();
    // With no preview shown there is nothing to withdraw; pending routes are the routing
    // page's own business.
    if (m_state.PresetPreviewPending == 0)
        return;
    MatrixState &s = m_state;
    for (int o = 0; o < OutputsOf(s); ++o) {
        if (s.Routes[o].Taken == 0) {
            s.Routes[o].Input = s.PreviousInput[o];
            s.Routes[o].Taken = s.SavedTaken[o];
            // The fallback of a route that was pending before the preview comes back too.
            s.PreviousInput[o] = s.SavedPrevious[o];
        }
        s.Reclock[o] = s.SavedReclock[o];
    }
    s.Groups = s.SavedGroups;
    m_statusRead.RefreshAllPages();
    m_routing.HighlightRoutedInput(s.SelectedOutput);
    s.PresetPreviewPending = 0;
}

} // namespace kv
