#include "app/MatrixForm.h"
#include "control/Core.h"
#include "control/Routing.h"
#include "ui/SwitchingPage.h"

namespace kv {

void TMatrixForm::wireRouting()
{
    SwitchingPage *page = ControlTabSheet;
    Routing *r = &m_core->routing();
    connect(page, &SwitchingPage::outputButtonClicked, this,
            gated<int>([r](int n) { r->OutputButtonClick(n); }));
    connect(page, &SwitchingPage::inputButtonClicked, this,
            gated<int>([r](int n) { r->InputButtonClick(n); }));
    connect(page, &SwitchingPage::reclockerCheckBoxChanged, this,
            gated<int>([r](int n) { r->ReclockerCheckBoxClick(n); }));
    connect(page, &SwitchingPage::takeClicked, this, gated([r] { r->TakeButtonClick(); }));
    connect(page, &SwitchingPage::cancelTakeClicked, this,
            gated([r] { r->CancelTakeButtonClick(); }));
    connect(page, &SwitchingPage::clearAllRoutingClicked, this,
            gated([r] { r->ClearAllRoutingButtonClick(); }));
}

} // namespace kv
