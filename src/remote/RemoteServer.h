#pragma once
// The remote-control server: router control panels and scripts connect over TCP and speak
// the block protocol of HubBlocks.h. It lives on the GUI thread beside the console. A
// request is answered the moment it is parsed; the work it asks for waits for the console's
// gate and runs through the console's own operations. Every change the console makes or
// sees reaches every client once changed() is called.

#include "control/RemoteConsole.h"
#include "remote/HubBlocks.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <deque>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace kv {

class RemoteServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxClients = 8;
    static constexpr quint16 kDefaultPort = 9990;
    // A client that leaves this much unread is dropped rather than buffered without end.
    static constexpr qint64 kMaxUnsentBytes = 256 * 1024;
    // Requests of one client that may wait for the console's gate; each one more is NAK.
    static constexpr int kMaxWaiting = 16;

    explicit RemoteServer(RemoteConsole &console, QObject *parent = nullptr);
    ~RemoteServer() override;

    // False, with errorString(), when the address cannot be listened on.
    bool listen(const QHostAddress &address, quint16 port);
    // Closes the listener and every client; their requests still waiting never run.
    void stop();
    bool isListening() const;
    QHostAddress address() const;
    quint16 port() const;
    QString errorString() const { return m_error; }
    int clientCount() const { return int(m_clients.size()); }

    // Clients may watch; every change they ask for is refused.
    void setReadOnly(bool on) { m_readOnly = on; }
    bool readOnly() const { return m_readOnly; }

    // The operator frees a lock (after asking); its owner and every client are told.
    void forceUnlock(int output);

    // Routes, labels, locks or the device changed (whatever changed them): every client is
    // sent the lines that differ from what it was last told.
    void changed();
    // Runs the waiting requests, one per turn of the event loop and one client's after
    // another's, while the console's gate is free.
    void runQueued();
    // Drops every waiting request: each client hears what its outputs and labels still are.
    void refuseWaiting(const QString &why);

signals:
    // Listening started or stopped, or a client came or went.
    void statusChanged();
    void locksChanged();
    // A route answered ACK could not run when its turn came; text says whose and why.
    void routeRefused(const QString &text);

private:
    struct Client;
    struct Job {
        HubRequest request;
        QString owner;  // lock identity of the client that asked
        QString origin; // "remote ADDRESS"
        QString address;
    };

    void onNewConnection();
    void onReadyRead(Client *client);
    void serveTurn(Client *client);
    void runNext();
    bool enqueue(const Client &client, const HubRequest &r);
    void drop(Client *client);
    void handle(Client &client, const HubBlock &block);
    void answer(Client &client, bool ack);
    bool routesAllowed(const HubRequest &r, const QString &owner) const;
    QString routesRefusal(const HubRequest &r, const QString &owner) const;
    void refuse(const Job &job, const QString &why);
    bool applyLocks(const HubRequest &r, const QString &owner);
    void run(const Job &job);
    void sendDump(Client &client);
    QByteArray blockFor(Client &client, const QString &name);
    QList<QChar> locksSeenBy(const QString &owner) const;
    void send(Client &client, const QByteArray &bytes);
    void releaseLocksOf(const QString &owner);

    RemoteConsole &m_console;
    QTcpServer *m_server;
    QTimer *m_retry;                 // the gate was busy
    QTimer *m_next;                  // one request per turn of the event loop
    std::vector<Client *> m_clients; // freed by deleteLater: a handler may still hold one
    // Waiting requests by client name; the names with any, in the order they are served.
    QHash<QString, std::deque<Job>> m_waiting;
    std::deque<QString> m_rotation;
    QString m_error;
    bool m_readOnly = false;
    bool m_running = false;
    bool m_salvoRunning = false;
};

} // namespace kv
