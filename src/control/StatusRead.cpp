#include "control/StatusRead.h"

#include "control/Grouping.h"
#include "control/RouteJournal.h"
#include "control/Routing.h"
#include "link/CommandChannel.h"
#include "link/IpAddress.h"

#include <cstring>

namespace kv {

StatusRead::StatusRead(MatrixState &state, CommandChannel &channel, StatusHost &host,
                       StatusReadView &view, Routing &routing, Grouping &grouping,
                       RouteJournal *journal, QObject *parent)
    : QObject(parent), m_state(state), m_channel(channel), m_view(view), m_routing(routing),
      m_grouping(grouping), m_journal(journal), m_reader(state, channel, host)
{
}

void StatusRead::ReadfromKestavions1Click()
{
    MatrixState &s = m_state;
    const BusyGuard busy(s);
    if (!busy)
        return;
    CommandChannel &channel = m_channel;
    CommandChannel::Exchange exchange(channel);
    const bool linkWasUp = channel.linkUp();
    if (s.PresetPreviewPending == 1)
        m_routing.WithdrawPreview();

    StatusReadView &host = m_view;
    host.setStatusText(QStringLiteral("Querying Kestavion. Please wait...."));
    host.showBusyCursor();
    // The withdrawal of pending routes is the asking action's; what the read finds is not.
    m_routing.CancelTake();
    const RouteJournal::Scope journal(m_journal, QStringLiteral("status read"));

    const int r = m_reader.ReadAllStatus();
    if (r > 0) {
        emit routesRead();
        s.SuppressCommands = 1;
        RefreshAllPages();
        host.showArrowCursor();
        host.setStatusText(QString());
        s.SuppressCommands = 0;
    } else if (linkWasUp && !channel.linkUp()) {
        // The link went down during the read and said so itself.
        host.setStatusText(QString());
        host.showArrowCursor();
    } else {
        const QString link =
            s.EthernetConnected == 1 ? QStringLiteral("Ethernet") : QStringLiteral("Serial");
        host.showMessage(QStringLiteral("Kestavion communication error! Please check ") + link +
                         QStringLiteral(" connections and try again (") + QString::number(r) +
                         QLatin1Char(')'));
        host.setStatusText(QString());
        host.showArrowCursor();
    }
}

void StatusRead::RefreshAllPages()
{
    m_routing.RefreshRoutingPage();
    m_view.refreshLabelRows(InputsOf(m_state), OutputsOf(m_state));
    m_grouping.RefreshGroupingPage();
    ShowSystemInfo();
}

void StatusRead::ShowSystemInfo()
{
    const SystemInfo &info = m_state.Info;
    const auto length = qstrnlen(info.FirmwareVersion, sizeof info.FirmwareVersion);
    // Setting the boxes runs their handlers; their own guards keep this from sending.
    m_view.showSystemInfo(info.FrontPanelLock != 0, info.VIState != 0,
                          FormatIpAddress(info.IPAddress),
                          QString::fromLatin1(info.FirmwareVersion, qsizetype(length)));
}

void StatusRead::SystemRecallReread()
{
    m_reader.QuerySystemInfo();
    ShowSystemInfo();
}

} // namespace kv
