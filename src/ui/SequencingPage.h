#pragma once
// The Sequencing page: eight steps of preset number, delay and "On", Start and Stop with
// their lamp. It stands left of the preset panel.

#include "control/Sequencer.h"

#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;

namespace kv {

class Lamp;

class SequencingPage : public QWidget, public SequencingView {
    Q_OBJECT
public:
    explicit SequencingPage(QWidget *parent = nullptr);

    // SequencingView
    bool stepTicked(int step) const override;
    QString presetText(int step) const override;
    QString delayText(int step) const override;
    void setStepEditsEnabled(int step, bool enabled) override;
    void focusPresetEdit(int step) override;
    void focusDelayEdit(int step) override;
    void setStepControlsEnabled(bool enabled) override;
    void setLampLit(bool lit) override;
    void paintStepLabel(int step, Shade shade) override;
    void showMessage(const QString &text) override;

signals:
    void stepToggled(int n); // steps count from 1
    void presetEditExit(int n);
    void delayEditExit(int n);
    void startClicked();
    void stopClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void focusEdit(QLineEdit *edit);

    QLabel *m_labels[kSeqSteps];
    QWidget *m_activeBox;
    QLineEdit *m_presetEdits[kSeqSteps];
    QLineEdit *m_delayEdits[kSeqSteps];
    QCheckBox *m_enable[kSeqSteps];
    Lamp *m_lamp;
    // Set while an edit's check runs or the focus is put back: the focus changes that
    // causes (a message box, the refocus itself) are not the operator leaving an edit.
    bool m_checking = false;
};

} // namespace kv
