// Following the switcher: Tools > Follow Switcher Changes, remembered between runs, the
// poll's corrections on the pages, its marks and its lamp, and Take's question about
// temporary routes made elsewhere.

#include "app/MatrixForm.h"

#include "config/Settings.h"
#include "control/CommitPath.h"
#include "control/StatusRead.h"
#include "control/FollowSwitcher.h"
#include "control/ProtectedOutputs.h"
#include "control/Routing.h"
#include "ui/Dialogs.h"
#include "ui/FollowLight.h"
#include "ui/FollowMarks.h"
#include "ui/SwitchingPage.h"

#include <QAction>
#include <QApplication>
#include <QSettings>
#include <QStatusBar>
#include <QStringList>

namespace kv {

void TMatrixForm::wireFollow()
{
    followMarks = new FollowMarks(*ControlTabSheet);
    followLight = new FollowLight;
    MainStatusBar->addPermanentWidget(followLight);

    FollowSwitcher *f = follower;
    f->journal = journal;
    f->MayPoll = [this] { return !operatorActing() && !QApplication::activeModalWidget(); };
    f->RedrawRoute = [this](int o) {
        routing->UpdateVideoLabelText(o);
        routing->UpdateVideoLabelColour(o);
        if (state().SelectedOutput == o)
            routing->HighlightRoutedInput(o);
    };
    f->ShowSystemInfo = [this] {
        // The boxes' handlers run as they are set; they must not send what came from there.
        const std::uint8_t saved = state().SuppressCommands;
        state().SuppressCommands = 1;
        statusRead->ShowSystemInfo();
        state().SuppressCommands = saved;
    };
    f->ShowStatus = [this](const QString &text) { MainStatusBar->showMessage(text); };
    f->MarkChanged = [this](int o, const QString &tip) { followMarks->markChanged(o, tip); };
    f->MarkForeign = [this](int o, int input) { followMarks->markForeign(o, input); };
    f->UnmarkChanged = [this](int o) { followMarks->unmarkChanged(o); };
    connect(f, &FollowSwitcher::lampChanged, followLight, &FollowLight::show);
    connect(statusRead, &StatusRead::routesRead, f, &FollowSwitcher::switcherRead);
    // What the switcher changed by itself reaches the remote clients too.
    connect(f, &FollowSwitcher::routesChangedAtSwitcher, this, [this] { tellRemoteClients(); });
    connect(f, &FollowSwitcher::routesCorrected, this, [this] { tellRemoteClients(); });


    QAction *item = m_menu.FollowSwitcher1;
    connect(item, &QAction::toggled, this, [this](bool on) {
        follower->setEnabled(on);
        if (!on)
            followMarks->clear();
    });
    // Only the operator's choice is remembered, not one made for a single run.
    connect(item, &QAction::triggered, this, [](bool on) {
        QSettings s = ConsoleSettings();
        WriteSetting(s, settings::FollowSwitcher, on);
    });
    item->setChecked(ReadSetting(ConsoleSettings(), settings::FollowSwitcher));
}

void TMatrixForm::followForThisRun() { m_menu.FollowSwitcher1->setChecked(true); }
} // namespace kv
