#pragma once
// A radio group as one control: a frame of radio buttons with an item index. Setting the
// index from code runs the click handler just as the operator's choice does, before
// setItemIndex returns; choosing the item that is already selected runs nothing.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace kv {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QStringList &items, QWidget *parent = nullptr);

    int itemIndex() const;
    void setItemIndex(int index);
    void setItems(const QStringList &items);
    QRadioButton *item(int index) const;
    int count() const { return m_items.size(); }

signals:
    void clicked(int index);

private:
    QButtonGroup *m_group;
    QList<QRadioButton *> m_items;
};

} // namespace kv
