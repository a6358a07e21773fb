#pragma once
// A scripted remote-control client on loopback, driven without blocking waits (the server
// runs on this thread): it gathers what the server sends as blocks, each a header, its lines
// and the blank line, exactly as they came.
//
//     HubClient c;
//     QVERIFY(c.connectTo(f.form().remoteServer()->port()));   // the dump, up to END PRELUDE
//     c.send("VIDEO OUTPUT ROUTING:\n0 3\n\n");
//     QCOMPARE(c.next(2), "ACK\n\nVIDEO OUTPUT ROUTING:\n0 3\n\n");

#include <QByteArray>
#include <QList>
#include <QTcpSocket>

namespace kv::test {

class HubClient {
public:
    // Connects and waits for the whole dump, which dump() then holds.
    bool connectTo(quint16 port, int timeoutMs = 5000);
    // Connects and waits only for the connection (the server may close it at once).
    bool open(quint16 port, int timeoutMs = 5000);
    void send(const QByteArray &bytes);
    // The next count blocks, concatenated; what came by timeoutMs when fewer came.
    QByteArray next(int count = 1, int timeoutMs = 5000);
    // True when no block comes within ms.
    bool quiet(int ms = 150);
    // Waits until the server has closed the connection.
    bool closedByServer(int timeoutMs = 5000);
    void close() { m_socket.abort(); }
    QByteArray dump() const { return m_dump; }
    QTcpSocket &socket() { return m_socket; }

private:
    void gather();
    QTcpSocket m_socket;
    QByteArray m_pending;
    QList<QByteArray> m_blocks;
    QByteArray m_dump;
};

} // namespace kv::test
