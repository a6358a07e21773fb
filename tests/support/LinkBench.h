#pragma once
// The console's side of a link for channel tests: a MatrixState, a recording host and the real
// CommandChannel with shortened waits, plus opening its real serial port and TCP socket.

#include "RecordingLinkHost.h"

#include "state/MatrixState.h"
#include "link/CommandChannel.h"
#include "link/Timeouts.h"

#include <QByteArray>
#include <memory>

namespace kv::test {

struct LinkBench {
    explicit LinkBench(const Timeouts &timeouts = Timeouts::fast());

    // Opens ApdComPort1 on a device path as the serial link does (57600 8N1, RTS/CTS, a
    // read buffer of the size of the device's).
    bool openSerial(const QString &path);
    // Connects ClientSocket1 to 127.0.0.1:port; the listener must run on another thread.
    bool connectTcp(quint16 port);

    QByteArray reply(int n) const;      // the first n bytes of ReplyBuffer
    bool replyAllZero() const;

    MatrixState state{};
    RecordingLinkHost host;
    std::unique_ptr<CommandChannel> channel;
};

} // namespace kv::test
