// The Ethernet link against kvemu on loopback: the address and IPSave.ini, connecting from
// the Setup page, switching between the serial and the Ethernet link, changing the
// switcher's IP address, and the connection's errors.

#include "ConsoleFixture.h"
#include "LinkEnv.h"
#include "OperatorSteps.h"
#include "Texts.h"

#include "link/CommandChannel.h"
#include "link/LinkTransport.h"
#include "link/EthernetLink.h"
#include "config/IpSaveFile.h"
#include "link/IpAddress.h"
#include "link/SerialLink.h"
#include "ui/RadioGroup.h"

#include <QLineEdit>
#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace kv;
using namespace kv::test;

namespace {

EmuProcess::Options withTcp()
{
    EmuProcess::Options o;
    o.tcp = true;
    return o;
}

QTcpSocket *socket(ConsoleFixture &f) { return LinkTransport(f.form().core().channel()).socket(); }

bool connectEthernet(ConsoleFixture &f)
{
    qputenv("KV_TCP_PORT", QByteArray::number(f.emu().tcpPort()));
    ChooseEthernet(f, "127.0.0.1");
    return f.state().EthernetConnected == 1;
}

} // namespace

class tst_Ethernet : public QObject {
    Q_OBJECT

private slots:
    void init() { SetComPorts({}); }

    void parseAddress_data();
    void parseAddress();
    void ipSaveFile_data();
    void ipSaveFile();
    void emptyAddress();
    void invalidAddressConnectsNothing_data();
    void invalidAddressConnectsNothing();
    void connectProbeAndRead();
    void refusedConnectionFallsBackToSerial();
    void connectedWithoutAnswer();
    void serialToEthernet_data();
    void serialToEthernet();
    void ethernetToSerial_data();
    void ethernetToSerial();
    void changeIpAddress_data();
    void changeIpAddress();
    void remoteCloseIsReported();
};

void tst_Ethernet::parseAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("normalised");
    QTest::addColumn<bool>("inRange");
    QTest::newRow("plain") << "192.168.1.20" << true << "192.168.1.20" << true;
    QTest::newRow("leading blank") << " 10.0.0.5" << true << "10.0.0.5" << true;
    QTest::newRow("blanks around") << " 10. 0 .0.5 " << true << "10.0.0.5" << true;
    QTest::newRow("leading zeros") << "010.000.1.02" << true << "10.0.1.2" << true;
    QTest::newRow("over 255") << "192.168.1.300" << true << "192.168.1.300" << false;
    QTest::newRow("huge") << "99999999999.1.1.1" << true << "99999.1.1.1" << false;
    QTest::newRow("empty") << "" << false << "" << false;
    QTest::newRow("three numbers") << "10.0.0" << false << "" << false;
    QTest::newRow("five numbers") << "1.2.3.4.5" << false << "" << false;
    QTest::newRow("empty field") << "10..0.5" << false << "" << false;
    QTest::newRow("negative") << "-1.2.3.4" << false << "" << false;
    QTest::newRow("letters") << "a.b.c.d" << false << "" << false;
    QTest::newRow("trailing text") << "10.0.0.5x" << false << "" << false;
    QTest::newRow("host name") << "switcher.local" << false << "" << false;
}

void tst_Ethernet::parseAddress()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, normalised);
    QFETCH(bool, inRange);
    const std::optional<IpNumbers> n = ParseIpAddress(text);
    QCOMPARE(n.has_value(), valid);
    if (n) {
        QCOMPARE(FormatIpAddress(*n), normalised);
        QCOMPARE(IpInRange(*n), inRange);
    }
}

void tst_Ethernet::ipSaveFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("word");
    QTest::newRow("text and zero byte") << QByteArray("10.1.2.3", 9) << "10.1.2.3";
    QTest::newRow("leading blank") << QByteArray(" 10.0.0.5", 10) << "10.0.0.5";
    QTest::newRow("first word") << QByteArray("10.0.0.5 extra") << "10.0.0.5";
    QTest::newRow("line end and tab") << QByteArray("\n\t1.2.3.4\r\n5.6.7.8") << "1.2.3.4";
    QTest::newRow("19 characters at most")
        << QByteArray("123456789012345678901234") << "1234567890123456789";
    QTest::newRow("empty file") << QByteArray() << "";
}

