#pragma once
// One remote-control client of the soak: it sends random routes, locks, labels and PINGs, and
// keeps what the console has told it (routes, labels, locks), as a control panel would.

#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>
#include <chrono>

namespace kv::soak {

// What a client knows of the console: 0-based routes (-1 unknown), labels, lock letters.
struct View {
    QList<int> routes = QList<int>(16, -1);
    QStringList inputLabels = QStringList(16, QString()), outputLabels = QStringList(16, QString());
    QList<QChar> locks = QList<QChar>(16, u'?');

    // Applies one block the server sent: "HEADER:\nline\n...\n\n".
    void apply(const QByteArray &block);
};

class SoakClient : public QObject {
    Q_OBJECT
public:
    SoakClient(int id, quint16 port, quint32 seed);

    bool ready() const { return m_ready; }
    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    void setActive(bool on);
    int outstanding() const { return m_outstanding; }
    const View &view() const { return m_view; }

    int sent = 0, acks = 0, naks = 0, extraAnswers = 0;
    int pings = 0;
    double worstPingMs = 0;

private:
    void onReadyRead();
    void act();
    void send(const QByteArray &block);

    int m_id;
    QTcpSocket m_socket;
    QTimer m_timer;
    QRandomGenerator m_random;
    QByteArray m_pending;
    View m_view;
    bool m_ready = false;
    int m_outstanding = 0;
    QList<std::chrono::steady_clock::time_point> m_pingSent; // in order
    QList<bool> m_isPing;                                    // per outstanding request
};

} // namespace kv::soak
