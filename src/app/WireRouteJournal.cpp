#include "app/MatrixForm.h"

#include "app/RoutingKeys.h"
#include "app/WindowHost.h"
#include "config/RouteLogFile.h"
#include "control/Presets.h"
#include "control/ProtectedOutputs.h"
#include "control/Routing.h"
#include "control/Sequencer.h"
#include "control/UndoTake.h"
#include "link/CommandChannel.h"
#include "ui/Dialogs.h"
#include "ui/HoldMarks.h"
#include "ui/RouteLogWindow.h"
#include "ui/SwitchingPage.h"

#include <QAction>
#include <QStatusBar>
#include <memory>

namespace kv {

namespace {

// Runs f inside a journal scope of the given origin.
template <class... Args>
std::function<void(Args...)> Journaled(RouteJournal *journal, std::function<void(Args...)> f,
                                       std::function<QString()> origin)
{
    if (!f)
        return f;
    return [journal, f, origin](Args... args) {
        const RouteJournal::Scope scope(journal, origin());
        f(args...);
    };
}

} // namespace

QString TMatrixForm::previewOrigin() const
{
    if (m_state.PresetPreviewPending != 0 && m_state.SelectedPreset >= 0 &&
        m_state.SelectedPreset < kPresetCount)
        return QStringLiteral("preset %1").arg(m_state.SelectedPreset + 1);
    return QStringLiteral("operator");
}

void TMatrixForm::wireRouteJournal()
{
    // The journal's file; a journal that cannot be written says so once and never stops
    // routing.
    auto writer = std::make_shared<RouteLogWriter>(DefaultRouteLogFolder());
    journal->sink = [writer](const RouteChange &c) { return writer->append(c); };
    connect(journal, &RouteJournal::writeFailed, this, [this, writer] {
        MainStatusBar->showMessage(
            QStringLiteral("Route log cannot be written (%1): routing goes on").arg(writer->error()));
    });

    // Operations that change routes outside a gated handler, each under its origin.
    const auto operatorOrigin = [] { return QStringLiteral("operator"); };
    sequencer->RecallPreset = Journaled<int>(journal, sequencer->RecallPreset, [this] {
        return QStringLiteral("sequence step %1").arg(sequencer->PresetSeqIndex + 1);
    });
    KeyRoutingActions &keys = routingKeys->keys().actions;
    keys.OutputButtonClick = Journaled<int>(journal, keys.OutputButtonClick, operatorOrigin);
    keys.InputButtonClick = Journaled<int>(journal, keys.InputButtonClick, operatorOrigin);
    keys.TakeButtonClick = Journaled<>(journal, keys.TakeButtonClick, operatorOrigin);
    keys.CancelTakeButtonClick = Journaled<>(journal, keys.CancelTakeButtonClick, operatorOrigin);
    auto recallPreview = keys.RecallPreview;
    keys.RecallPreview = [this, recallPreview](int n) {
        const RouteJournal::Scope scope(journal, QStringLiteral("preset %1").arg(n));
        recallPreview(n);
    };

    // Undo of the last take, shown as a pending change.
    undoTake = new UndoTake(m_state, *m_channel, this);
    UndoHooks &u = undoTake->hooks;
    u.LastTake = [this] { return journal->lastConsoleTake(); };
    u.RedrawRoute = [this](int o) {
        routing->UpdateVideoLabelText(o);
        routing->UpdateVideoLabelColour(o);
    };
    u.CommitTemporaryRoutes = [this] { routing->CommitTemporaryRoutes(); };
    u.ShowStatus = [this](const QString &text) { MainStatusBar->showMessage(text); };
    routing->onPendingTake = [this] { return undoTake->TakePending(); };
    routing->onPendingCancel = [this] { undoTake->CancelPending(); };
    connect(m_menu.UndoTake1, &QAction::triggered, this, gated([this] { undoTake->UndoTake1Click(); }));

    // Protected outputs.
    protectedOutputs = new ProtectedOutputs(this);
    holdMarks = new HoldMarks(*ControlTabSheet);
    for (int o : protectedOutputs->all())
        holdMarks->setProtected(o, true);
    connect(protectedOutputs, &ProtectedOutputs::changed, this, [this](int o, bool on) {
        holdMarks->setProtected(o, on);
        MainStatusBar->showMessage((on ? QStringLiteral("Output %1 protected")
                                       : QStringLiteral("Output %1 released")).arg(o + 1));
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

    const auto ask = [this](const QString &what, const QList<int> &outputs, const QString &question) {
        return Dialogs::instance().yesNo(
            this, kAppTitle,
            QStringLiteral("%1 would change protected output(s) %2. %3")
                .arg(what, ProtectedOutputs::numbers(outputs), question));
    };
    presets->hooks.MayConfirm = [this, ask](int p) {
        const QList<int> outputs = protectedOutputs->changedBy(m_state, m_state.Presets[p]);
        return outputs.isEmpty() ||
               ask(QStringLiteral("Preset %1").arg(p + 1), outputs, QStringLiteral("Recall it anyway?"));
    };
    sequencer->MayStart = [this, ask](const QList<int> &presetList) {
        QList<int> outputs;
        for (int p : presetList)
            for (int o : protectedOutputs->changedBy(m_state, m_state.Presets[p]))
                if (!outputs.contains(o))
                    outputs << o;
        std::sort(outputs.begin(), outputs.end());
        return outputs.isEmpty() ||
               ask(QStringLiteral("The preset sequence"), outputs, QStringLiteral("Start it anyway?"));
    };
    u.MayChange = [this, ask](const QList<int> &changed) {
        QList<int> outputs;
        for (int o : changed)
            if (protectedOutputs->isProtected(o))
                outputs << o;
        return outputs.isEmpty() || ask(QStringLiteral("The undo"), outputs, QStringLiteral("Take it anyway?"));
    };

    connect(m_menu.RouteLog1, &QAction::triggered, this, [this] { openRouteLog(); });
}

void TMatrixForm::openRouteLog()
{
    if (!routeLogWindow) {
        routeLogWindow = new RouteLogWindow(this);
        connect(journal, &RouteJournal::changeRecorded, routeLogWindow, &RouteLogWindow::addChange);
    }
    if (!routeLogWindow->isVisible()) {
        const QString folder = DefaultRouteLogFolder();
        routeLogWindow->setFolder(folder);
        routeLogWindow->setChanges(ReadRouteLog(folder));
    }
    routeLogWindow->show();
    routeLogWindow->raise();
    routeLogWindow->activateWindow();
}

} // namespace kv
