#pragma once
// The console's one serial port: its settings, the search for the switcher on COM1 to COM4,
// the probe of one port, connecting on a port the operator picks, and disconnecting. The
// exchanges themselves belong to the command channel.

#include "link/LinkTransport.h"

#include <QObject>
#include <QString>

namespace kv {

class CommandChannel;
class LinkHost;
struct MatrixState;

// What the serial link needs of the window: the "Serial Port" menu, the port number on the
// About page, the progress window, and the two operations of other rooms it starts.
class SerialLinkHost {
public:
    enum class Item { SearchForKestavion1, ReadfromKestavions1, DisconnectSerialCommunication1 };

    virtual ~SerialLinkHost() = default;
    virtual void setItemEnabled(Item item, bool enabled) = 0;
    // port 1-4: COM11 to COM41.
    virtual void setComItemChecked(int port, bool checked) = 0;
    // ComNumberLabel; devicePath is shown beside it as a tool tip (empty for "None").
    virtual void setComNumber(const QString &text, const QString &devicePath) = 0;
    virtual void showProgress(const QString &text) = 0;
    virtual void hideProgress() = 0;
    virtual void ReadfromKestavions1Click() = 0;
    virtual void LoadIpAddress() = 0;
};

class SerialLink : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultSpeed = 57600;

    SerialLink(CommandChannel &channel, LinkHost &host, SerialLinkHost &window,
               QObject *parent = nullptr);

    // 0: answered; -1: not available; -2: open failed; -3: exchange failed; -4: no answer.
    int ProbeComPort(int n);
    // n = 0: COM1 to COM4 in turn; 1-4: that port only. 1 when found, -1 when not.
    int SearchComPorts(int n);
    void SearchAllClick();
    bool ConnectOnComPort(int n);
    // COM11Click to COM41Click.
    void ComItemClick(int n);
    void CheckComMenuItem(bool on);
    void DisconnectSerialCommunication1Click();
    // N192001Click, N384001Click, N576001Click.
    void SetSpeed(int baud);

    // The port failed under the live link: the menu and the port number show no link, and
    // the operator is told once.
    void LinkLost(int port);

    void ApdComPort1PortOpen();
    void ApdComPort1PortClose();

    // Port n exists and can be opened right now.
    bool PortAvailable(int n) const;

private:
    // Processes GUI events until SerialPortOpen equals want or the watchdog ran out.
    void awaitPortState(int want);
    // True when the last exchange failed with an error of the port (not a time-out).
    bool portFailed() const;

    CommandChannel &m_channel;
    LinkTransport m_transport;
    MatrixState &m_state;
    LinkHost &m_host;
    SerialLinkHost &m_window;
};

// The two texts of a failed search and of a failed menu connect.
QString SearchFailedText();
QString ConnectFailedText();
// The box shown once when the serial port fails under the live link.
QString LinkLostTitle();
QString LinkLostText(int port);

} // namespace kv
