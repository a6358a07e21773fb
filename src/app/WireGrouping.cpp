#include "app/MatrixForm.h"

#include "app/StatusRead.h"
#include "control/Grouping.h"
#include "ui/GroupingPage.h"

namespace kv {

void TMatrixForm::wireGrouping()
{
    GroupingPage *page = GroupingTabSheet;
    grouping = new Grouping(m_state, *m_channel, *page, this);
    Grouping *g = grouping;
    connect(page, &GroupingPage::groupClicked, g, &Grouping::GroupingRadioGroupClick);
    connect(page, &GroupingPage::inputClicked, g, &Grouping::GroupInputButtonClick);
    connect(page, &GroupingPage::outputClicked, g, &Grouping::GroupOutputButtonClick);
    connect(page, &GroupingPage::removeClicked, g, &Grouping::GroupingRemoveButtonClick);
    connect(page, &GroupingPage::removeAllClicked, g, &Grouping::GroupingRemoveAllButtonClick);
    statusRead->RefreshGroupingPage = [g] { g->RefreshGroupingPage(); };
    m_initHooks.InitGroups = [g] { g->InitGroups(); };
}

} // namespace kv
