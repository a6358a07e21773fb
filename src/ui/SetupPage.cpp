#include "ui/SetupPage.h"

#include "ui/RadioGroup.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace kv {

namespace {

template <typename W> W *named(W *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, QRect where)
{
    auto *b = named(new QPushButton(caption, parent), name);
    b->setGeometry(where);
    return b;
}

} // namespace

SetupPage::SetupPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SetupTabSheet"));

    // Top left: the link choice beside the Ethernet configuration.
    LinkFrame = named(new QGroupBox(this), "LinkFrame");
    LinkFrame->setGeometry(16, 12, 465, 125);

    SerialModeRadioGroup =
        named(new RadioGroup({QStringLiteral("RS-232"), QStringLiteral("Ethernet")}, LinkFrame),
              "SerialModeRadioGroup");
    SerialModeRadioGroup->setGeometry(12, 16, 113, 64);
    SerialModeRadioGroup->item(0)->setObjectName(QStringLiteral("SerialModeRS232"));
    SerialModeRadioGroup->item(1)->setObjectName(QStringLiteral("SerialModeEthernet"));

    EthernetConfigBox =
        named(new QGroupBox(QStringLiteral("Ethernet Configuration"), LinkFrame), "GroupBox23");
    EthernetConfigBox->setGeometry(140, 10, 313, 70);
    IPAddressLabel =
        named(new QLabel(QStringLiteral("IP Address"), EthernetConfigBox), "IPAddressLabel");
    IPAddressLabel->setGeometry(14, 32, 70, 20);
    IPAddrEdit = named(new QLineEdit(EthernetConfigBox), "IPAddrEdit");
    IPAddrEdit->setGeometry(92, 30, 200, 22);

    IPAddressButton = button(LinkFrame, "IPAddressButton", QStringLiteral("Change IP Address"),
                             {232, 88, 145, 27});

    // The row of switcher settings.
    VerticalSwitchingBox =
        named(new QGroupBox(QStringLiteral("Vertical Switching  "), this), "VerticalSwitchingBox");
    VerticalSwitchingBox->setGeometry(16, 152, 169, 60);
    VIStateCheckBox = named(new QCheckBox(QStringLiteral("Source Channel 1"), VerticalSwitchingBox),
                            "VIStateCheckBox");
    VIStateCheckBox->setGeometry(16, 28, 140, 20);

    FrontPanelLockCheckBox =
        named(new QCheckBox(QStringLiteral("Front Panel Lockout"), this), "FrontPanelLockCheckBox");
    FrontPanelLockCheckBox->setGeometry(208, 178, 150, 20);

    SystemRecallButton =
        button(this, "SystemRecallButton", QStringLiteral("System Recall"), {376, 152, 105, 27});
    SystemSaveButton =
        button(this, "SystemSaveButton", QStringLiteral("System Save"), {376, 185, 105, 27});

    // A thin bar sets the two resets apart; it is not a control.
    SeparatorBar = named(new QFrame(this), "SeparatorBar");
    SeparatorBar->setFrameShape(QFrame::HLine);
    SeparatorBar->setFrameShadow(QFrame::Sunken);
    SeparatorBar->setGeometry(16, 232, 465, 6);
    SeparatorBar->setEnabled(false);
    SeparatorBar->setFocusPolicy(Qt::NoFocus);

    ResetButton =
        button(this, "ResetButton", QStringLiteral("Reset Kestavion"), {16, 256, 169, 27});
    FactoryResetButton = button(this, "FactoryResetButton",
                                QStringLiteral("Factory Reset Kestavion"), {16, 292, 169, 27});

    // toggled, not clicked: a change made by the console runs the handler too.
    connect(FrontPanelLockCheckBox, &QCheckBox::toggled, this, &SetupPage::frontPanelLockToggled);
    connect(VIStateCheckBox, &QCheckBox::toggled, this, &SetupPage::viStateToggled);
    connect(SystemSaveButton, &QPushButton::clicked, this, &SetupPage::systemSaveClicked);
    connect(SystemRecallButton, &QPushButton::clicked, this, &SetupPage::systemRecallClicked);
    connect(ResetButton, &QPushButton::clicked, this, &SetupPage::resetClicked);
    connect(FactoryResetButton, &QPushButton::clicked, this, &SetupPage::factoryResetClicked);
    connect(IPAddressButton, &QPushButton::clicked, this, &SetupPage::ipAddressClicked);
}

void SetupPage::showSystemInfo(bool frontPanelLock, bool viState, const QString &ipAddress)
{
    FrontPanelLockCheckBox->setChecked(frontPanelLock);
    VIStateCheckBox->setChecked(viState);
    IPAddrEdit->setText(ipAddress);
}

} // namespace kv
