// Remote clients' locks as the operator meets them: a blue padlock on the output button, a
// question before a recall, a sequence, an undo or a Take would move a locked output, and a
// sequence step that would move one skipped rather than stopping the run for a question.

#include "app/MatrixForm.h"

#include "control/Presets.h"
#include "control/ProtectedOutputs.h"
#include "control/Routing.h"
#include "control/Sequencer.h"
#include "control/UndoTake.h"
#include "remote/RemoteServer.h"
#include "ui/Dialogs.h"
#include "ui/HoldMarks.h"

#include <QStatusBar>
#include <QStringList>

namespace kv {

namespace {

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

void TMatrixForm::wireLocks()
{
    RemoteServer *server = remoteServer;
    connect(server, &RemoteServer::locksChanged, this, [this] {
        for (int o = 0; o < kMaxPorts; ++o)
            holdMarks->setLockedBy(o, remoteServer->lockOwner(o));
    });
    connect(holdMarks, &HoldMarks::forceUnlockRequested, this,
            gated<int>([this](int n) { askForceUnlock(n - 1); }));

    const auto locked = [server](const QList<int> &outputs) {
        QList<int> list;
        for (int o : outputs)
            if (!server->lockOwner(o).isEmpty())
                list << o;
        return list;
    };
    const auto changedBy = [this](int p) {
        QList<int> list;
        if (p < 0 || p >= kPresetCount)
            return list;
        for (int o = 0; o < OutputsOf(m_state); ++o)
            if (PresetChangesOutput(m_state, m_state.Presets[p], o))
                list << o;
        return list;
    };
    // Yes frees every lock in the way; the owners are told.
    const auto mayForce = [this, server, locked](const QString &what, const QList<int> &outputs) {
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

    auto confirm = presets->hooks.MayConfirm;
    presets->hooks.MayConfirm = [confirm, mayForce, changedBy](int p) {
        return (!confirm || confirm(p)) && mayForce(QStringLiteral("Preset %1").arg(p + 1), changedBy(p));
    };
    auto start = sequencer->MayStart;
    sequencer->MayStart = [start, mayForce, changedBy](const QList<int> &presetList) {
        if (start && !start(presetList))
            return false;
        QList<int> outputs;
        for (int p : presetList)
            for (int o : changedBy(p))
                if (!outputs.contains(o))
                    outputs << o;
        std::sort(outputs.begin(), outputs.end());
        return mayForce(QStringLiteral("The preset sequence"), outputs);
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
    UndoHooks &u = undoTake->hooks;
    auto undo = u.MayChange;
    u.MayChange = [undo, mayForce](const QList<int> &outputs) {
        return (!undo || undo(outputs)) && mayForce(QStringLiteral("The undo"), outputs);
    };
    // A route made before its output was locked. A pending undo asks for itself.
    auto take = routing->mayTake;
    routing->mayTake = [this, take, mayForce] {
        if (take && !take())
            return false;
        if (undoTake->pending())
            return true;
        QList<int> pending;
        for (int o = 0; o < OutputsOf(m_state); ++o)
            if (m_state.Routes[o].Taken == 0)
                pending << o;
        return mayForce(QStringLiteral("Take"), pending);
    };
}

void TMatrixForm::askForceUnlock(int output)
{
    const QString owner = remoteServer->lockOwner(output);
    if (owner.isEmpty())
        return;
    if (Dialogs::instance().yesNo(this, kAppTitle,
                                  QStringLiteral("Output %1 is locked by remote client %2. Force the lock free?")
                                      .arg(output + 1)
                                      .arg(owner)))
        remoteServer->forceUnlock(output);
}

} // namespace kv
