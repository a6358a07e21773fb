#include "control/SystemCommands.h"

#include "control/RouteJournal.h"
#include "link/CommandChannel.h"
#include "link/EthernetLink.h"
#include "link/IpAddress.h"
#include "protocol/Commands.h"
#include "state/MatrixState.h"

#include <optional>

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

SystemCommands::SystemCommands(MatrixState &state, CommandChannel &channel, EthernetLink &ethernet,
                               SystemView &view, RouteJournal &journal)
    : m_state(state), m_channel(channel), m_ethernet(ethernet), m_view(view), m_journal(journal)
{
}

template <typename Body> void SystemCommands::run(Frame frame, Body body)
{
    const BusyGuard busy(m_state);
    if (!busy)
        return;
    // The whole frame is one exchange: its question box and the repaint before a reset
    // pump events.
    CommandChannel::Exchange exchange(m_channel);
    if (frame == Frame::Reset)
        m_view.holdMenus(true);
    if (m_state.SuppressCommands == 0 && m_channel.linkUp())
        body();
    if (frame == Frame::Reset)
        m_view.holdMenus(false);
}

void SystemCommands::FrontPanelLockCheckBoxClick(bool checked)
{
    run(Frame::Plain, [&] {
        const int state = checked ? 1 : 0;
        SendFrontPanelLock(m_channel, state);
        m_state.Info.FrontPanelLock = std::uint8_t(state);
    });
}

void SystemCommands::VIStateCheckBoxClick(bool checked)
{
    run(Frame::Plain, [&] {
        const int state = checked ? 1 : 0;
        SendVIState(m_channel, state);
        m_state.Info.VIState = std::uint8_t(state);
    });
}

void SystemCommands::SystemSaveButtonClick()
{
    run(Frame::Plain, [&] { SendSystemSave(m_channel); });
}

void SystemCommands::SystemRecallButtonClick()
{
    run(Frame::Plain, [&] {
        SendSystemRecall(m_channel);
        // A breath for the switcher before it is asked again; no events are processed.
        volatile int idle = 0;
        for (int i = 0; i <= 50000; ++i)
            idle = i;
        (void)idle;
        // Busy is still set, so the check boxes this redraws send nothing.
        m_view.rereadSystemStatus();
    });
}

void SystemCommands::ResetButtonClick()
{
    reset(kResetQuestion, &SendReset, QStringLiteral("reset"));
}

void SystemCommands::FactoryResetButtonClick()
{
    reset(kFactoryResetQuestion, &SendFactoryReset, QStringLiteral("factory reset"));
}

void SystemCommands::reset(const QString &question, void (*send)(CommandChannel &),
                           const QString &origin)
{
    run(Frame::Reset, [&] {
        if (!m_view.askYesNo(kResetTitle, question))
            return;
        // The serial wait processes no events: the window must be drawn before it.
        m_view.showProgressBeforeBlocking(kResetProgress);
        send(m_channel);
        // What the reset changed is known once the switcher is read again.
        m_journal.awaitReport(origin);
        m_view.hideProgress();
    });
}

void SystemCommands::IPAddressButtonClick()
{
    CommandChannel::Exchange exchange(m_channel);
    if (!m_channel.linkUp()) {
        m_view.showMessage(QStringLiteral("Must have connection to change IP Address"));
        return;
    }
    const QString text = m_view.ipAddressText();
    m_ethernet.SaveIpAddress(text);
    const std::optional<IpNumbers> numbers = ParseIpAddress(text);
    if (!numbers) {
        m_view.showMessage(InvalidIpAddressText());
        return;
    }
    if (!IpInRange(*numbers)) {
        m_view.showMessage(QStringLiteral("IP Address segments cannot be > 255"));
        return;
    }
    const IpNumbers &n = *numbers;
    SendIPConfig(m_channel, n[0], n[1], n[2], n[3]);
    // Over Ethernet the console follows the switcher to its new address.
    if (m_state.EthernetConnected == 1)
        m_ethernet.SerialModeRadioGroupClick();
}

} // namespace kv
