// Held outputs on the window: the padlocks on the output buttons, protecting from their menu
// or Ctrl+P, forcing a lock free, and the note when protects cannot be kept. What a hold
// means to a change is the core's (CommitPath, Holds).

#include "app/MatrixForm.h"
#include "control/Core.h"

#include "app/RemoteControl.h"
#include "control/Holds.h"
#include "control/Routing.h"
#include "ui/HoldMarks.h"
#include "ui/SwitchingPage.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

namespace kv {

void TMatrixForm::wireHolds()
{
    m_holdMarks = new HoldMarks(*ControlTabSheet);

    // Stays until a save succeeds: a passing message would be gone with the first command.
    auto *settingsNote = new QLabel;
    settingsNote->setObjectName(QStringLiteral("SettingsStatusLabel"));
    MainStatusBar->addPermanentWidget(settingsNote);
    const auto note = [settingsNote](const QString &text) {
        settingsNote->setText(text);
        settingsNote->setVisible(!text.isEmpty());
    };
    note(m_core->holds().protects().problem());
    connect(&m_core->holds().protects(), &ProtectedOutputs::settingsProblem, settingsNote, note);

    // Protects: set from the output button's menu or Ctrl+P, remembered, shown.
    for (int o : m_core->holds().protects().all())
        m_holdMarks->setProtected(o, true);
    connect(&m_core->holds().protects(), &ProtectedOutputs::changed, this, [this](int o, bool on) {
        m_holdMarks->setProtected(o, on);
        MainStatusBar->showMessage(
            (on ? QStringLiteral("Output %1 protected") : QStringLiteral("Output %1 released"))
                .arg(o + 1));
        tellRemoteClients();
    });
    connect(m_holdMarks, &HoldMarks::toggleRequested, this,
            gated<int>([this](int n) { m_core->holds().protects().toggle(n - 1); }));
    connect(m_menu.ProtectSelected1, &QAction::triggered, this, gated([this] {
                const MatrixState &s = m_core->state();
                if (s.SelectedOutput >= 0 && s.SelectedOutput < OutputsOf(s))
                    m_core->holds().protects().toggle(s.SelectedOutput);
                else
                    MainStatusBar->showMessage(QStringLiteral("Select an output first"));
            }));
    connect(&m_core->routing(), &Routing::status, MainStatusBar,
            [this](const QString &text) { MainStatusBar->showMessage(text); });

    // Locks: shown as clients take them, freed from the output button's menu.
    connect(&m_core->holds(), &Holds::locksChanged, this, [this] {
        for (int o = 0; o < kMaxPorts; ++o)
            m_holdMarks->setLockedBy(o, m_core->holds().lockOwner(o));
    });
    connect(m_holdMarks, &HoldMarks::forceUnlockRequested, this,
            gated<int>([this](int n) { m_remoteControl->askForceUnlock(n - 1); }));
}

} // namespace kv
