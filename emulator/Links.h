#pragma once
// The two ways into the emulator: a pseudo-terminal that the console opens as a serial port,
// and TCP connections on loopback. Each link cuts what it receives into lines and sends the
// replies through its own paced queue.

#include "OutputQueue.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

namespace kv::emu {

class Link : public QObject, public ByteSink {
    Q_OBJECT
public:
    explicit Link(QObject *parent = nullptr);
    OutputQueue &queue() { return m_queue; }
    virtual bool isTcp() const = 0;
    // Replies not yet sent and a line not yet complete are forgotten, so that the next
    // client neither reads an earlier one's answer nor sends into its half line.
    virtual void dropOutput();

signals:
    void lineReceived(kv::emu::Link *link, const QByteArray &line);

protected:
    void received(const QByteArray &bytes);

private:
    // Paced, a line is complete when its CR would have crossed the line, not when the pty or
    // the socket handed the bytes over all at once.
    struct Arriving {
        Clock::time_point at;
        QByteArray line;
    };
    void deliverArrived();

    OutputQueue m_queue;
    LineSplitter m_splitter;
    QList<Arriving> m_arriving;
    Clock::time_point m_inFree{}; // when the incoming line is free again
    QTimer m_inTimer;
};

class PtyLink : public Link {
    Q_OBJECT
public:
    explicit PtyLink(QObject *parent = nullptr) : Link(parent) {}
    ~PtyLink() override;

    // Creates the pseudo-terminal in raw mode and points the symbolic link at its slave.
    // An existing symbolic link is replaced; any other file there is an error.
    bool open(const QString &linkPath, QString *error);
    QString slavePath() const { return m_slavePath; }
    bool isTcp() const override { return false; }

    qint64 writeSome(const char *data, qint64 len) override;
    void closeLink() override {} // a serial line cannot hang up on its own
    void dropOutput() override;  // and what the pty holds unread, both ways

private:
    void readMaster();

    int m_master = -1;
    int m_slave = -1; // kept open so that the master never reads EIO
    QString m_linkPath, m_slavePath;
    QSocketNotifier *m_readNote = nullptr;
    QSocketNotifier *m_writeNote = nullptr;
};

class TcpLink : public Link {
    Q_OBJECT
public:
    explicit TcpLink(QTcpSocket *socket, QObject *parent = nullptr);
    bool isTcp() const override { return true; }

    qint64 writeSome(const char *data, qint64 len) override;
    void closeLink() override;

private:
    QPointer<QTcpSocket> m_socket;
};

// Accepts connections on 127.0.0.1 and makes a TcpLink of each.
class TcpListener : public QObject {
    Q_OBJECT
public:
    explicit TcpListener(QObject *parent = nullptr);
    bool listen(quint16 port, QString *error);
    quint16 port() const;

signals:
    void linkOpened(kv::emu::Link *link);

private:
    QTcpServer *m_server;
};

} // namespace kv::emu
