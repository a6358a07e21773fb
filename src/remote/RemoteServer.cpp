#include "remote/RemoteServer.h"

#include "control/Holds.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace kv {

namespace {
constexpr int kRetryMs = 20;
// What the socket holds for a client and what one read takes of it: a client that writes
// faster than it is served waits in its own TCP window, not in this process.
constexpr qint64 kReadBufferBytes = 64 * 1024;
constexpr qint64 kReadChunkBytes = 4096;

QString PeerAddress(const QTcpSocket *s)
{
    const QHostAddress a = s->peerAddress();
    bool v4 = false;
    const quint32 ip4 = a.toIPv4Address(&v4);
    return v4 ? QHostAddress(ip4).toString() : a.toString();
}

// "3, 5" for outputs 2 and 4, as the operator counts them.
QString Numbers(const QList<int> &outputs)
{
    QStringList numbers;
    for (int o : outputs)
        numbers << QString::number(o + 1);
    return numbers.join(QStringLiteral(", "));
}

// The ports whose value differs, for the model's count; grows told to that count.
template <class T> QList<int> Differ(QList<T> &told, const QList<T> &now)
{
    QList<int> ports;
    for (int n = 0; n < now.size(); ++n)
        if (n >= told.size() || told[n] != now[n])
            ports << n;
    told = now;
    return ports;
}
} // namespace

// A QObject so that it can outlive its drop until the handler that dropped it returns.
struct RemoteServer::Client : QObject {
    QTcpSocket *socket = nullptr; // a child: goes with it
    HubBlockReader reader;
    QByteArray inbox; // read, not yet cut into blocks
    bool turnPosted = false;
    bool leaving = false; // gone, but what it sent before is still served
    QString name;         // lock identity: ADDRESS:PORT
    QString origin;       // for the route journal: remote ADDRESS
    QString address;
    bool dead = false;
    // What it was last told.
    HubDevice device;
    QStringList inputLabels, outputLabels;
    QList<int> routes;
    QList<QChar> locks;
};

RemoteServer::RemoteServer(RemoteConsole &console, QObject *parent)
    : QObject(parent), m_console(console), m_server(new QTcpServer(this)),
      m_retry(new QTimer(this)), m_next(new QTimer(this))
{
    m_retry->setSingleShot(true);
    m_retry->setInterval(kRetryMs);
    connect(m_retry, &QTimer::timeout, this, &RemoteServer::runNext);
    m_next->setSingleShot(true);
    m_next->setInterval(0);
    connect(m_next, &QTimer::timeout, this, &RemoteServer::runNext);
    connect(m_server, &QTcpServer::newConnection, this, &RemoteServer::onNewConnection);
    connect(&m_console.holds(), &Holds::locksChanged, this, &RemoteServer::locksChanged);
}

RemoteServer::~RemoteServer()
{
    for (Client *c : m_clients) {
        c->socket->disconnect();
        c->socket->abort();
        delete c;
    }
}

bool RemoteServer::listen(const QHostAddress &address, quint16 port)
{
    stop();
    m_error.clear();
    const bool ok = m_server->listen(address, port);
    if (!ok)
        m_error = m_server->errorString();
    emit statusChanged();
    return ok;
}

void RemoteServer::stop()
{
    const bool was = m_server->isListening() || !m_clients.empty();
    m_server->close();
    for (Client *c : m_clients) {
        c->socket->disconnect();
        c->socket->abort();
        c->deleteLater();
    }
    m_clients.clear();
    // What was answered but has not run is dropped: a server switched off acts no more.
    m_waiting.clear();
    m_rotation.clear();
    m_console.holds().releaseAllLocks();
    if (was)
        emit statusChanged();
}

bool RemoteServer::isListening() const { return m_server->isListening(); }
QHostAddress RemoteServer::address() const { return m_server->serverAddress(); }
quint16 RemoteServer::port() const { return m_server->serverPort(); }

void RemoteServer::forceUnlock(int output)
{
    if (m_console.holds().lockOwner(output).isEmpty())
        return;
    m_console.holds().forceUnlock(output);
    changed();
}

void RemoteServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (clientCount() >= kMaxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto *c = new Client;
        c->setParent(this);
        c->socket = socket;
        socket->setParent(c);
        socket->setReadBufferSize(kReadBufferBytes);
        c->name = PeerAddress(socket) + u':' + QString::number(socket->peerPort());
        c->address = PeerAddress(socket);
        c->origin = QStringLiteral("remote ") + c->address;
        m_clients.push_back(c);
        connect(socket, &QTcpSocket::readyRead, c, [this, c] { onReadyRead(c); });
        // Queued: a socket may report its end from inside a write to it.
        connect(
            socket, &QTcpSocket::disconnected, c,
            [this, c] {
                if (c->turnPosted)
                    c->leaving = true;
                else
                    drop(c);
            },
            Qt::QueuedConnection);
        sendDump(*c);
        emit statusChanged();
    }
}

void RemoteServer::drop(Client *client)
{
    const auto it = std::find(m_clients.begin(), m_clients.end(), client);
    if (it == m_clients.end())
        return;
    const QString name = client->name;
    client->dead = true;
    client->socket->disconnect();
    client->socket->abort();
    client->deleteLater();
    m_clients.erase(it);
    releaseLocksOf(name);
    emit statusChanged();
}

void RemoteServer::releaseLocksOf(const QString &owner)
{
    bool held = false;
    for (int o = 0; o < 16; ++o)
        held = held || m_console.holds().lockOwner(o) == owner;
    if (!held)
        return;
    m_console.holds().releaseLocksOf(owner);
    changed();
}

void RemoteServer::onReadyRead(Client *client)
{
    if (!client->turnPosted)
        serveTurn(client);
}

// One block per turn, and the next turn at the back of the event queue: clients take turns,
// and what waits is bytes, never a list of parsed requests.
void RemoteServer::serveTurn(Client *client)
{
    client->turnPosted = false;
    if (client->dead)
        return;
    if (client->inbox.isEmpty() && client->socket->isReadable())
        client->inbox = client->socket->read(kReadChunkBytes);
    if (!client->inbox.isEmpty()) {
        QList<HubBlock> blocks;
        qsizetype taken = 0;
        const auto status = client->reader.feed(client->inbox, blocks, 1, &taken);
        client->inbox.remove(0, taken);
        // A block completed before a broken limit was sound and is answered.
        for (const HubBlock &b : blocks)
            handle(*client, b);
        if (status != HubBlockReader::Status::Ok)
            client->dead = true;
    }
    if (client->dead) {
        drop(client);
    } else if (!client->inbox.isEmpty() || client->socket->bytesAvailable() > 0) {
        client->turnPosted = true;
        QMetaObject::invokeMethod(
            client, [this, client] { serveTurn(client); }, Qt::QueuedConnection);
    } else if (client->leaving) {
        drop(client);
    }
    runQueued();
}

bool RemoteServer::enqueue(const Client &client, const HubRequest &r)
{
    std::deque<Job> &jobs = m_waiting[client.name];
    if (jobs.size() >= kMaxWaiting)
        return false;
    if (jobs.empty())
        m_rotation.push_back(client.name);
    jobs.push_back({r, client.name, client.origin, client.address});
    return true;
}

void RemoteServer::answer(Client &client, bool ack)
{
    // Out (send() flushes) before any exchange the request leads to blocks this thread.
    send(client, ack ? HubAck() : HubNak());
}

void RemoteServer::handle(Client &client, const HubBlock &block)
{
    const HubDevice device = m_console.device();
    const HubRequest r = ParseHubRequest(block, device.inputs, device.outputs);
    using Kind = HubRequest::Kind;
    switch (r.kind) {
    case Kind::Invalid: answer(client, false); return;
    case Kind::Ping:
    case Kind::Configuration: answer(client, true); return;
    case Kind::Dump:
        answer(client, true);
        send(client, blockFor(client, r.block));
        return;
    case Kind::Routes:
    case Kind::InputLabels:
    case Kind::OutputLabels:
        if (m_readOnly || (r.kind == Kind::Routes && !routesAllowed(r, client.name)) ||
            !enqueue(client, r)) {
            answer(client, false);
            return;
        }
        answer(client, true);
        return;
    case Kind::Locks:
        if (m_readOnly || !applyLocks(r, client.name)) {
            answer(client, false);
            return;
        }
        answer(client, true);
        changed();
        return;
    }
}

bool RemoteServer::routesAllowed(const HubRequest &r, const QString &owner) const
{
    return routesRefusal(r, owner).isEmpty();
}

