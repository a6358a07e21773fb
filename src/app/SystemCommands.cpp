#include "app/SystemCommands.h"

#include "app/MatrixForm.h"
#include "app/WindowHost.h"
#include "app/StatusRead.h"
#include "link/CommandChannel.h"
#include "link/EthernetLink.h"
#include "link/IpAddress.h"
#include "protocol/Commands.h"
#include "ui/Dialogs.h"
#include "ui/SetupPage.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace kv {

const QString SystemCommands::kResetTitle = QStringLiteral("KV Control - Reset Verification");
const QString SystemCommands::kResetQuestion =
    QStringLiteral("Resetting the Kestavion will reset settings to saved values. Are you sure "
                   "you want to reset the Kestavion?");
const QString SystemCommands::kFactoryResetQuestion =
    QStringLiteral("Resetting the Kestavion will reset settings to factory values. Are you sure "
                   "you want to factory reset the Kestavion?");
const QString SystemCommands::kResetProgress =
    QStringLiteral("Kestavion reset in progress. Please wait....");

SystemCommands::SystemCommands(TMatrixForm &form) : QObject(&form), m_form(form) {}

template <typename Body> void SystemCommands::run(Frame frame, Body body)
{
    MatrixState &s = m_form.state();
    const BusyGuard busy(s);
    if (!busy)
        return;
    // The whole frame is one exchange: its question box and the repaint before a reset
    // pump events.
    CommandChannel::Exchange exchange(m_form.channel());

    // The File and Serial Port menus stay out of reach while a reset is under way; they get
    // back the state they had, so a menu another feature has switched off stays off.
    QAction *menus[2] = {};
    bool wasEnabled[2] = {};
    if (frame == Frame::Reset) {
        const MainMenu &m = m_form.menu();
        QMenu *both[2] = {m.File1, m.Search1};
        for (int k = 0; k < 2; ++k) {
            menus[k] = both[k]->menuAction();
            wasEnabled[k] = menus[k]->isEnabled();
            menus[k]->setEnabled(false);
        }
    }

    if (s.SuppressCommands == 0 && m_form.channel().linkUp())
        body();

    for (int k = 0; k < 2; ++k) {
        if (menus[k])
            menus[k]->setEnabled(wasEnabled[k]);
    }
}

void SystemCommands::FrontPanelLockCheckBoxClick(bool checked)
{
    run(Frame::Plain, [&] {
        const int state = checked ? 1 : 0;
        SendFrontPanelLock(m_form.channel(), state);
        m_form.state().Info.FrontPanelLock = std::uint8_t(state);
    });
}

void SystemCommands::VIStateCheckBoxClick(bool checked)
{
    run(Frame::Plain, [&] {
        const int state = checked ? 1 : 0;
        SendVIState(m_form.channel(), state);
        m_form.state().Info.VIState = std::uint8_t(state);
    });
}

void SystemCommands::SystemSaveButtonClick()
{
    run(Frame::Plain, [&] { SendSystemSave(m_form.channel()); });
}

void SystemCommands::SystemRecallButtonClick()
{
    run(Frame::Plain, [&] {
        SendSystemRecall(m_form.channel());
        // A breath for the switcher before it is asked again; no events are processed.
        volatile int idle = 0;
        for (int i = 0; i <= 50000; ++i)
            idle = i;
        (void)idle;
        // Busy is still set, so the check boxes this redraws send nothing.
        m_form.statusRead->SystemRecallReread();
    });
}

void SystemCommands::ResetButtonClick() { reset(kResetQuestion, &SendReset); }

void SystemCommands::FactoryResetButtonClick() { reset(kFactoryResetQuestion, &SendFactoryReset); }

void SystemCommands::reset(const QString &question, void (*send)(CommandChannel &))
{
    run(Frame::Reset, [&] {
        if (!Dialogs::instance().yesNo(&m_form, kResetTitle, question))
            return;
        // The serial wait processes no events: the window must be drawn before it.
        m_form.host().showProgressBeforeBlocking(kResetProgress);
        send(m_form.channel());
        m_form.host().hideProgress();
    });
}

void SystemCommands::IPAddressButtonClick()
{
    CommandChannel &channel = m_form.channel();
    CommandChannel::Exchange exchange(channel);
    auto tell = [this](const QString &text) { Dialogs::instance().plain(&m_form, text); };
    if (!channel.linkUp()) {
        tell(QStringLiteral("Must have connection to change IP Address"));
        return;
    }
    EthernetLink &ethernet = *m_form.ethernetLink;
    const QString text = m_form.SetupTabSheet->IPAddrEdit->text();
    ethernet.SaveIpAddress(text);
    const std::optional<IpNumbers> numbers = ParseIpAddress(text);
    if (!numbers) {
        tell(InvalidIpAddressText());
        return;
    }
    if (!IpInRange(*numbers)) {
        tell(QStringLiteral("IP Address segments cannot be > 255"));
        return;
    }
    const IpNumbers &n = *numbers;
    SendIPConfig(channel, n[0], n[1], n[2], n[3]);
    // Over Ethernet the console follows the switcher to its new address.
    if (m_form.state().EthernetConnected == 1)
        ethernet.SerialModeRadioGroupClick();
}

} // namespace kv
