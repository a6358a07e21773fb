#include "app/MatrixForm.h"

#include "app/StatusRead.h"
#include "control/Presets.h"
#include "control/Routing.h"
#include "ui/PresetPanel.h"

namespace kv {

void TMatrixForm::wirePresets()
{
    auto *panel = PresetsGroupBox;
    presets = new Presets(m_state, *m_channel, *panel, this);

    presets->hooks.TakeRoutes = [this] { routing->TakeRoutes(); };
    presets->hooks.CommitTemporaryRoutes = [this] { routing->CommitTemporaryRoutes(); };
    presets->hooks.HighlightRoutedInput = [this](int o) { routing->HighlightRoutedInput(o); };
    presets->hooks.RefreshAllPages = [this] { statusRead->RefreshAllPages(); };

    // Take and Cancel of the Video Switching page act on a pending preview; Clear All
    // Routing, Read and entering the page withdraw it through the same Cancel.
    routing->onPreviewConfirm = [this] { presets->PresetRecallConfirmButtonClick(); };
    routing->onPreviewCancel = [this] { presets->PresetRecallCancelButtonClick(); };

    connect(panel, &PresetPanel::saveClicked, presets, &Presets::PresetsSaveButtonClick);
    connect(panel, &PresetPanel::saveCancelClicked, presets, &Presets::PresetSaveCancelButtonClick);
    connect(panel, &PresetPanel::recallClicked, presets, &Presets::PresetsRecallButtonClick);
    connect(panel, &PresetPanel::recallCancelClicked, presets,
            &Presets::PresetRecallCancelButtonClick);
    connect(panel, &PresetPanel::confirmClicked, presets,
            &Presets::PresetRecallConfirmButtonClick);
    connect(panel, &PresetPanel::presetClicked, presets, &Presets::PresetButtonClick);

    m_initHooks.InitPresets = [this] { presets->InitPresets(); };
}

} // namespace kv
