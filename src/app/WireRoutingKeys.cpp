#include "app/MatrixForm.h"
#include "control/Core.h"

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
    routingKeys = new RoutingKeys(*this);
    KeyRoutingActions &a = routingKeys->keys().actions;
    a.OutputButtonClick = acting<int>([this](int n) { m_core->routing().OutputButtonClick(n); });
    a.InputButtonClick = acting<int>([this](int n) { m_core->routing().InputButtonClick(n); });
    a.TakeButtonClick = acting<>([this] { m_core->routing().TakeButtonClick(); });
    a.CancelTakeButtonClick = acting<>([this] { m_core->routing().CancelTakeButtonClick(); });
    a.RecallPreview = acting<int>([this](int n) {
        const RouteJournal::Scope scope(&m_core->journal(), QStringLiteral("preset %1").arg(n));
        m_core->presets().PresetsRecallButtonClick();
        m_core->presets().PresetButtonClick(n);
    });
    a.RecallAvailable = [this] { return PresetsGroupBox->recallEnabled(); };
    a.Refused = [this] { return refused(); };
    a.SetStatusText = [this](const QString &text) { MainStatusBar->showMessage(text); };
    // Digits typed before the page was left never act on coming back.
    connect(MainPageControl, &QTabWidget::currentChanged, routingKeys,
            [this] { routingKeys->keys().clear(); });

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
