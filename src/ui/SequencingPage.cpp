#include "ui/SequencingPage.h"

namespace kv {

SequencingPage::SequencingPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SequencingTabSheet"));
}

} // namespace kv
