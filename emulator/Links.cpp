#include "Links.h"

#include <QFileInfo>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace kv::emu {

Link::Link(QObject *parent) : QObject(parent), m_queue(this)
{
    m_inTimer.setSingleShot(true);
    m_inTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_inTimer, &QTimer::timeout, this, &Link::deliverArrived);
}

void Link::received(const QByteArray &bytes)
{
    const int baud = m_queue.baud();
    if (baud <= 0 && m_arriving.isEmpty()) {
        for (const QByteArray &line : m_splitter.feed(bytes))
            emit lineReceived(this, line);
        return;
    }
    // 10 bits a byte, one byte after the other, as the sender's serial port would send them.
    const auto perByte =
        baud > 0 ? std::chrono::nanoseconds(10'000'000'000LL / baud) : std::chrono::nanoseconds(0);
    auto at = std::max(m_inFree, Clock::now());
    for (char c : bytes) {
        at += perByte;
        for (const QByteArray &line : m_splitter.feed(QByteArray(1, c)))
            m_arriving.append({at, line});
    }
    m_inFree = at;
    deliverArrived();
}

void Link::dropOutput()
{
    m_queue.clear();
    m_splitter = LineSplitter();
    m_arriving.clear();
    m_inTimer.stop();
}

void Link::deliverArrived()
{
    while (!m_arriving.isEmpty()) {
        if (!ReachOrArm(m_inTimer, m_arriving.first().at))
            return;
        emit lineReceived(this, m_arriving.takeFirst().line);
    }
}

// --- pseudo-terminal ---

PtyLink::~PtyLink()
{
    // Remove the link only while it still names our slave: a newer emulator may own it now.
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_slavePath)
        ::unlink(QFile::encodeName(m_linkPath).constData());
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

void PtyLink::dropOutput()
{
    Link::dropOutput();
    if (m_slave >= 0)
        ::tcflush(m_slave, TCIOFLUSH);
}

bool PtyLink::open(const QString &linkPath, QString *error)
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        *error = QString("openpty failed: %1").arg(std::strerror(errno));
        return false;
    }
    termios tio;
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B57600);
    ::cfsetospeed(&tio, B57600);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);

    const QByteArray link = QFile::encodeName(linkPath);
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        ::unlink(link.constData());
    } else if (existing.exists()) {
        *error = QString("%1 exists and is not a symbolic link").arg(linkPath);
        return false;
    }
    if (::symlink(name, link.constData()) != 0) {
        *error = QString("cannot link %1: %2").arg(linkPath, std::strerror(errno));
        return false;
    }
    m_linkPath = linkPath;

    m_readNote = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNote, &QSocketNotifier::activated, this, &PtyLink::readMaster);
    m_writeNote = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNote->setEnabled(false);
    connect(m_writeNote, &QSocketNotifier::activated, this, [this] {
        m_writeNote->setEnabled(false);
        queue().resume();
    });
    return true;
}

void PtyLink::readMaster()
{
    char buf[1024];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            received(QByteArray(buf, n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return; // EAGAIN: all read
    }
}

qint64 PtyLink::writeSome(const char *data, qint64 len)
{
    for (;;) {
        const ssize_t n = ::write(m_master, data, size_t(len));
        if (n >= 0) {
            if (n < len)
                m_writeNote->setEnabled(true);
            return n;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            m_writeNote->setEnabled(true);
            return 0;
        }
        return -1;
    }
}

// --- TCP ---

TcpLink::TcpLink(QTcpSocket *socket, QObject *parent) : Link(parent), m_socket(socket)
{
    socket->setParent(this);
    // Small paced writes must leave as they are written, not gathered by Nagle.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket, &QTcpSocket::readyRead, this, [this] { received(m_socket->readAll()); });
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        queue().clear();
        deleteLater();
    });
}

qint64 TcpLink::writeSome(const char *data, qint64 len)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return -1;
    const qint64 n = m_socket->write(data, len);
    m_socket->flush();
    return n;
}

void TcpLink::closeLink()
{
    if (m_socket)
        m_socket->disconnectFromHost(); // what was written still goes out first
}

TcpListener::TcpListener(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *s = m_server->nextPendingConnection())
            emit linkOpened(new TcpLink(s, this));
    });
}

bool TcpListener::listen(quint16 port, QString *error)
{
    if (m_server->listen(QHostAddress::LocalHost, port))
        return true;
    *error = QString("cannot listen on 127.0.0.1:%1: %2").arg(port).arg(m_server->errorString());
    return false;
}

quint16 TcpListener::port() const { return m_server->serverPort(); }

} // namespace kv::emu
