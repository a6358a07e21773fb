#include "LinkBench.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <algorithm>

namespace kv::test {

LinkBench::LinkBench(const Timeouts &timeouts)
{
    InitMatrixState(state);
    channel = std::make_unique<CommandChannel>(state, host, timeouts);
}

bool LinkBench::openSerial(const QString &path)
{
    QSerialPort *port = channel->serialPort();
    port->setPortName(path);
    port->setBaudRate(57600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::HardwareControl);
    port->setReadBufferSize(CommandChannel::kSerialBufferSize);
    return port->open(QIODevice::ReadWrite);
}

bool LinkBench::connectTcp(quint16 port)
{
    QTcpSocket *socket = channel->socket();
    socket->connectToHost(QStringLiteral("127.0.0.1"), port);
    return socket->waitForConnected(5000);
}

QByteArray LinkBench::reply(int n) const
{
    return QByteArray(reinterpret_cast<const char *>(channel->ReplyBuffer), n);
}

bool LinkBench::replyAllZero() const
{
    const auto &buf = channel->ReplyBuffer;
    return std::all_of(std::begin(buf), std::end(buf), [](std::uint8_t b) { return b == 0; });
}

} // namespace kv::test
