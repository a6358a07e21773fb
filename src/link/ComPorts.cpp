#include "link/ComPorts.h"

#include "link/CommandChannel.h"

#include <QSerialPort>
#include <QSerialPortInfo>
#include <algorithm>

namespace kv {

namespace {

QByteArray envName(int n) { return "KV_COM" + QByteArray::number(n); }

bool anyEnvPortSet()
{
    for (int n = 1; n <= kComPortCount; ++n)
        if (qEnvironmentVariableIsSet(envName(n).constData()))
            return true;
    return false;
}

int rank(const QString &name)
{
    if (name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM")))
        return 0;
    if (name.startsWith(QLatin1String("ttyS")))
        return 1;
    return 2;
}

} // namespace

QStringList SystemSerialPorts()
{
    QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    // ttyS10 after ttyS9: compare by kind, then name length, then name.
    std::stable_sort(ports.begin(), ports.end(),
                     [](const QSerialPortInfo &a, const QSerialPortInfo &b) {
                         const QString x = a.portName(), y = b.portName();
                         if (rank(x) != rank(y))
                             return rank(x) < rank(y);
                         if (x.size() != y.size())
                             return x.size() < y.size();
                         return x < y;
                     });
    QStringList paths;
    for (const QSerialPortInfo &p : ports)
        paths << p.systemLocation();
    return paths;
}

QString ComPortPath(int n)
{
    if (n < 1 || n > kComPortCount)
        return {};
    // Once the environment names one port it names them all: an unset one has no device.
    if (anyEnvPortSet())
        return qEnvironmentVariable(envName(n).constData());
    const QStringList system = SystemSerialPorts();
    return n <= system.size() ? system.at(n - 1) : QString();
}

bool ComPortAvailable(const QString &path)
{
    if (path.isEmpty())
        return false;
    QSerialPort probe;
    probe.setPortName(path);
    if (!probe.open(QIODevice::ReadWrite))
        return false;
    probe.close();
    return true;
}

void ApplySwitcherLineSettings(QSerialPort &port, int baud)
{
    port.setBaudRate(baud);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::HardwareControl);
    // Qt stops reading from the device when its buffer is full, so RTS/CTS holds the sender.
    port.setReadBufferSize(CommandChannel::kSerialBufferSize);
}

} // namespace kv