void tst_Ethernet::ipSaveFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, word);
    WorkDir dir;
    QVERIFY(!ReadIpSaveFile().has_value());
    dir.writeIpSave(content);
    QCOMPARE(ReadIpSaveFile().value_or("<none>"), word);

    // What the console writes: the text as typed and one zero byte, nothing else.
    QVERIFY(WriteIpSaveFile(" 10.0.0.5"));
    QCOMPARE(dir.ipSave(), QByteArray(" 10.0.0.5", 10));
    QCOMPARE(ReadIpSaveFile().value_or("<none>"), QString("10.0.0.5"));
}

void tst_Ethernet::emptyAddress()
{
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(withTcp()), qPrintable(f.error()));
    qputenv("KV_TCP_PORT", QByteArray::number(f.emu().tcpPort()));

    ChooseEthernet(f, "");
    QCOMPARE(f.dialogs.texts(), QStringList{"Cannot connect. Please enter an IP Address first."});
    QCOMPARE(SerialModeIndex(f), 0);
    QCOMPARE(f.form().core().ethernetLink().SuppressSerialFallback, quint8(0));
    QCOMPARE(socket(f)->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!dir.hasIpSave());

    // A later failed attempt does start the serial search.
    f.dialogs.clear();
    qputenv("KV_TCP_PORT", QByteArray::number(ClosedPort()));
    ChooseEthernet(f, "127.0.0.1");
    QCOMPARE(f.dialogs.texts(), QStringList({"Connection refused", texts::kSearchFailed}));
    QCOMPARE(SerialModeIndex(f), 0);
}

void tst_Ethernet::invalidAddressConnectsNothing_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("three numbers") << "127.0.0";
    QTest::newRow("letters") << "localhost";
    QTest::newRow("over 255") << "127.0.0.256";
    QTest::newRow("blank") << "   ";
}

void tst_Ethernet::invalidAddressConnectsNothing()
{
    QFETCH(QString, address);
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(withTcp()), qPrintable(f.error()));
    qputenv("KV_TCP_PORT", QByteArray::number(f.emu().tcpPort()));

    ChooseEthernet(f, address);
    QCOMPARE(f.dialogs.texts(), QStringList{texts::kInvalidIpAddress});
    QCOMPARE(SerialModeIndex(f), 0);
    QCOMPARE(socket(f)->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(f.state().EthernetConnected, quint8(0));
    QCOMPARE(f.emu().sendControl("state").left(5), QString("state"));
    QVERIFY(f.wire().isEmpty());
}

void tst_Ethernet::connectProbeAndRead()
{
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(withTcp()), qPrintable(f.error()));
    qputenv("KV_TCP_PORT", QByteArray::number(f.emu().tcpPort()));
    f.state().SuppressCommands = 1;

    ChooseEthernet(f, " 127.0.0.1");
    QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.texts().join('|')));
    QCOMPARE(f.state().EthernetConnected, quint8(1));
    QCOMPARE(SerialModeIndex(f), 1);
    // Saved as typed, connected to the address without the blank, port from KV_TCP_PORT.
    QCOMPARE(dir.ipSave(), QByteArray(" 127.0.0.1", 11));
    QCOMPARE(socket(f)->peerName(), QString("127.0.0.1"));
    QCOMPARE(socket(f)->peerPort(), f.emu().tcpPort());
    const QStringList wire = f.wire();
    QVERIFY2(wire.size() > 2, qPrintable(wire.join('|')));
    QCOMPARE(wire.mid(0, 2), QStringList({"", "MINFOKV"}));
    QCOMPARE(f.state().SuppressCommands, quint8(0));
    const MainMenu &m = f.form().menu();
    QVERIFY(!m.SearchForKestavion1->isEnabled());
    QVERIFY(!m.DisconnectSerialCommunication1->isEnabled());
    QVERIFY(m.ReadfromKestavions1->isEnabled());
    // The read shows the switcher's own address; the saved one comes back without the blank.
    QCOMPARE(f.text("IPAddrEdit"), QString("192.168.1.200"));
    f.form().core().ethernetLink().LoadIpAddress();
    QCOMPARE(f.text("IPAddrEdit"), QString("127.0.0.1"));
}

