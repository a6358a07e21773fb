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
    connect(panel, &PresetPanel::recallCancelClicked, p, gated([this, p] {
                const RouteJournal::Scope scope(&m_core->journal(),
                                                m_core->presets().previewOrigin());
                p->PresetRecallCancelButtonClick();
            }));
    connect(panel, &PresetPanel::confirmClicked, p, gated([this, p] {
                const RouteJournal::Scope scope(&m_core->journal(),
                                                m_core->presets().previewOrigin());
                p->PresetRecallConfirmButtonClick();
            }));
    connect(panel, &PresetPanel::presetClicked, p, gated<int>([this, p, panel](int n) {
                // Saving takes the live routes; recalling shows the preset's.
                const RouteJournal::Scope scope(
                    &m_core->journal(), panel->saveEnabled() ? QStringLiteral("operator")
                                                             : QStringLiteral("preset %1").arg(n));
                p->PresetButtonClick(n);
            }));

}

} // namespace kv
