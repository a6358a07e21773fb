// The route journal: its file, the origins of the changes made outside a gated handler,
// its window, and Undo Last Take.

#include "app/MatrixForm.h"
#include "control/Core.h"

#include "app/WindowHost.h"
#include "config/RouteLogFile.h"
#include "control/Routing.h"
#include "control/Sequencer.h"
#include "control/UndoTake.h"
#include "link/CommandChannel.h"
#include "ui/RouteLogWindow.h"

#include <QAction>
#include <QStatusBar>

namespace kv {

void TMatrixForm::wireRouteJournal()
{
    // The journal's file; a journal that cannot be written says so once and never stops
    // routing.
    m_core->journal().writeTo(DefaultRouteLogFolder());
    connect(&m_core->journal(), &RouteJournal::writeFailed, this, [this] {
        MainStatusBar->showMessage(
            QStringLiteral("Route log cannot be written (%1): routing goes on")
                .arg(m_core->journal().writeError()));
    });

    // Undo of the last take, shown as a pending change.
    connect(&m_core->undoTake(), &UndoTake::status, MainStatusBar,
            [this](const QString &text) { MainStatusBar->showMessage(text); });
    connect(m_menu.UndoTake1, &QAction::triggered, this,
            gated([this] { m_core->undoTake().UndoTake1Click(); }));

    connect(m_menu.RouteLog1, &QAction::triggered, this, [this] { openRouteLog(); });
}

void TMatrixForm::openRouteLog()
{
    if (!m_routeLogWindow) {
        m_routeLogWindow = new RouteLogWindow(this);
        connect(&m_core->journal(), &RouteJournal::changeRecorded, m_routeLogWindow,
                &RouteLogWindow::addChange);
    }
    if (!m_routeLogWindow->isVisible()) {
        const QString folder = DefaultRouteLogFolder();
        m_routeLogWindow->setFolder(folder);
        m_routeLogWindow->setChanges(ReadRouteLog(folder));
    }
    m_routeLogWindow->show();
    m_routeLogWindow->raise();
    m_routeLogWindow->activateWindow();
}

} // namespace kv
