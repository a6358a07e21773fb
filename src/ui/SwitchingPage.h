#pragma once
// The Video Switching page: sixteen input buttons, sixteen output rows (button, route label,
// reclocker box) on two tabs, and the Take / Cancel / Clear All Routing / Read controls.
// It paints what the routing operations tell it and reports clicks by number (1-16).

#include "control/Routing.h"

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace kv {

class Lamp;

class SwitchingPage : public QWidget, public RoutingView {
    Q_OBJECT
public:
    explicit SwitchingPage(QWidget *parent = nullptr);

    // Numbered controls, n from 1 to 16.
    QPushButton *inputButton(int n) const { return m_inputs[n - 1]; }
    QPushButton *outputButton(int n) const { return m_outputs[n - 1]; }
    QLabel *videoLabel(int n) const { return m_videoLabels[n - 1]; }
    QCheckBox *reclockerCheckBox(int n) const { return m_reclockers[n - 1]; }

    QGroupBox *InputGroupBox = nullptr;
    QGroupBox *OutputGroupBox = nullptr;
    QTabWidget *PageControl5 = nullptr; // "Input 1 - 16"
    QTabWidget *PageControl6 = nullptr; // "Output 1 - 8"
    QTabWidget *PageControl1 = nullptr; // "Output 9 - 16"
    QGroupBox *TakeBox = nullptr;
    QPushButton *TakeButton = nullptr;
    Lamp *ApdStatusLight1 = nullptr;
    QPushButton *CancelTakeButton = nullptr;
    QPushButton *ClearAllRoutingButton = nullptr;
    QPushButton *UpdateStatus = nullptr;

    // RoutingView (0-based).
    void paintOutputButton(int output, Shade shade) override;
    void paintInputButton(int input, Shade shade) override;
    void setVideoLabelText(int output, const QString &text) override;
    void paintVideoLabel(int output, Shade shade) override;
    void setReclockerTicked(int output, bool ticked) override;
    bool reclockerTicked(int output) const override;
    void setOutputRowEnabled(int output, bool enabled) override;
    void setInputButtonEnabled(int input, bool enabled) override;
    void setTakeLamp(bool lit) override;
    void setCaption(const QString &caption) override;

signals:
    void outputButtonClicked(int n);
    void inputButtonClicked(int n);
    // Every change of a box's tick, whether the operator or the console made it.
    void reclockerCheckBoxChanged(int n);
    void takeClicked();
    void cancelTakeClicked();
    void clearAllRoutingClicked();
    void updateStatusClicked();

private:
    void buildInputs();
    void buildOutputs();
    QWidget *buildOutputTab(QTabWidget *tabs, const QString &caption, int first);
    void buildTakeControls();

    QPushButton *m_inputs[16] = {};
    QPushButton *m_outputs[16] = {};
    QLabel *m_videoLabels[16] = {};
    QCheckBox *m_reclockers[16] = {};
};

} // namespace kv
