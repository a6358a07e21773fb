#include "app/StatusRead.h"

#include "app/MatrixForm.h"
#include "app/WindowHost.h"
#include "control/Grouping.h"
#include "control/Routing.h"
#include "link/CommandChannel.h"
#include "ui/AboutPage.h"
#include "ui/LabelingPage.h"
#include "ui/SetupPage.h"

#include <QLabel>
#include <cstring>

namespace kv {

StatusRead::StatusRead(TMatrixForm &form)
    : QObject(&form), m_form(form), m_reader(form.state(), form.channel(), form.host())
{
}

void StatusRead::ReadfromKestavions1Click()
{
    MatrixState &s = m_form.state();
    const BusyGuard busy(s);
    if (!busy)
        return;
    CommandChannel &channel = m_form.channel();
    CommandChannel::Exchange exchange(channel);
    const RouteJournal::Scope journal(m_form.journal, QStringLiteral("status read"));
    const bool linkWasUp = channel.linkUp();
    if (s.PresetPreviewPending == 1)
        m_form.routing->WithdrawPreview();

    WindowHost &host = m_form.host();
    host.setStatusText(QStringLiteral("Querying Kestavion. Please wait...."));
    host.showBusyCursor();
    m_form.routing->CancelTake();

    const int r = m_reader.ReadAllStatus();
    if (r > 0) {
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
        const QString link = s.EthernetConnected == 1 ? QStringLiteral("Ethernet")
                                                      : QStringLiteral("Serial");
        host.showMessage(QStringLiteral("Kestavion communication error! Please check ") + link +
                         QStringLiteral(" connections and try again (") + QString::number(r) +
                         QLatin1Char(')'));
        host.setStatusText(QString());
        host.showArrowCursor();
    }
}

void StatusRead::RefreshAllPages()
{
    const MatrixState &s = m_form.state();
    m_form.routing->RefreshRoutingPage();
    m_form.LabelTabSheet->RefreshLabelRows(InputsOf(s), OutputsOf(s));
    m_form.grouping->RefreshGroupingPage();
    ShowSystemInfo();
}

void StatusRead::ShowSystemInfo()
{
    const SystemInfo &info = m_form.state().Info;
    // Setting the boxes runs their handlers; their own guards keep this from sending.
    m_form.SetupTabSheet->showSystemInfo(info.FrontPanelLock != 0, info.VIState != 0,
                                         QStringLiteral("%1.%2.%3.%4")
                                             .arg(info.IPAddress[0])
                                             .arg(info.IPAddress[1])
                                             .arg(info.IPAddress[2])
                                             .arg(info.IPAddress[3]));
    const auto length = qstrnlen(info.FirmwareVersion, sizeof info.FirmwareVersion);
    m_form.AboutTabSheet->FirmwareVersionLabel->setText(
        QString::fromLatin1(info.FirmwareVersion, qsizetype(length)));
}

void StatusRead::SystemRecallReread()
{
    m_reader.QuerySystemInfo();
    ShowSystemInfo();
}

} // namespace kv
