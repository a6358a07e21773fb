#include "control/Labels.h"

namespace kv {

void Labels::LabelEditExit(LabelKind kind, int n)
{
    if (n < 1 || n > LabelCountOf(kind))
        return;
    const QString text = m_view.labelText(kind, n);
    m_applied[int(kind)][n - 1] = text;
    m_view.showCaption(kind, n,
                       kind == LabelKind::Group
                           ? QStringLiteral("Group %1 (").arg(n) + text + QLatin1Char(')')
                           : text);
}

QString Labels::label(LabelKind kind, int n) const
{
    if (n < 1 || n > LabelCountOf(kind))
        return {};
    const QString &text = m_applied[int(kind)][n - 1];
    return text.isNull() ? QString::number(n) : text;
}

void Labels::ApplyLabels(LabelKind kind)
{
    for (int n = 1; n <= LabelCountOf(kind); ++n)
        LabelEditExit(kind, n);
}

void Labels::ResetLabelsButtonClick(LabelKind kind)
{
    for (int n = 1; n <= LabelCountOf(kind); ++n)
        m_view.setLabelText(kind, n, QString::number(n));
    ApplyLabels(kind);
}

void Labels::setLabel(LabelKind kind, int n, const QString &text)
{
    m_view.setLabelText(kind, n, text);
    LabelEditExit(kind, n);
}

} // namespace kv
