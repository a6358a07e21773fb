#include "app/MatrixForm.h"
#include "control/Core.h"

#include "control/Presets.h"
#include "control/Routing.h"
#include "control/StatusRead.h"
#include "ui/PresetPanel.h"

#include <QStatusBar>

namespace kv {

void TMatrixForm::wirePresets()
{
    auto *panel = PresetsGroupBox;

    Presets *p = &m_core->presets();
    connect(p, &Presets::status, MainStatusBar,
            [this](const QString &text) { MainStatusBar->showMessage(text); });
    connect(panel, &PresetPanel::saveClicked, p, gated([p] { p->PresetsSaveButtonClick(); }));
    connect(panel, &PresetPanel::saveCancelClicked, p,
            gated([p] { p->PresetSaveCancelButtonClick(); }));
    connect(panel, &PresetPanel::recallClicked, p, gated([p] { p->PresetsRecallButtonClick(); }));
    // A preview's cancel and confirm are journalled as the preset's.
    const auto preview = [this] { return m_core->presets().previewOrigin(); };
    connect(panel, &PresetPanel::recallCancelClicked, p,
            gatedAs(preview, [p] { p->PresetRecallCancelButtonClick(); }));
    connect(panel, &PresetPanel::confirmClicked, p,
            gatedAs(preview, [p] { p->PresetRecallConfirmButtonClick(); }));
    // Saving takes the live routes; recalling shows the preset's.
    const auto chosen = [panel](int n) {
        return panel->saveEnabled() ? QStringLiteral("operator")
                                    : QStringLiteral("preset %1").arg(n);
    };
    connect(panel, &PresetPanel::presetClicked, p,
            gatedAs<int>(chosen, [p](int n) { p->PresetButtonClick(n); }));
}

} // namespace kv
