#include "app/MatrixForm.h"
#include "control/Core.h"

#include "app/WindowHost.h"
#include "control/SystemCommands.h"
#include "ui/SetupPage.h"

namespace kv {

void TMatrixForm::wireSystemCommands()
{
    SystemCommands *sc = &m_core->systemCommands();
    SetupPage *page = SetupTabSheet;
    connect(page, &SetupPage::frontPanelLockToggled, this,
            gated<bool>([sc](bool on) { sc->FrontPanelLockCheckBoxClick(on); }));
    connect(page, &SetupPage::viStateToggled, this,
            gated<bool>([sc](bool on) { sc->VIStateCheckBoxClick(on); }));
    connect(page, &SetupPage::systemSaveClicked, this,
            gated([sc] { sc->SystemSaveButtonClick(); }));
    connect(page, &SetupPage::systemRecallClicked, this,
            gated([sc] { sc->SystemRecallButtonClick(); }));
    connect(page, &SetupPage::resetClicked, this, gated([sc] { sc->ResetButtonClick(); }));
    connect(page, &SetupPage::factoryResetClicked, this,
            gated([sc] { sc->FactoryResetButtonClick(); }));
    connect(page, &SetupPage::ipAddressClicked, this, gated([sc] { sc->IPAddressButtonClick(); }));
}

} // namespace kv
