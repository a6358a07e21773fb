#pragma once
// The console's side of a link for channel tests: a MatrixState, a recording host, the real
// CommandChannel with shortened waits and the real serial link that probes for its retry
// loop, plus opening the serial port and the TCP socket as a connect would leave them.

#include "RecordingLinkHost.h"

#include "state/MatrixState.h"
#include "link/CommandChannel.h"
#include "link/SerialLink.h"
#include "link/Timeouts.h"

#include <QByteArray>
#include <memory>

class QSerialPort;
class QTcpSocket;

namespace kv::test {

// A window without menus, labels or a progress window; a status read it is asked for does
// nothing.
class QuietSerialWindow : public SerialLinkHost {
public:
    void setItemEnabled(Item, bool) override {}
    void setComItemChecked(int, bool) override {}
    void setComNumber(const QString &, const QString &) override {}
    void showProgress(const QString &) override {}
    void hideProgress() override {}
    void ReadfromKestavions1Click() override {}
    void LoadIpAddress() override {}
};

struct LinkBench {
    explicit LinkBench(const Timeouts &timeouts = Timeouts::fast());
    ~LinkBench();

    // Opens the serial port on a device path as COM1 (KV_COM1 names it, so the retry loop's
    // probe finds it again), with the serial link's settings.
    bool openSerial(const QString &path);
    // Connects the TCP client to 127.0.0.1:port; the listener must run on another thread.
    bool connectTcp(quint16 port);
    // The serial link marked live or not, as a connect or a disconnect leaves it.
    void setSerialLinkLive(bool live);

    QSerialPort *port() const;
    QTcpSocket *socket() const;

    MatrixState state{};
    RecordingLinkHost host;
    QuietSerialWindow window;
    std::unique_ptr<CommandChannel> channel;
    std::unique_ptr<SerialLink> serial;
};

// Nothing was copied into the reply.
bool AllZero(const QByteArray &bytes);

} // namespace kv::test
