#include "app/MatrixForm.h"
#include "control/Core.h"

#include "control/Grouping.h"
#include "ui/GroupingPage.h"

namespace kv {

void TMatrixForm::wireGrouping()
{
    GroupingPage *page = GroupingTabSheet;
    Grouping *g = &m_core->grouping();
    connect(page, &GroupingPage::groupClicked, g, gated([g] { g->GroupingRadioGroupClick(); }));
    connect(page, &GroupingPage::inputClicked, g,
            gated<int>([g](int n) { g->GroupInputButtonClick(n); }));
    connect(page, &GroupingPage::outputClicked, g,
            gated<int>([g](int n) { g->GroupOutputButtonClick(n); }));
    connect(page, &GroupingPage::removeClicked, g, gated([g] { g->GroupingRemoveButtonClick(); }));
    connect(page, &GroupingPage::removeAllClicked, g,
            gated([g] { g->GroupingRemoveAllButtonClick(); }));
}

} // namespace kv