QString RemoteServer::routesRefusal(const HubRequest &r, const QString &owner) const
{
    // One "TAKE 1" would commit whatever the operator has pending too. While a salvo runs, its
    // own temporary routes are pending: a request is then judged again when its turn comes.
    if (!m_salvoRunning && m_console.operatorPending())
        return QStringLiteral("routes pending at the console");
    const int outputs = m_console.device().outputs;
    QList<int> barred, named;
    for (const auto &[o, i] : r.routes) {
        if (o < 0 || o >= outputs || o >= 16 || !m_console.inputAllowed(o, i))
            barred << o;
        else
            named << o;
    }
    if (!barred.isEmpty())
        return QStringLiteral("input not allowed on output(s) %1").arg(Numbers(barred));
    if (const QString why = m_console.salvoRefusal(named, owner); !why.isEmpty())
        return why;
    return {};
}

void RemoteServer::refuse(const Job &job, const QString &why)
{
    // The client was told ACK: it hears what its outputs still carry.
    QList<int> outputs;
    for (const auto &route : job.request.routes)
        outputs << route.first;
    const QStringList lines = HubRouteLines(m_console.onAirRoutes(), outputs);
    for (Client *c : m_clients)
        if (c->name == job.owner && !lines.isEmpty())
            send(*c, HubBlockText(hub::kRouting, lines));
    emit routeRefused(QStringLiteral("Remote route from %1 refused: %2").arg(job.address, why));
}

void RemoteServer::refuseWaiting(const QString &why)
{
    const QHash<QString, std::deque<Job>> waiting = std::exchange(m_waiting, {});
    const std::deque<QString> rotation = std::exchange(m_rotation, {});
    for (const QString &owner : rotation) {
        for (const Job &job : waiting.value(owner)) {
            if (job.request.kind == HubRequest::Kind::Routes) {
                refuse(job, why);
                continue;
            }
            const QString name = job.request.kind == HubRequest::Kind::InputLabels
                                     ? hub::kInputLabels
                                     : hub::kOutputLabels;
            for (Client *c : m_clients)
                if (c->name == job.owner)
                    send(*c, blockFor(*c, name));
        }
    }
}

bool RemoteServer::applyLocks(const HubRequest &r, const QString &owner)
{
    return m_console.holds().applyLocks(r.locks, owner);
}

void RemoteServer::runQueued()
{
    // Never from here: the end of one exchange must not start the next before the clients'
    // bytes that came meanwhile have been read and answered.
    if (!m_rotation.empty())
        m_next->start();
}

void RemoteServer::runNext()
{
    if (m_running || m_rotation.empty())
        return;
    if (!m_console.gateFree()) {
        m_retry->start();
        return;
    }
    // Taken off before it runs: the run serves events, and they may queue more. Its client
    // goes back in line only afterwards, behind whoever asked while it ran.
    const QString owner = m_rotation.front();
    m_rotation.pop_front();
    const Job job = m_waiting[owner].front();
    m_waiting[owner].pop_front();
    m_running = true;
    run(job);
    m_running = false;
    if (const auto it = m_waiting.find(owner); it != m_waiting.end()) {
        if (it->empty())
            m_waiting.erase(it);
        else if (std::find(m_rotation.begin(), m_rotation.end(), owner) == m_rotation.end())
            m_rotation.push_back(owner);
    }
    runQueued();
}

void RemoteServer::run(const Job &job)
{
    const HubRequest &r = job.request;
    if (r.kind == HubRequest::Kind::Routes) {
        // A lock, a protect, the operator's own routes or a temporary route made elsewhere may
        // have come since the ACK.
        m_console.readSwitcherRoutes(job.origin);
        const QString why = routesRefusal(r, job.owner);
        if (why.isEmpty()) {
            m_salvoRunning = true;
            m_console.takeRoutes(r.routes, job.origin);
            m_salvoRunning = false;
        } else
            refuse(job, why);
    } else {
        const HubLabelKind kind =
            r.kind == HubRequest::Kind::InputLabels ? HubLabelKind::Input : HubLabelKind::Output;
        const int count = int(m_console.labels(kind).size());
        for (const auto &[n, text] : r.labels)
            if (n < count)
                m_console.setLabel(kind, n, text);
    }
    changed();
}

