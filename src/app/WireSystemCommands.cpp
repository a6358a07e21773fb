#include "app/MatrixForm.h"

#include "app/SystemCommands.h"
#include "ui/SetupPage.h"

#include <QCheckBox>
#include <QPushButton>

namespace kv {

void TMatrixForm::wireSystemCommands()
{
    systemCommands = new SystemCommands(*this);
    SystemCommands *sc = systemCommands;
    SetupPage *page = SetupTabSheet;

    // toggled, not clicked: a change made by the console runs the handler too.
    connect(page->FrontPanelLockCheckBox, &QCheckBox::toggled, sc,
            gated<bool>([sc](bool on) { sc->FrontPanelLockCheckBoxClick(on); }));
    connect(page->VIStateCheckBox, &QCheckBox::toggled, sc,
            gated<bool>([sc](bool on) { sc->VIStateCheckBoxClick(on); }));
    connect(page->SystemSaveButton, &QPushButton::clicked, sc,
            gated([sc] { sc->SystemSaveButtonClick(); }));
    connect(page->SystemRecallButton, &QPushButton::clicked, sc,
            gated([sc] { sc->SystemRecallButtonClick(); }));
    connect(page->ResetButton, &QPushButton::clicked, sc, gated([sc] { sc->ResetButtonClick(); }));
    connect(page->FactoryResetButton, &QPushButton::clicked, sc,
            gated([sc] { sc->FactoryResetButtonClick(); }));
    connect(page->IPAddressButton, &QPushButton::clicked, sc,
            gated([sc] { sc->IPAddressButtonClick(); }));
}

} // namespace kv
