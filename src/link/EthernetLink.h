#pragma once
// The TCP link to the switcher: the operator's choice between "RS-232" and "Ethernet",
// connecting to the address typed on the Setup page, switching from one link to the other,
// and the connection's events and errors.

#include "link/SerialLink.h"

#include <QAbstractSocket>
#include <QObject>
#include <cstdint>
#include <optional>

class QTcpSocket;

namespace kv {

// What the Ethernet link needs of the window besides the serial link's needs: the Setup
// page's link choice and IP address field.
class EthernetLinkHost : public SerialLinkHost {
public:
    virtual QString ipAddressText() const = 0;
    virtual void setIpAddressText(const QString &text) = 0;
    // 0 = "RS-232", 1 = "Ethernet".
    virtual int serialModeIndex() const = 0;
    // A change runs SerialModeRadioGroupClick again before this returns, as the operator's
    // choice does.
    virtual void setSerialModeIndex(int index) = 0;
    // IPSave.ini, kept by the window's side: false when it cannot be written, nullopt when it
    // cannot be read.
    virtual bool writeIpSaveFile(const QString &text) = 0;
    virtual std::optional<QString> readIpSaveFile() = 0;
};

enum class SocketErrorKind { General, Send, Receive, Connect, Disconnect };

class EthernetLink : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kSwitcherPort = 23;

    EthernetLink(CommandChannel &channel, LinkHost &host, SerialLink &serial,
                 EthernetLinkHost &window, QObject *parent = nullptr);

    void SerialModeRadioGroupClick();
    void SaveIpAddress(const QString &text);
    void LoadIpAddress();
    // False (and the field left as typed) when the text is not an address.
    bool NormaliseIpAddress();

    void ClientSocket1Connect();
    void ClientSocket1Disconnect();
    void ClientSocket1Error(SocketErrorKind kind);
    static QString ErrorText(SocketErrorKind kind);

    // True while the link itself changes the RS-232/Ethernet choice: the handler's run that
    // this causes belongs to the run that made the change.
    bool selectingItself() const { return m_selecting; }

    // Whether the TCP connection is up; closing waits until it is down.
    bool connectionActive() const;
    void closeConnection();

    // The switcher's port; KV_TCP_PORT overrides it for an emulator on loopback.
    static quint16 switcherPort();

    std::uint8_t SuppressEthernetReconnect = 0;
    std::uint8_t SuppressSerialFallback = 0;

private:
    void rs232Chosen();
    void ethernetChosen();
    // Connect, probe and read; the first socket error ends the attempt.
    void connectAndRead();
    void onSocketError(QAbstractSocket::SocketError error);
    void failAttempt(const QString &text);
    // Sets the choice, which runs SerialModeRadioGroupClick again before it returns.
    void select(int index);

    CommandChannel &m_channel;
    LinkTransport m_transport;
    MatrixState &m_state;
    LinkHost &m_host;
    SerialLink &m_serial;
    EthernetLinkHost &m_window;
    QTcpSocket *m_socket;
    // While a connection attempt runs, socket errors end it instead of raising a box each.
    bool m_guarded = false;
    bool m_selecting = false;
    QString m_guardError;
};

QString InvalidIpAddressText();

} // namespace kv
