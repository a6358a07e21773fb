// Held outputs: those the operator protects here and those a remote client has locked. Both
// show on the output buttons. A click on one is refused, and a recall, a sequence, an undo or
// a Take that would move one asks first. A protect is passed by answering Yes; a lock is
// forced free. A running sequence never stops for a question: a step that would move a
// held output is left out.

#include "app/MatrixForm.h"

#include "app/RemoteControl.h"

#include "control/Presets.h"
#include "control/CommitPath.h"
#include "control/Holds.h"
#include "control/Routing.h"
#include "control/Sequencer.h"
#include "control/UndoTake.h"
#include "ui/Dialogs.h"
#include "ui/HoldMarks.h"
#include "ui/SwitchingPage.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QStringList>

#include <algorithm>
#include <memory>

namespace kv
{


void TMatrixForm::wireHolds()
{
    holdMarks = new HoldMarks(*ControlTabSheet);

    // Stays until a save succeeds: a passing message would be gone with the first command.
    auto *settingsNote = new QLabel;
    settingsNote->setObjectName(QStringLiteral("SettingsStatusLabel"));
    MainStatusBar->addPermanentWidget(settingsNote);
    const auto note = [settingsNote](const QString &text) {
        settingsNote->setText(text);
        settingsNote->setVisible(!text.isEmpty());
    };
    note(protectedOutputs->problem());
    connect(protectedOutputs, &ProtectedOutputs::settingsProblem, settingsNote, note);

    // Protects: set from the output button's menu or Ctrl+P, remembered, shown.
    for (int o : protectedOutputs->all())
        holdMarks->setProtected(o, true);
    connect(protectedOutputs, &ProtectedOutputs::changed, this, [this](int o, bool on) {
        holdMarks->setProtected(o, on);
        MainStatusBar->showMessage(
            (on ? QStringLiteral("Output %1 protected") : QStringLiteral("Output %1 released"))
                .arg(o + 1));
        tellRemoteClients();
    });
    connect(holdMarks, &HoldMarks::toggleRequested, this,
            gated<int>([this](int n) { protectedOutputs->toggle(n - 1); }));
    connect(m_menu.ProtectSelected1, &QAction::triggered, this, gated([this] {
                if (m_state.SelectedOutput >= 0 && m_state.SelectedOutput < OutputsOf(m_state))
                    protectedOutputs->toggle(m_state.SelectedOutput);
                else
                    MainStatusBar->showMessage(QStringLiteral("Select an output first"));
            }));
    routing->showStatus = [this](const QString &text) { MainStatusBar->showMessage(text); };

    // Locks: shown as clients take them, freed from the output button's menu.
    connect(holds, &Holds::locksChanged, this, [this] {
        for (int o = 0; o < kMaxPorts; ++o)
            holdMarks->setLockedBy(o, holds->lockOwner(o));
    });
    connect(holdMarks, &HoldMarks::forceUnlockRequested, this,
            gated<int>([this](int n) { remoteControl->askForceUnlock(n - 1); }));

    // The protects a Start was answered Yes for: its run may move them.
    auto passedForRun = std::make_shared<QList<int>>();
    sequencer->MayStart = [this, passedForRun](const QList<int> &presetList) {
        QList<int> outputs;
        for (int p : presetList)
            for (int o : commits->presetMoves(p))
                if (!outputs.contains(o))
                    outputs << o;
        std::sort(outputs.begin(), outputs.end());
        if (!commits->mayCommit({QStringLiteral("The preset sequence"), outputs, false,
                                 QStringLiteral("Start")}))
            return false;
        passedForRun->clear();
        for (int o : outputs)
            if (protectedOutputs->isProtected(o))
                *passedForRun << o;
        return true;
    };
    // A lock or a protect taken while the run goes on: its step would break it, and a
    // question would hold the run, so the step is left out.
    auto recall = sequencer->RecallPreset;
    sequencer->RecallPreset = [this, recall, passedForRun](int p) {
        QList<int> outputs;
        for (int o : commits->presetMoves(p))
            if (!passedForRun->contains(o) || !holds->lockOwner(o).isEmpty())
                outputs << o;
        const QString why = commits->refusal({QStringLiteral("Sequence step"), outputs, false, {}});
        if (why.isEmpty()) {
            recall(p);
            return;
        }
        MainStatusBar->showMessage(QStringLiteral("Sequence step %1 skipped: %2")
                                       .arg(sequencer->PresetSeqIndex + 1)
                                       .arg(why));
    };

}

} // namespace kv
