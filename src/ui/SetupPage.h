#pragma once
// The Setup page: the choice of link and the switcher's IP address, and the switcher-wide
// settings and commands. The page holds the controls and says what the operator did; the link
// choice is the link room's, the rest the system commands'.

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
    QGroupBox *EthernetConfigBox;     // "Ethernet Configuration"
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

    // Lockout, vertical switching and the switcher's address as last read.
    void showSystemInfo(bool frontPanelLock, bool viState, const QString &ipAddress);

signals:
    // The check boxes' changes, by the operator or by the console.
    void frontPanelLockToggled(bool checked);
    void viStateToggled(bool checked);
    void systemSaveClicked();
    void systemRecallClicked();
    void resetClicked();
    void factoryResetClicked();
    void ipAddressClicked();
};

} // namespace kv
