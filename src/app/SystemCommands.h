#pragma once
// The Setup page's switcher-wide commands: front-panel lockout, vertical switching, system
// save and recall, reset and factory reset, each in one frame: refused while Busy, and silent
// until the switcher's state has been read (SuppressCommands) or while no link is live. And
// the change of the switcher's own IP address, which has frame and messages of its own.

#include <QObject>

namespace kv {

class CommandChannel;
class TMatrixForm;

class SystemCommands : public QObject {
    Q_OBJECT
public:
    explicit SystemCommands(TMatrixForm &form);

    // The check boxes' handlers run on every change of their state, by the operator or by
    // the console; checked is the new state.
    void FrontPanelLockCheckBoxClick(bool checked);
    void VIStateCheckBoxClick(bool checked);
    void SystemSaveButtonClick();
    void SystemRecallButtonClick();
    void ResetButtonClick();
    void FactoryResetButtonClick();
    void IPAddressButtonClick();

    static const QString kResetTitle;
    static const QString kResetQuestion;
    static const QString kFactoryResetQuestion;
    static const QString kResetProgress;

private:
    enum class Frame { Plain, Reset };
    template <typename Body> void run(Frame frame, Body body);
    void reset(const QString &question, void (*send)(CommandChannel &));

    TMatrixForm &m_form;
};

} // namespace kv
