#include "ui/GroupingPage.h"

#include "ui/Colours.h"
#include "ui/LabelButton.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace kv {

namespace {

QColor colourOf(Shade s)
{
    switch (s) {
    case Shade::Yellow: return kYellow;
    case Shade::Lime: return kLime;
    case Shade::Red: return kRed;
    case Shade::Face: break;
    }
    return buttonFace();
}

QString labelledGroup(int g) { return QStringLiteral("Group %1 (%1)").arg(g + 1); }

constexpr int kButtonW = 96, kButtonH = 33, kRowPitch = 43;

} // namespace

GroupingPage::GroupingPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("GroupingTabSheet"));

    m_selector = new QGroupBox(QStringLiteral("Group"), this);
    m_selector->setObjectName(QStringLiteral("GroupingRadioGroup"));
    m_selector->setGeometry(10, 8, 132, 226);
    m_items = new QButtonGroup(this);
    for (int g = 0; g < kGroupCount; ++g) {
        m_radio[g] = new QRadioButton(labelledGroup(g), m_selector);
        m_radio[g]->setObjectName(QStringLiteral("GroupingRadioGroupItem%1").arg(g + 1));
        m_radio[g]->setGeometry(12, 22 + g * 25, 112, 22);
        m_items->addButton(m_radio[g], g);
    }
    m_radio[0]->setChecked(true);
    connect(m_items, &QButtonGroup::idClicked, this, [this] { emit groupClicked(); });

    m_existBox = new QGroupBox(QStringLiteral("Existing Groups"), this);
    m_existBox->setObjectName(QStringLiteral("GroupBox21"));
    m_existBox->setGeometry(10, 242, 132, 204);
    m_existBox->setEnabled(false);
    for (int g = 0; g < kGroupCount; ++g) {
        m_exist[g] = new QCheckBox(labelledGroup(g), m_existBox);
        m_exist[g]->setObjectName(QStringLiteral("GroupExistCheckBox%1").arg(g + 1));
        m_exist[g]->setGeometry(12, 22 + g * 22, 112, 20);
        m_exist[g]->setEnabled(false);
    }

    auto *inputs =
        buildButtonPanel(QStringLiteral("GroupingInputPageControl"), QStringLiteral("Input 1 - 16"),
                         QStringLiteral("GroupInputButton"), m_inputs, &GroupingPage::inputClicked);
    inputs->move(160, 8);
    auto *outputs = buildButtonPanel(
        QStringLiteral("GroupingOutputPageControl"), QStringLiteral("Output 1 - 16"),
        QStringLiteral("GroupOutputButton"), m_outputs, &GroupingPage::outputClicked);
    outputs->move(446, 8);

    m_outputFirst = new QLabel(QStringLiteral("NEED TO SELECT OUTPUT FIRST"), this);
    m_outputFirst->setObjectName(QStringLiteral("OutputFirstLabel"));
    m_outputFirst->setAlignment(Qt::AlignCenter);
    QFont bold = m_outputFirst->font();
    bold.setBold(true);
    m_outputFirst->setFont(bold);
    m_outputFirst->setGeometry(160, 414, 270, 32);
    paint(m_outputFirst, kAqua);
    m_outputFirst->hide();

    auto *remove = new QPushButton(QStringLiteral("Remove Group"), this);
    remove->setObjectName(QStringLiteral("GroupingRemoveButton"));
    remove->setGeometry(446, 414, 130, 32);
    connect(remove, &QPushButton::clicked, this, &GroupingPage::removeClicked);
    auto *removeAll = new QPushButton(QStringLiteral("Remove All Group"), this);
    removeAll->setObjectName(QStringLiteral("GroupingRemoveAllButton"));
    removeAll->setGeometry(586, 414, 130, 32);
    connect(removeAll, &QPushButton::clicked, this, &GroupingPage::removeAllClicked);
}

QTabWidget *GroupingPage::buildButtonPanel(const QString &name, const QString &tab,
                                           const QString &prefix, QPushButton **buttons,
                                           void (GroupingPage::*clicked)(int))
{
    auto *panel = new QTabWidget(this);
    panel->setObjectName(name);
    auto *sheet = new QWidget;
    panel->addTab(sheet, tab);
    for (int i = 0; i < kMaxPorts; ++i) {
        const int column = i / 8, row = i % 8;
        auto *b = new LabelButton(QString::number(i + 1), sheet);
        b->setObjectName(prefix + QString::number(i + 1));
        b->setGeometry(24 + column * (kButtonW + 30), 12 + row * kRowPitch, kButtonW, kButtonH);
        b->setAutoFillBackground(true);
        connect(b, &QPushButton::clicked, this,
                [this, clicked, i] { emit(this->*clicked)(i + 1); });
        buttons[i] = b;
    }
    panel->resize(270, 392);
    return panel;
}

void GroupingPage::setGroupItemText(int g, const QString &text)
{
    if (IsGroupIndex(g))
        m_radio[g]->setText(text);
}

QString GroupingPage::groupItemText(int g) const
{
    return IsGroupIndex(g) ? m_radio[g]->text() : QString();
}

void GroupingPage::setGroupExistCaption(int g, const QString &text)
{
    if (IsGroupIndex(g))
        m_exist[g]->setText(text);
}

void GroupingPage::setInputCaption(int i, const QString &text)
{
    if (IsPortIndex(i))
        m_inputs[i]->setText(text);
}

void GroupingPage::setOutputCaption(int o, const QString &text)
{
    if (IsPortIndex(o))
        m_outputs[o]->setText(text);
}

void GroupingPage::paintGroupInputButton(int i, Shade shade)
{
    if (IsPortIndex(i))
        paint(m_inputs[i], colourOf(shade));
}

void GroupingPage::paintGroupOutputButton(int o, Shade shade)
{
    if (IsPortIndex(o))
        paint(m_outputs[o], colourOf(shade));
}

void GroupingPage::setGroupInputButtonEnabled(int i, bool enabled)
{
    if (IsPortIndex(i))
        m_inputs[i]->setEnabled(enabled);
}

void GroupingPage::setGroupOutputButtonEnabled(int o, bool enabled)
{
    if (IsPortIndex(o))
        m_outputs[o]->setEnabled(enabled);
}

void GroupingPage::setGroupExistTicked(int g, bool ticked)
{
    if (IsGroupIndex(g))
        m_exist[g]->setChecked(ticked);
}

void GroupingPage::setGroupExistBoxEnabled(int g, bool enabled)
{
    if (!IsGroupIndex(g))
        return;
    QCheckBox *box = m_exist[g];
    box->setEnabled(enabled);
    // Inside the disabled frame an enabled box still cannot be operated, but it is drawn
    // as an enabled one: its disabled colours are the active ones.
    QPalette pal = QApplication::palette(box);
    if (enabled) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto r = QPalette::ColorRole(role);
            pal.setColor(QPalette::Disabled, r, pal.color(QPalette::Active, r));
        }
    }
    box->setPalette(pal);
}

void GroupingPage::setOutputFirstVisible(bool visible) { m_outputFirst->setVisible(visible); }

int GroupingPage::selectedGroup() const { return m_items->checkedId(); }

void GroupingPage::selectGroup(int g)
{
    if (IsGroupIndex(g))
        m_radio[g]->setChecked(true);
}

void GroupingPage::setPlainGroupItems()
{
    for (int g = 0; g < kGroupCount; ++g)
        m_radio[g]->setText(QStringLiteral("Group %1").arg(g + 1));
}

} // namespace kv
