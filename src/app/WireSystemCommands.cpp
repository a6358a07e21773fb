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
            &SystemCommands::FrontPanelLockCheckBoxClick);
    connect(page->VIStateCheckBox, &QCheckBox::toggled, sc, &SystemCommands::VIStateCheckBoxClick);
    connect(page->SystemSaveButton, &QPushButton::clicked, sc,
            [sc] { sc->SystemSaveButtonClick(); });
    connect(page->SystemRecallButton, &QPushButton::clicked, sc,
            [sc] { sc->SystemRecallButtonClick(); });
    connect(page->ResetButton, &QPushButton::clicked, sc, [sc] { sc->ResetButtonClick(); });
    connect(page->FactoryResetButton, &QPushButton::clicked, sc,
            [sc] { sc->FactoryResetButtonClick(); });
}

} // namespace kv
