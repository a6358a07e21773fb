#include "ui/SwitchingPage.h"

namespace kv {

SwitchingPage::SwitchingPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ControlTabSheet"));
}

} // namespace kv
