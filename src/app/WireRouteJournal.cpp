// The route journal: its file, the origins of the changes made outside a gated handler, its
// window, and Undo Last Take.

#include "app/MatrixForm.h"

#include "app/WindowHost.h"
#include "config/RouteLogFile.h"
#include "control/Routing.h"
#include "control/Sequencer.h"
#include "control/UndoTake.h"
#include "link/CommandChannel.h"
#include "ui/RouteLogWindow.h"

#include <QAction>
#include <QStatusBar>
#include <memory>

namespace kv {


QString TMatrixForm::previewOrigin() const
{
    if (state().PresetPreviewPending != 0 && state().SelectedPreset >= 0 &&
        state().SelectedPreset < kPresetCount)
        return QStringLiteral("preset %1").arg(state().SelectedPreset + 1);
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

    // Undo of the last take, shown as a pending change.
    UndoHooks &u = undoTake->hooks;
    u.LastTake = [this] { return journal->lastConsoleTake(); };
    u.RedrawRoute = [this](int o) {
        routing->UpdateVideoLabelText(o);
        routing->UpdateVideoLabelColour(o);
    };
    u.CommitTemporaryRoutes = [this] {
        // Its "TAKE 1" committed the temporary routes made elsewhere as well (on the outputs
        // it did not route itself, still pending here until the next line).
        if (routing->afterTakeCommit)
            routing->afterTakeCommit();
        routing->CommitTemporaryRoutes();
    };
    u.ShowStatus = [this](const QString &text) { MainStatusBar->showMessage(text); };
    routing->onPendingTake = [this] { return undoTake->TakePending(); };
    routing->onPendingCancel = [this] { undoTake->CancelPending(); };
    connect(m_menu.UndoTake1, &QAction::triggered, this, gated([this] { undoTake->UndoTake1Click(); }));

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
