// The hooks that tell the remote clients of every change, whatever made it; the server's
// dialog, settings and status-bar note are RemoteControl's.

#include "app/MatrixForm.h"

#include "app/RemoteControl.h"
#include "control/Core.h"
#include "link/CommandChannel.h"
#include "remote/RemoteServer.h"
#include "ui/LabelingPage.h"

#include <QAction>

namespace kv {

void TMatrixForm::wireRemote()
{
    m_remoteControl = new RemoteControl(*this, *MainStatusBar, *m_menu.RemoteControl1);
    m_remoteServer = m_remoteControl->server();
    RemoteServer *server = m_remoteServer;

    // Whatever changed the routes, the labels, the link or a protect, the clients hear of it
    // once the switcher has answered; the requests that waited for the gate run then.
    connect(&m_core->channel(), &CommandChannel::exchangeEnded, server, [this] {
        tellRemoteClients();
        m_remoteServer->runQueued();
    });
    connect(&m_core->channel(), &CommandChannel::serialLinkLiveChanged, this,
            [this] { tellRemoteClients(); });
    // Whatever an action changed, the clients hear of it once it is done.
    connect(m_core, &Core::changed, this, [this] { tellRemoteClients(); });
    connect(LabelTabSheet, &LabelingPage::labelExit, this, [this] { tellRemoteClients(); });
    connect(LabelTabSheet, &LabelingPage::resetClicked, this, [this] { tellRemoteClients(); });
    connect(m_menu.ImportLabels1, &QAction::triggered, this, [this] { tellRemoteClients(); });
}

void TMatrixForm::tellRemoteClients()
{
    if (m_remoteServer)
        m_remoteServer->changed();
}

} // namespace kv
