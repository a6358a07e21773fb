#include "LinkBench.h"
#include "LinkEnv.h"

#include "link/LinkTransport.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <algorithm>

namespace kv::test {

LinkBench::LinkBench(const Timeouts &timeouts)
{
    InitMatrixState(state);
    channel = std::make_unique<CommandChannel>(state, host, timeouts);
    serial = std::make_unique<SerialLink>(*channel, host, window);
}

LinkBench::~LinkBench()
{
    serial.reset();
    channel.reset();
}

bool LinkBench::openSerial(const QString &path)
{
    SetComPorts({path});
    LinkTransport transport(*channel);
    transport.setPortNumber(1);
    QSerialPort *p = transport.serialPort();
    p->setPortName(path);
    if (!p->open(QIODevice::ReadWrite))
        return false;
    serial->ApdComPort1PortOpen();
    return true;
}

bool LinkBench::connectTcp(quint16 port)
{
    QTcpSocket *s = socket();
    s->connectToHost(QStringLiteral("127.0.0.1"), port);
    return s->waitForConnected(5000);
}

void LinkBench::setSerialLinkLive(bool live) { LinkTransport(*channel).setSerialLinkLive(live); }

QSerialPort *LinkBench::port() const { return LinkTransport(*channel).serialPort(); }

QTcpSocket *LinkBench::socket() const { return LinkTransport(*channel).socket(); }

bool AllZero(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char b) { return b == 0; });
}

} // namespace kv::test
