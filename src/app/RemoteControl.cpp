#include "app/RemoteControl.h"

#include "app/MatrixForm.h"
#include "config/Settings.h"
#include "control/Core.h"
#include "remote/RemoteServer.h"
#include "ui/Dialogs.h"
#include "ui/RemoteDialog.h"

#include <QAction>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>
#include <cstdio>

namespace kv {

namespace {

RemoteChoices SavedChoices()
{
    QSettings s = ConsoleSettings();
    RemoteChoices c;
    c.enabled = ReadSetting(s, settings::RemoteEnabled);
    c.bind = ReadSetting(s, settings::RemoteBind);
    c.port = ReadSetting(s, settings::RemotePort);
    c.readOnly = ReadSetting(s, settings::RemoteReadOnly);
    return c;
}

void SaveChoices(const RemoteChoices &c)
{
    QSettings s = ConsoleSettings();
    WriteSetting(s, settings::RemoteEnabled, c.enabled);
    WriteSetting(s, settings::RemoteBind, c.bind);
    WriteSetting(s, settings::RemotePort, c.port);
    WriteSetting(s, settings::RemoteReadOnly, c.readOnly);
}

QString Endpoint(const QHostAddress &address, quint16 port)
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + QString::number(port);
}

QString CannotListen(const QHostAddress &address, quint16 port, const QString &why)
{
    return QStringLiteral("Remote control cannot listen on %1: %2")
        .arg(Endpoint(address, port), why);
}
} // namespace

RemoteControl::RemoteControl(TMatrixForm &form, QStatusBar &bar, QAction &menuItem)
    : QObject(&form), m_form(form), m_bar(bar),
      m_server(new RemoteServer(form.core().remote(), this))
{
    connect(&menuItem, &QAction::triggered, this, [this] { openDialog(); });

    // Shown only while the server listens: without it the bar is as it always was.
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("RemoteStatusLabel"));
    m_bar.addPermanentWidget(m_status);
    m_status->hide();
    connect(m_server, &RemoteServer::statusChanged, this, [this] { showStatus(); });
    connect(m_server, &RemoteServer::locksChanged, this, [this] { showStatus(); });
    connect(m_server, &RemoteServer::routeRefused, &m_bar,
            [this](const QString &text) { m_bar.showMessage(text); });

    const RemoteChoices saved = SavedChoices();
    m_server->setReadOnly(saved.readOnly);
    if (saved.enabled)
        serve(QHostAddress(saved.bind), quint16(saved.port));
}

RemoteControl::~RemoteControl()
{
    // The server's clients go before the console they are served from.
    delete m_server;
}

bool RemoteControl::serve(const QHostAddress &address, quint16 port)
{
    if (m_server->listen(address, port))
        return true;
    m_bar.showMessage(CannotListen(address, port, m_server->errorString()));
    return false;
}

bool RemoteControl::serveAtStartUp(const QHostAddress &address, quint16 port, bool unattended)
{
    if (serve(address, port))
        return true;
    const QString text = CannotListen(address, port, m_server->errorString());
    std::fprintf(stderr, "%s\n", qPrintable(text));
    if (!unattended)
        Dialogs::instance().message(&m_form, kAppTitle, text, Dialogs::Buttons::Ok,
                                    Dialogs::Icon::Stop);
    return false;
}

void RemoteControl::showStatus()
{
    RemoteServer *server = m_server;
    const int n = server->clientCount();
    const QString clients =
        n == 1 ? QStringLiteral("1 client") : QStringLiteral("%1 clients").arg(n);
    const QString where = Endpoint(server->address(), server->port());
    m_status->setText(
        QStringLiteral("Remote %1, %2%3")
            .arg(where, clients, server->readOnly() ? QStringLiteral(", read-only") : QString()));
    m_status->setVisible(server->isListening());
    if (!m_dialog)
        return;
    if (server->isListening())
        m_dialog->setStatusText(
            QStringLiteral("Listening on %1; %2 connected.").arg(where, clients));
    else if (!server->errorString().isEmpty())
        m_dialog->setStatusText(QStringLiteral("Not listening: %1").arg(server->errorString()));
    else
        m_dialog->setStatusText(QStringLiteral("Not listening."));
    QList<QPair<int, QString>> locks;
    for (int o = 0; o < OutputsOf(m_form.core().state()); ++o)
        if (!m_form.core().holds().lockOwner(o).isEmpty())
            locks.append({o, m_form.core().holds().lockOwner(o)});
    m_dialog->setLocks(locks);
}

void RemoteControl::openDialog()
{
    if (!m_dialog) {
        m_dialog = new RemoteDialog(&m_form);
        connect(m_dialog, &RemoteDialog::applyRequested, this, [this] {
            const RemoteChoices c = m_dialog->choices();
            SaveChoices(c);
            m_server->setReadOnly(c.readOnly);
            const QHostAddress address(c.bind);
            if (!c.enabled)
                m_server->stop();
            else if (!m_server->isListening() || m_server->address() != address ||
                     m_server->port() != c.port)
                serve(address, quint16(c.port));
            showStatus();
        });
        connect(m_dialog, &RemoteDialog::forceUnlockRequested, this,
                [this](int o) { askForceUnlock(o); });
    }
    // What runs now, which may be the command line's choice rather than the saved one.
    RemoteChoices c = SavedChoices();
    c.enabled = m_server->isListening();
    if (c.enabled) {
        c.bind = m_server->address().toString();
        c.port = m_server->port();
    }
    c.readOnly = m_server->readOnly();
    m_dialog->setChoices(c);
    showStatus();
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void RemoteControl::askForceUnlock(int output)
{
    const QString owner = m_form.core().holds().lockOwner(output);
    if (owner.isEmpty())
        return;
    if (Dialogs::instance().yesNo(
            &m_form, kAppTitle,
            QStringLiteral("Output %1 is locked by remote client %2. Force the lock free?")
                .arg(output + 1)
                .arg(owner)))
        m_server->forceUnlock(output);
}

} // namespace kv
