#include "link/ServingWait.h"

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSerialPort>
#include <QTimer>

namespace kv {

namespace {

// A loop that ends at the latest after timeoutMs.
class BoundedLoop {
public:
    explicit BoundedLoop(int timeoutMs)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_loop, &QEventLoop::quit);
        m_timer.start(qMax(0, timeoutMs));
    }
    QEventLoop &loop() { return m_loop; }
    void run() { m_loop.exec(); }

private:
    QEventLoop m_loop;
    QTimer m_timer;
};

} // namespace

bool AwaitReadyRead(QIODevice &device, int timeoutMs)
{
    if (timeoutMs <= 0 || !device.isOpen())
        return false;
    // A switcher that answers does so within the line time of a short reply. That much is
    // awaited on the device alone: served, the wait would repaint the window (the pages go
    // grey for every command) and cost the exchange several times its line time.
    QElapsedTimer clock;
    clock.start();
    if (device.waitForReadyRead(qMin(timeoutMs, kAnswerGraceMs)))
        return true;
    if (auto *port = qobject_cast<QSerialPort *>(&device);
        port && port->error() != QSerialPort::NoError && port->error() != QSerialPort::TimeoutError)
        return false;
    if (auto *socket = qobject_cast<QAbstractSocket *>(&device);
        socket && socket->state() != QAbstractSocket::ConnectedState)
        return false;
    timeoutMs -= int(clock.elapsed());
    if (timeoutMs <= 0 || !device.isOpen())
        return false;
    BoundedLoop wait(timeoutMs);
    QEventLoop &loop = wait.loop();
    bool arrived = false;
    QObject::connect(&device, &QIODevice::readyRead, &loop, [&] {
        arrived = true;
        loop.quit();
    });
    QObject::connect(&device, &QIODevice::aboutToClose, &loop, &QEventLoop::quit);
    if (auto *port = qobject_cast<QSerialPort *>(&device)) {
        QObject::connect(
            port, &QSerialPort::errorOccurred, &loop, [&loop](QSerialPort::SerialPortError error) {
                if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
                    loop.quit();
            });
    }
    if (auto *socket = qobject_cast<QAbstractSocket *>(&device)) {
        QObject::connect(socket, &QAbstractSocket::disconnected, &loop, &QEventLoop::quit);
        QObject::connect(socket, &QAbstractSocket::errorOccurred, &loop, &QEventLoop::quit);
    }
    wait.run();
    return arrived;
}

bool AwaitDisconnected(QAbstractSocket &socket, int timeoutMs)
{
    if (socket.state() == QAbstractSocket::UnconnectedState)
        return true;
    BoundedLoop wait(timeoutMs);
    QObject::connect(&socket, &QAbstractSocket::disconnected, &wait.loop(), &QEventLoop::quit);
    wait.run();
    return socket.state() == QAbstractSocket::UnconnectedState;
}

void ServeFor(int ms)
{
    if (ms <= 0)
        return;
    BoundedLoop wait(ms);
    wait.run();
}

} // namespace kv
