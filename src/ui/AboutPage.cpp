#include "ui/AboutPage.h"

namespace kv {

AboutPage::AboutPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AboutTabSheet"));
}

} // namespace kv
