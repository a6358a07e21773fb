#include "ui/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace kv {

namespace {
constexpr int kItemLeft = 10;
constexpr int kItemTop = 12;
constexpr int kItemPitch = 22;
} // namespace

RadioGroup::RadioGroup(const QStringList &items, QWidget *parent)
    : QGroupBox(parent), m_group(new QButtonGroup(this))
{
    m_group->setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        button->setGeometry(kItemLeft, kItemTop + i * kItemPitch, 100, 20);
        m_group->addButton(button, i);
        m_items << button;
    }
    if (!m_items.isEmpty())
        m_items.first()->setChecked(true);
    // Only the newly checked item reports, whether the operator or the code checked it.
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit clicked(id);
    });
}

int RadioGroup::itemIndex() const { return m_group->checkedId(); }

void RadioGroup::setItemIndex(int index)
{
    if (index < 0 || index >= m_items.size() || index == itemIndex())
        return;
    m_items.at(index)->setChecked(true);
}

void RadioGroup::setItems(const QStringList &items)
{
    for (int i = 0; i < m_items.size() && i < items.size(); ++i)
        m_items.at(i)->setText(items.at(i));
}

QRadioButton *RadioGroup::item(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

} // namespace kv