void tst_Ethernet::refusedConnectionFallsBackToSerial()
{
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    SetComPorts({f.emu().ptyPath()});
    qputenv("KV_TCP_PORT", QByteArray::number(ClosedPort()));

    ChooseEthernet(f, "127.0.0.1");
    // The socket layer's own text, then the serial search finds the switcher on COM1.
    QCOMPARE(f.dialogs.texts(), QStringList{"Connection refused"});
    QCOMPARE(SerialModeIndex(f), 0);
    QVERIFY(f.form().core().channel().serialLinkLive());
    QCOMPARE(f.state().EthernetConnected, quint8(0));
    // The attempt is over: a serial time-out speaks of the serial port again.
    f.dialogs.clear();
    QCOMPARE(f.emu().sendControl("fault silence:MINFOKV@1"), QString("ok"));
    f.readAll();
    QCOMPARE(f.dialogs.texts().value(0), texts::kSerialTimeout);
}

void tst_Ethernet::connectedWithoutAnswer()
{
    WorkDir dir;
    ConsoleFixture f;
    EmuProcess::Options o = withTcp();
    o.faults = {"silence:CR"};
    QVERIFY2(f.start(o), qPrintable(f.error()));
    qputenv("KV_TCP_PORT", QByteArray::number(f.emu().tcpPort()));

    // No to the question that follows: the connection stays and Ethernet stays chosen.
    ChooseEthernet(f, "127.0.0.1");
    QCOMPARE(f.dialogs.texts(),
             QStringList({texts::kIpConnectFailed,
                          texts::kSerialQuestion}));
    QCOMPARE(f.dialogs.boxes.at(1).title, texts::kSerialTitle);
    QCOMPARE(SerialModeIndex(f), 1);
    QCOMPARE(socket(f)->state(), QAbstractSocket::ConnectedState);
    QCOMPARE(f.state().EthernetConnected, quint8(1));
    QCOMPARE(f.form().core().ethernetLink().SuppressEthernetReconnect, quint8(0));
    QCOMPARE(f.wire(), QStringList{""});
}

void tst_Ethernet::serialToEthernet_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void tst_Ethernet::serialToEthernet()
{
    QFETCH(bool, yes);
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(withTcp()), qPrintable(f.error()));
    SetComPorts({f.emu().ptyPath()});
    qputenv("KV_TCP_PORT", QByteArray::number(f.emu().tcpPort()));
    QVERIFY(f.click("COM11"));
    CommandChannel &ch = f.form().core().channel();
    QVERIFY(ch.serialLinkLive());
    f.clearWire();

    bool serialOpenAtAnswer = false;
    QObject::connect(socket(f), &QTcpSocket::readyRead, &f.form(), [&] {
        if (f.wire().size() <= 1)
            serialOpenAtAnswer = f.state().SerialPortOpen == 1;
    });
    f.dialogs.answer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    ChooseEthernet(f, "127.0.0.1");

    QCOMPARE(f.dialogs.texts().value(0), texts::kEthernetQuestion);
    QCOMPARE(f.dialogs.boxes.value(0).title, texts::kEthernetTitle);
    QCOMPARE(f.dialogs.boxes.size(), 1);
    if (yes) {
        // The serial port stayed open until the switcher had answered over Ethernet.
        QVERIFY(serialOpenAtAnswer);
        QVERIFY(!ch.serialLinkLive());
        QCOMPARE(f.state().SerialPortOpen, quint8(0));
        QCOMPARE(f.state().EthernetConnected, quint8(1));
        QCOMPARE(SerialModeIndex(f), 1);
        QCOMPARE(f.wire().mid(0, 2), QStringList({"", "MINFOKV"}));
    } else {
        QVERIFY(ch.serialLinkLive());
        QCOMPARE(f.state().SerialPortOpen, quint8(1));
        QCOMPARE(socket(f)->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(SerialModeIndex(f), 0);
        QVERIFY(f.wire().isEmpty());
    }
}

void tst_Ethernet::ethernetToSerial_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("switcherOnSerial");
    QTest::newRow("Yes, switcher on COM1") << true << true;
    QTest::newRow("Yes, no switcher on serial") << true << false;
    QTest::newRow("No") << false << true;
}

