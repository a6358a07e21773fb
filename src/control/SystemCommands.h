#pragma once
// The Setup page's switcher-wide commands: front-panel lockout, vertical switching, system
// save and recall, reset and factory reset, each in one frame: refused while Busy, and silent
// until the switcher's state has been read (SuppressCommands) or while no link is live. And
// the change of the switcher's own IP address, which has frame and messages of its own.

#include <QString>

namespace kv {

class CommandChannel;
class EthernetLink;
class RouteJournal;
struct MatrixState;

// What the commands need of the window.
class SystemView {
public:
    virtual ~SystemView() = default;
    virtual void showMessage(const QString &text) = 0;
    virtual bool askYesNo(const QString &title, const QString &text) = 0;
    // The progress window, shown and drawn before a wait that processes no events.
    virtual void showProgressBeforeBlocking(const QString &text) = 0;
    virtual void hideProgress() = 0;
    // The File and Serial Port menus out of reach while a reset is under way; released, they
    // get back the state they had, so a menu another feature has switched off stays off.
    virtual void holdMenus(bool held) = 0;
    virtual QString ipAddressText() const = 0;
    // After "RSYS": the system status alone read again, and shown whether or not it could be.
    virtual void rereadSystemStatus() = 0;
};

class SystemCommands {
public:
    SystemCommands(MatrixState &state, CommandChannel &channel, EthernetLink &ethernet,
                   SystemView &view, RouteJournal &journal);

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
    void reset(const QString &question, void (*send)(CommandChannel &), const QString &origin);

    MatrixState &m_state;
    CommandChannel &m_channel;
    EthernetLink &m_ethernet;
    SystemView &m_view;
    RouteJournal &m_journal;
};

} // namespace kv
