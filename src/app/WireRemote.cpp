// The remote-control server: its settings and dialog, the status bar's note of it, and the
// hooks that tell its clients of every change.

#include "app/MatrixForm.h"

#include "config/Settings.h"
#include "app/RemoteHost.h"
#include "control/Sequencer.h"
#include "link/CommandChannel.h"
#include "remote/RemoteServer.h"
#include "ui/LabelingPage.h"
#include "ui/RemoteDialog.h"

#include <QAction>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>

namespace kv {

namespace {

RemoteChoices SavedChoices()
{
    QSettings s = ConsoleSettings();
    RemoteChoices c;
    c.enabled = s.value(QStringLiteral("remote/enabled"), false).toBool();
    c.bind = s.value(QStringLiteral("remote/bind"), c.bind).toString();
    c.port = s.value(QStringLiteral("remote/port"), c.port).toInt();
    c.readOnly = s.value(QStringLiteral("remote/readOnly"), false).toBool();
    return c;
}

void SaveChoices(const RemoteChoices &c)
{
    QSettings s = ConsoleSettings();
    s.setValue(QStringLiteral("remote/enabled"), c.enabled);
    s.setValue(QStringLiteral("remote/bind"), c.bind);
    s.setValue(QStringLiteral("remote/port"), c.port);
    s.setValue(QStringLiteral("remote/readOnly"), c.readOnly);
}

QString Endpoint(const QHostAddress &address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + QString::number(port);
}
} // namespace

void TMatrixForm::wireRemote()
{
    m_remoteHost = std::make_unique<RemoteHost>(*this);
    remoteServer = new RemoteServer(*m_remoteHost, this);
    RemoteServer *server = remoteServer;

    connect(m_menu.RemoteControl1, &QAction::triggered, this, [this] { openRemoteDialog(); });

    // Shown only while the server listens: without it the bar is as it always was.
    m_remoteStatus = new QLabel;
    m_remoteStatus->setObjectName(QStringLiteral("RemoteStatusLabel"));
    MainStatusBar->addPermanentWidget(m_remoteStatus);
    m_remoteStatus->hide();
    connect(server, &RemoteServer::statusChanged, this, [this] { showRemoteStatus(); });
    connect(server, &RemoteServer::locksChanged, this, [this] { showRemoteStatus(); });

    // Whatever changed the routes, the labels, the link or a protect, the clients hear of it
    // once the switcher has answered; the requests that waited for the gate run then.
    connect(m_channel, &CommandChannel::exchangeEnded, server, [this] {
        tellRemoteClients();
        remoteServer->runQueued();
    });
    connect(m_channel, &CommandChannel::serialLinkLiveChanged, this, [this] { tellRemoteClients(); });
    connect(LabelTabSheet, &LabelingPage::labelExit, this, [this] { tellRemoteClients(); });
    connect(LabelTabSheet, &LabelingPage::resetClicked, this, [this] { tellRemoteClients(); });
    connect(m_menu.ImportLabels1, &QAction::triggered, this, [this] { tellRemoteClients(); });
    auto recall = sequencer->RecallPreset;
    sequencer->RecallPreset = [this, recall](int p) {
        recall(p);
        tellRemoteClients();
    };

    const RemoteChoices saved = SavedChoices();
    server->setReadOnly(saved.readOnly);
    if (saved.enabled)
        serveRemote(QHostAddress(saved.bind), quint16(saved.port));
}

void TMatrixForm::tellRemoteClients()
{
    if (remoteServer)
        remoteServer->changed();
}

bool TMatrixForm::serveRemote(const QHostAddress &address, quint16 port)
{
    if (remoteServer->listen(address, port))
        return true;
    MainStatusBar->showMessage(QStringLiteral("Remote control cannot listen on %1: %2")
                                   .arg(Endpoint(address, port), remoteServer->errorString()));
    return false;
}

void TMatrixForm::showRemoteStatus()
{
    RemoteServer *server = remoteServer;
    const int n = server->clientCount();
    const QString clients = n == 1 ? QStringLiteral("1 client") : QStringLiteral("%1 clients").arg(n);
    const QString where = Endpoint(server->address(), server->port());
    m_remoteStatus->setText(QStringLiteral("Remote %1, %2%3")
                                .arg(where, clients, server->readOnly() ? QStringLiteral(", read-only") : QString()));
    m_remoteStatus->setVisible(server->isListening());
    if (!remoteDialog)
        return;
    if (server->isListening())
        remoteDialog->setStatusText(QStringLiteral("Listening on %1; %2 connected.").arg(where, clients));
    else if (!server->errorString().isEmpty())
        remoteDialog->setStatusText(QStringLiteral("Not listening: %1").arg(server->errorString()));
    else
        remoteDialog->setStatusText(QStringLiteral("Not listening."));
    QList<QPair<int, QString>> locks;
    for (int o = 0; o < OutputsOf(m_state); ++o)
        if (!server->lockOwner(o).isEmpty())
            locks.append({o, server->lockOwner(o)});
    remoteDialog->setLocks(locks);
}

void TMatrixForm::openRemoteDialog()
{
    if (!remoteDialog) {
        remoteDialog = new RemoteDialog(this);
        connect(remoteDialog, &RemoteDialog::applyRequested, this, [this] {
            const RemoteChoices c = remoteDialog->choices();
            SaveChoices(c);
            remoteServer->setReadOnly(c.readOnly);
            const QHostAddress address(c.bind);
            if (!c.enabled)
                remoteServer->stop();
            else if (!remoteServer->isListening() || remoteServer->address() != address ||
                     remoteServer->port() != c.port)
                serveRemote(address, quint16(c.port));
            showRemoteStatus();
        });
        connect(remoteDialog, &RemoteDialog::forceUnlockRequested, this,
                [this](int o) { askForceUnlock(o); });
    }
    // What runs now, which may be the command line's choice rather than the saved one.
    RemoteChoices c = SavedChoices();
    c.enabled = remoteServer->isListening();
    if (c.enabled) {
        c.bind = remoteServer->address().toString();
        c.port = remoteServer->port();
    }
    c.readOnly = remoteServer->readOnly();
    remoteDialog->setChoices(c);
    showRemoteStatus();
    remoteDialog->show();
    remoteDialog->raise();
    remoteDialog->activateWindow();
}
} // namespace kv