void tst_Ethernet::ethernetToSerial()
{
    QFETCH(bool, yes);
    QFETCH(bool, switcherOnSerial);
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(withTcp()), qPrintable(f.error()));
    QVERIFY(connectEthernet(f));
    const quint16 localPort = socket(f)->localPort();
    f.dialogs.clear();
    if (switcherOnSerial)
        SetComPorts({f.emu().ptyPath()});

    f.dialogs.answer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    f.click("SerialModeRS232");

    QCOMPARE(f.dialogs.texts().value(0), texts::kSerialQuestion);
    QCOMPARE(f.dialogs.boxes.value(0).title, texts::kSerialTitle);
    CommandChannel &ch = f.form().core().channel();
    if (yes && switcherOnSerial) {
        QCOMPARE(f.dialogs.boxes.size(), 1);
        QVERIFY(ch.serialLinkLive());
        QCOMPARE(socket(f)->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(f.state().EthernetConnected, quint8(0));
        QCOMPARE(SerialModeIndex(f), 0);
        return;
    }
    if (yes)
        QCOMPARE(f.dialogs.texts().value(1), texts::kSearchFailed);
    // The connection was never closed: the same one, Ethernet chosen again.
    QVERIFY(!ch.serialLinkLive());
    QCOMPARE(socket(f)->state(), QAbstractSocket::ConnectedState);
    QCOMPARE(socket(f)->localPort(), localPort);
    QCOMPARE(f.state().EthernetConnected, quint8(1));
    QCOMPARE(SerialModeIndex(f), 1);
    QCOMPARE(f.form().core().ethernetLink().SuppressEthernetReconnect, quint8(0));
}

void tst_Ethernet::changeIpAddress_data()
{
    QTest::addColumn<QString>("link"); // none, serial, ethernet
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("wire"); // the first lines
    QTest::addColumn<bool>("saved");
    QTest::newRow("no link") << "none" << "192.168.1.20"
                             << QStringList{texts::kIpNeedsLink}
                             << QStringList() << false;
    QTest::newRow("serial") << "serial" << "192.168.1.20" << QStringList()
                            << QStringList{"IPCONFIG 192 168 1 20"} << true;
    QTest::newRow("ethernet") << "ethernet" << "127.0.0.1" << QStringList()
                              << QStringList{"IPCONFIG 127 0 0 1", "", "MINFOKV"} << true;
    QTest::newRow("over 255") << "serial" << "192.168.1.300"
                              << QStringList{texts::kIpOver255}
                              << QStringList() << true;
    QTest::newRow("not an address") << "ethernet" << "192.168.1"
                                     << QStringList{texts::kInvalidIpAddress} << QStringList()
                                     << true;
}

void tst_Ethernet::changeIpAddress()
{
    QFETCH(QString, link);
    QFETCH(QString, address);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, wire);
    QFETCH(bool, saved);
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(withTcp()), qPrintable(f.error()));
    if (link == "serial") {
        SetComPorts({f.emu().ptyPath()});
        QVERIFY(f.click("COM11"));
    } else if (link == "ethernet") {
        QVERIFY(connectEthernet(f));
    }
    const quint16 localPort = socket(f)->localPort();
    f.dialogs.clear();
    f.clearWire();
    QFile::remove(dir.path() + "/IPSave.ini");

    f.find<QLineEdit>("IPAddrEdit")->setText(address);
    QVERIFY(f.click("IPAddressButton"));

    QCOMPARE(f.dialogs.texts(), boxes);
    QCOMPARE(f.emu().sendControl("state").left(5), QString("state"));
    QCOMPARE(f.wire().mid(0, wire.size()), wire);
    if (wire.isEmpty())
        QVERIFY(f.wire().isEmpty());
    QCOMPARE(dir.hasIpSave(), saved);
    if (saved)
        QCOMPARE(dir.ipSave(), address.toLatin1() + '\0');
    if (link == "serial")
        QVERIFY(f.form().core().channel().serialLinkLive());
    if (link == "ethernet" && !wire.isEmpty()) {
        // Followed the switcher: closed and connected again, to the new address.
        QCOMPARE(socket(f)->state(), QAbstractSocket::ConnectedState);
        QVERIFY(socket(f)->localPort() != localPort);
        QCOMPARE(socket(f)->peerName(), address);
        QCOMPARE(f.text("IPAddrEdit"), address);
    }
}

void tst_Ethernet::remoteCloseIsReported()
{
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(withTcp()), qPrintable(f.error()));
    QVERIFY(connectEthernet(f));
    f.dialogs.clear();

    QCOMPARE(f.emu().sendControl("fault close:MINFOKV=1"), QString("ok"));
    f.readAll();
    QVERIFY2(f.dialogs.texts().contains(texts::kSocketDisconnect),
             qPrintable(f.dialogs.texts().join('|')));
    QCOMPARE(f.state().EthernetConnected, quint8(0));
    QCOMPARE(f.state().Busy, 0);
}

QTEST_MAIN(tst_Ethernet)
#include "tst_ethernet.moc"
