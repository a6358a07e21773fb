#pragma once
// Which device stands behind COM1 to COM4. KV_COM1 to KV_COM4 name the device for one port
// (a pseudo-terminal in tests and demos); once any of them is set they alone define the
// ports, and an unset or empty one has no device. With none of them set, COMn is the n-th
// serial port the system lists, USB and ACM adapters first, then the built-in ttyS ports.

#include <QString>
#include <QStringList>

class QSerialPort;

namespace kv {

inline constexpr int kComPortCount = 4;

// Device path behind COMn (n = 1-4); empty when there is none.
QString ComPortPath(int n);

// The system's serial ports in COM order (only used when no KV_COMn is set).
QStringList SystemSerialPorts();

// Whether the device can be opened right now: an open-and-close test. A port held by another
// application cannot be opened and so counts as not available.
bool ComPortAvailable(const QString &path);

// The switcher's line: 8 data bits, no parity, one stop bit, RTS/CTS, and a read buffer
// small enough that RTS/CTS holds the sender when the console falls behind.
void ApplySwitcherLineSettings(QSerialPort &port, int baud);

} // namespace kv
