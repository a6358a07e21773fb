// Following the switcher on the window: Tools > Follow Switcher Changes, remembered between
// runs, its marks and its lamp. What following does is the core's (FollowSwitcher).

#include "app/MatrixForm.h"
#include "control/Core.h"

#include "config/Settings.h"
#include "control/FollowSwitcher.h"
#include "control/StatusRead.h"
#include "ui/FollowLight.h"
#include "ui/FollowMarks.h"

#include <QAction>
#include <QSettings>
#include <QStatusBar>

namespace kv {

void TMatrixForm::wireFollow()
{
    m_followMarks = new FollowMarks(*ControlTabSheet);
    m_followLight = new FollowLight;
    MainStatusBar->addPermanentWidget(m_followLight);

    FollowSwitcher *f = &m_core->follower();
    connect(f, &FollowSwitcher::lampChanged, m_followLight, &FollowLight::show);
    connect(&m_core->statusRead(), &StatusRead::routesRead, f, &FollowSwitcher::switcherRead);
    // What the switcher changed by itself reaches the remote clients too.
    connect(f, &FollowSwitcher::routesChangedAtSwitcher, this, [this] { tellRemoteClients(); });
    connect(f, &FollowSwitcher::routesCorrected, this, [this] { tellRemoteClients(); });

    QAction *item = m_menu.FollowSwitcher1;
    connect(item, &QAction::toggled, this, [this](bool on) {
        m_core->follower().setEnabled(on);
        if (!on)
            m_followMarks->clear();
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