QList<QChar> RemoteServer::locksSeenBy(const QString &owner) const
{
    QList<QChar> locks;
    const int outputs = std::min(m_console.device().outputs, 16);
    for (int o = 0; o < outputs; ++o) {
        const QString held = m_console.holds().lockOwner(o);
        if (m_console.holds().isProtected(o) || (!held.isEmpty() && held != owner))
            locks << u'L';
        else
            locks << (held.isEmpty() ? u'U' : u'O');
    }
    return locks;
}

QByteArray RemoteServer::blockFor(Client &client, const QString &name)
{
    if (name == hub::kPreamble)
        return HubBlockText(name, HubPreambleLines());
    if (name == hub::kDevice) {
        client.device = m_console.device();
        return HubBlockText(name, HubDeviceLines(client.device));
    }
    if (name == hub::kInputLabels) {
        client.inputLabels = m_console.labels(HubLabelKind::Input);
        return HubBlockText(name, HubLabelLines(client.inputLabels));
    }
    if (name == hub::kOutputLabels) {
        client.outputLabels = m_console.labels(HubLabelKind::Output);
        return HubBlockText(name, HubLabelLines(client.outputLabels));
    }
    if (name == hub::kLocks) {
        client.locks = locksSeenBy(client.name);
        return HubBlockText(name, HubLockLines(client.locks));
    }
    if (name == hub::kRouting) {
        client.routes = m_console.onAirRoutes();
        return HubBlockText(name, HubRouteLines(client.routes));
    }
    if (name == hub::kConfiguration)
        return HubBlockText(name, HubConfigurationLines());
    return HubBlockText(name, {});
}

void RemoteServer::sendDump(Client &client)
{
    QByteArray text;
    for (const QString &name : {hub::kPreamble, hub::kDevice, hub::kInputLabels, hub::kOutputLabels,
                                hub::kLocks, hub::kRouting, hub::kConfiguration, hub::kEndPrelude})
        text += blockFor(client, name);
    send(client, text);
}

void RemoteServer::changed()
{
    if (m_clients.empty())
        return;
    const HubDevice device = m_console.device();
    const QStringList inputs = m_console.labels(HubLabelKind::Input);
    const QStringList outputs = m_console.labels(HubLabelKind::Output);
    const QList<int> routes = m_console.onAirRoutes();
    for (Client *c : m_clients) {
        Client &client = *c;
        if (client.dead)
            continue;
        QByteArray text;
        if (client.device != device) {
            // Another model (or the switcher came or went): everything but the preamble again.
            for (const QString &name :
                 {hub::kDevice, hub::kInputLabels, hub::kOutputLabels, hub::kLocks, hub::kRouting,
                  hub::kConfiguration, hub::kEndPrelude})
                text += blockFor(client, name);
        } else {
            if (const QList<int> p = Differ(client.inputLabels, inputs); !p.isEmpty())
                text += HubBlockText(hub::kInputLabels, HubLabelLines(inputs, p));
            if (const QList<int> p = Differ(client.outputLabels, outputs); !p.isEmpty())
                text += HubBlockText(hub::kOutputLabels, HubLabelLines(outputs, p));
            const QList<QChar> locks = locksSeenBy(client.name);
            if (const QList<int> p = Differ(client.locks, locks); !p.isEmpty())
                text += HubBlockText(hub::kLocks, HubLockLines(locks, p));
            // An output that lost its input has no line to say so; it is told once it has one.
            if (const QList<int> p = Differ(client.routes, routes); !p.isEmpty()) {
                const QStringList lines = HubRouteLines(routes, p);
                if (!lines.isEmpty())
                    text += HubBlockText(hub::kRouting, lines);
            }
        }
        if (!text.isEmpty())
            send(client, text);
    }
    // Those that stopped reading go now that no one walks the list.
    std::vector<Client *> gone;
    for (Client *c : m_clients)
        if (c->dead)
            gone.push_back(c);
    for (Client *c : gone)
        drop(c);
}

void RemoteServer::send(Client &client, const QByteArray &bytes)
{
    // A client that has gone is dropped once its socket says so; until then it gets nothing.
    if (client.dead || client.socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (client.socket->bytesToWrite() + bytes.size() > kMaxUnsentBytes) {
        client.dead = true;
        return;
    }
    client.socket->write(bytes);
    // Out now, not when the event loop next comes round: the handler that made the change
    // may still have repaints and the journal ahead of it.
    client.socket->flush();
}

} // namespace kv
