#pragma once
// The Setup page: the choice of link and the switcher's IP address, and the switcher-wide
// settings and commands. The page holds the controls only; the link room handles the link
// controls and the system commands are wired to the others.

#include <QWidget>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

class RadioGroup;

class SetupPage : public QWidget {
    Q_OBJECT
public:
    explicit SetupPage(QWidget *parent = nullptr);

    QGroupBox *LinkFrame;             // untitled frame around the link choice
    RadioGroup *SerialModeRadioGroup; // 0 "RS-232", 1 "Ethernet"
    QGroupBox *EthernetConfigBox;            // "Ethernet Configuration"
    QLabel *IPAddressLabel;
    QLineEdit *IPAddrEdit;
    QPushButton *IPAddressButton;

    QGroupBox *VerticalSwitchingBox;
    QCheckBox *VIStateCheckBox;
    QCheckBox *FrontPanelLockCheckBox;
    QPushButton *SystemRecallButton;
    QPushButton *SystemSaveButton;

    QFrame *SeparatorBar;
    QPushButton *ResetButton;
    QPushButton *FactoryResetButton;
};

} // namespace kv
