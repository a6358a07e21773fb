#include "ui/GroupingPage.h"

namespace kv {

GroupingPage::GroupingPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("GroupingTabSheet"));
}

} // namespace kv
