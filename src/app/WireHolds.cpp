// Held outputs: those the operator protects here and those a remote client has locked. Both
// show on the output buttons. A click on one is refused, and a recall, a sequence, an undo or
// a Take that would move one asks first. A protect is passed by answering Yes; a lock is
// forced free. A running sequence never stops for a question: a step that would move a
// locked output is left out.

#include "app/MatrixForm.h"

#include "app/RemoteControl.h"

#include "control/Presets.h"
#include "control/ProtectedOutputs.h"
#include "control/Routing.h"
#include "control/Sequencer.h"
#include "control/UndoTake.h"
#include "remote/RemoteServer.h"
#include "ui/Dialogs.h"
#include "ui/HoldMarks.h"
#include "ui/SwitchingPage.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QStringList>

#include <algorithm>

namespace kv
{

namespace
{

// "output(s) 3, 5 locked by remote client 127.0.0.1:50000"
QString LockedText(const RemoteServer &server, const QList<int> &outputs)
{
    QStringList owners;
    for (int o : outputs)
        if (!owners.contains(server.lockOwner(o)))
            owners << server.lockOwner(o);
    return QStringLiteral("output(s) %1 locked by remote client %2")
        .arg(ProtectedOutputs::numbers(outputs), owners.join(QStringLiteral(", ")));
}

} // namespace

void TMatrixForm::wireHolds()
{
    RemoteServer *server = remoteServer;
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
    routing->isProtected = [this](int o) { return protectedOutputs->isProtected(o); };
    routing->showStatus = [this](const QString &text) { MainStatusBar->showMessage(text); };

    // Locks: shown as the server reports them, freed from the output button's menu.
    connect(server, &RemoteServer::locksChanged, this, [this] {
        for (int o = 0; o < kMaxPorts; ++o)
            holdMarks->setLockedBy(o, remoteServer->lockOwner(o));
    });
    connect(holdMarks, &HoldMarks::forceUnlockRequested, this,
            gated<int>([this](int n) { remoteControl->askForceUnlock(n - 1); }));
    routing->lockedBy = [server](int o) { return server->lockOwner(o); };

    const auto changedBy = [this](int p) {
        QList<int> list;
        if (p < 0 || p >= kPresetCount)
            return list;
        for (int o = 0; o < OutputsOf(m_state); ++o)
            if (PresetChangesOutput(m_state, m_state.Presets[p], o))
                list << o;
        return list;
    };
    const auto locked = [server](const QList<int> &outputs) {
        QList<int> list;
        for (int o : outputs)
            if (!server->lockOwner(o).isEmpty())
                list << o;
        return list;
    };
    // What would move these outputs asks once for the protected ones (Yes passes them) and
    // once for the locked ones (Yes frees them, and their owners are told).
    const auto mayChange = [this, server, locked](const QString &what, const QList<int> &outputs,
                                                  const QString &question) {
        QList<int> guarded;
        for (int o : outputs)
            if (protectedOutputs->isProtected(o))
                guarded << o;
        if (!guarded.isEmpty() && !Dialogs::instance().yesNo(
                                      this, kAppTitle,
                                      QStringLiteral("%1 would change protected output(s) %2. %3")
                                          .arg(what, ProtectedOutputs::numbers(guarded), question)))
            return false;
        const QList<int> held = locked(outputs);
        if (held.isEmpty())
            return true;
        if (!Dialogs::instance().yesNo(this, kAppTitle,
                                       QStringLiteral("%1 would change %2. Force the lock(s) free?")
                                           .arg(what, LockedText(*server, held))))
            return false;
        for (int o : held)
            server->forceUnlock(o);
        return true;
    };

    presets->hooks.MayConfirm = [mayChange, changedBy](int p) {
        return mayChange(QStringLiteral("Preset %1").arg(p + 1), changedBy(p),
                         QStringLiteral("Recall it anyway?"));
    };
    sequencer->MayStart = [mayChange, changedBy](const QList<int> &presetList) {
        QList<int> outputs;
        for (int p : presetList)
            for (int o : changedBy(p))
                if (!outputs.contains(o))
                    outputs << o;
        std::sort(outputs.begin(), outputs.end());
        return mayChange(QStringLiteral("The preset sequence"), outputs,
                         QStringLiteral("Start it anyway?"));
    };
    undoTake->hooks.MayChange = [mayChange](const QList<int> &outputs) {
        return mayChange(QStringLiteral("The undo"), outputs, QStringLiteral("Take it anyway?"));
    };
    // A lock taken while the run goes on: its step would break it, and a question would
    // hold the run, so the step is left out.
    auto recall = sequencer->RecallPreset;
    sequencer->RecallPreset = [this, recall, locked, changedBy](int p) {
        const QList<int> held = locked(changedBy(p));
        if (held.isEmpty()) {
            recall(p);
            return;
        }
        MainStatusBar->showMessage(QStringLiteral("Sequence step %1 skipped: %2")
                                       .arg(sequencer->PresetSeqIndex + 1)
                                       .arg(LockedText(*remoteServer, held)));
    };
    // A route made before its output was protected or locked. A pending undo asks for itself.
    auto take = routing->mayTake;
    routing->mayTake = [this, take, mayChange] {
        if (take && !take())
            return false;
        if (undoTake->pending())
            return true;
        QList<int> pending;
        for (int o = 0; o < OutputsOf(m_state); ++o)
            if (m_state.Routes[o].Taken == 0)
                pending << o;
        return mayChange(QStringLiteral("Take"), pending, QStringLiteral("Take it anyway?"));
    };
}

} // namespace kv
