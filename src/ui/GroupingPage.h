#pragma once
// The Grouping page: the group selector, the existing-group boxes, the input and output
// buttons of the group being edited, the warning and the two remove buttons.

#include "control/Grouping.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace kv {

class GroupingPage : public QWidget, public GroupingView {
    Q_OBJECT
public:
    explicit GroupingPage(QWidget *parent = nullptr);

    // Captions the labels feature writes: the selector's item g and check box g + 1 (the
    // whole text, prefix included), and the input and output buttons (0-based).
    void setGroupItemText(int group, const QString &text);
    QString groupItemText(int group) const;
    void setGroupExistCaption(int group, const QString &text);
    void setInputCaption(int input, const QString &text);
    void setOutputCaption(int output, const QString &text);

    // GroupingView
    void paintGroupInputButton(int input, Shade shade) override;
    void paintGroupOutputButton(int output, Shade shade) override;
    void setGroupInputButtonEnabled(int input, bool enabled) override;
    void setGroupOutputButtonEnabled(int output, bool enabled) override;
    void setGroupExistTicked(int group, bool ticked) override;
    void setGroupExistBoxEnabled(int group, bool enabled) override;
    void setOutputFirstVisible(bool visible) override;
    int selectedGroup() const override;
    void selectGroup(int group) override;
    void setPlainGroupItems() override;

signals:
    void groupClicked();
    void inputClicked(int n);  // counts from 1
    void outputClicked(int n); // counts from 1
    void removeClicked();
    void removeAllClicked();

private:
    QTabWidget *buildButtonPanel(const QString &name, const QString &tab, const QString &prefix,
                                 QPushButton **buttons, void (GroupingPage::*clicked)(int));

    QGroupBox *m_selector;
    QButtonGroup *m_items;
    QRadioButton *m_radio[kGroupCount];
    QGroupBox *m_existBox;
    QCheckBox *m_exist[kGroupCount];
    QPushButton *m_inputs[kMaxPorts];
    QPushButton *m_outputs[kMaxPorts];
    QLabel *m_outputFirst;
};

} // namespace kv
