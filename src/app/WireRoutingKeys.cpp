#include "app/MatrixForm.h"
#include "control/Core.h"

#include "app/KeyTarget.h"
#include "app/RoutingKeys.h"
#include "control/Presets.h"
#include "control/Routing.h"
#include "ui/PresetPanel.h"
#include "ui/SwitchingPage.h"

#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

namespace kv {

void TMatrixForm::wireRoutingKeys()
{
    m_keyTarget = std::make_unique<KeyTarget>(*this);
    m_routingKeys = new RoutingKeys(*this, *m_keyTarget);
    // Digits typed before the page was left never act on coming back.
    connect(MainPageControl, &QTabWidget::currentChanged, m_routingKeys,
            [this] { m_routingKeys->keys().clear(); });

    SwitchingPage *page = ControlTabSheet;
    for (int n = 1; n <= kMaxPorts; ++n) {
        page->outputButton(n)->setToolTip(QStringLiteral("Keys: %1 Enter").arg(n));
        page->inputButton(n)->setToolTip(QStringLiteral("Keys: %1 Enter, after the output").arg(n));
    }
    page->TakeButton->setToolTip(QStringLiteral("Keys: Ctrl+Enter"));
    page->CancelTakeButton->setToolTip(QStringLiteral("Keys: Esc"));
    for (int n = 1; n <= kPresetCount; ++n)
        PresetsGroupBox->setPresetToolTip(
            n - 1, QStringLiteral("Keys: F%1 recalls it as a preview").arg(n));
    PresetsGroupBox->setRecallToolTip(
        QStringLiteral("Keys: F1 to F8 recall that preset as a preview"));
}

} // namespace kv
