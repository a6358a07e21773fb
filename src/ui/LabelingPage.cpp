#include "ui/LabelingPage.h"

namespace kv {

LabelingPage::LabelingPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LabelTabSheet"));
}

} // namespace kv
