#include "app/MatrixForm.h"

#include "app/StatusRead.h"
#include "control/Grouping.h"
#include "ui/GroupingPage.h"

namespace kv {

void TMatrixForm::wireGrouping()
{
    auto *page = GroupingTabSheet;
    grouping = new Grouping(m_state, *m_channel, *page, this);
    connect(page, &GroupingPage::groupClicked, this, [this] { grouping->GroupingRadioGroupClick(); });
    connect(page, &GroupingPage::inputClicked, this, [this](int n) { grouping->GroupInputButtonClick(n); });
    connect(page, &GroupingPage::outputClicked, this, [this](int n) { grouping->GroupOutputButtonClick(n); });
    connect(page, &GroupingPage::removeClicked, this, [this] { grouping->GroupingRemoveButtonClick(); });
    connect(page, &GroupingPage::removeAllClicked, this, [this] { grouping->GroupingRemoveAllButtonClick(); });
    statusRead->RefreshGroupingPage = [this] { grouping->RefreshGroupingPage(); };
    m_initHooks.InitGroups = [this] { grouping->InitGroups(); };
}

} // namespace kv
