#include "app/Labels.h"

#include "app/MatrixForm.h"
#include "ui/GroupingPage.h"
#include "ui/PresetPanel.h"
#include "ui/SwitchingPage.h"

#include <QPushButton>

namespace kv {

namespace {
// n counts from 1.
QString GroupCaption(int n, const QString &label)
{
    return QStringLiteral("Group %1 (").arg(n) + label + QLatin1Char(')');
}
} // namespace

Labels::Labels(TMatrixForm &form, LabelingPage &page, QObject *parent)
    : QObject(parent), m_form(form), m_page(page)
{
}

void Labels::LabelEditExit(LabelKind kind, int n)
{
    if (n < 1 || n > LabelCountOf(kind))
        return;
    const QString text = m_page.labelText(kind, n);
    SwitchingPage *switching = m_form.ControlTabSheet;
    GroupingPage *grouping = m_form.GroupingTabSheet;
    switch (kind) {
    case LabelKind::Input:
        if (switching)
            switching->inputButton(n)->setText(text);
        if (grouping)
            grouping->setInputCaption(n - 1, text);
        break;
    case LabelKind::Output:
        if (switching)
            switching->outputButton(n)->setText(text);
        if (grouping)
            grouping->setOutputCaption(n - 1, text);
        break;
    case LabelKind::Group:
        if (grouping) {
            const QString caption = GroupCaption(n, text);
            grouping->setGroupExistCaption(n - 1, caption);
            grouping->setGroupItemText(n - 1, caption);
        }
        break;
    case LabelKind::Preset:
        m_form.PresetsGroupBox->setPresetCaption(n - 1, text);
        break;
    }
}

void Labels::ApplyLabels(LabelKind kind)
{
    for (int n = 1; n <= LabelCountOf(kind); ++n)
        LabelEditExit(kind, n);
}

void Labels::ResetLabelsButtonClick(LabelKind kind)
{
    for (int n = 1; n <= LabelCountOf(kind); ++n)
        m_page.setLabelText(kind, n, QString::number(n));
    ApplyLabels(kind);
}

} // namespace kv
