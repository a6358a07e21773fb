#include "ui/SetupPage.h"

namespace kv {

SetupPage::SetupPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SetupTabSheet"));
}

} // namespace kv
