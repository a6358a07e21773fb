// The serial link against kvemu on pseudo-terminals: the probe, the search over COM1 to COM4,
// connecting from the menu, disconnecting, the retry loop's probe, and the About page's
// indicators.

#include "ConsoleFixture.h"
#include "EmuProcess.h"
#include "FaultRig.h"
#include "LinkEnv.h"
#include "ProgressWatch.h"
#include "Texts.h"

#include "link/ComPorts.h"
#include "link/CommandChannel.h"
#include "link/LineMonitor.h"
#include "link/LinkTransport.h"
#include "link/SerialLink.h"
#include "protocol/Commands.h"
#include "ui/Lamp.h"
#include "ui/TerminalView.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSerialPort>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

using namespace kv;
using namespace kv::test;

namespace {

EmuProcess::Options silentSwitcher()
{
    EmuProcess::Options o;
    o.faults = {"silence"};
    return o;
}
const EmuProcess::Options kSilent = silentSwitcher();

} // namespace

class tst_SerialLink : public QObject {
    Q_OBJECT

private slots:
    void probeCodes_data();
    void probeCodes();
    void searchFindsSwitcherBehindTwoSilentPorts();
    void searchAllConnectsAndReads();
    void noPortsAtAll();
    void heldPortSkippedWithoutMessage();
    void menuConnectOnCom2WhileCom1Live();
    void disconnectDropsCommands();
    void retryLoopReprobesThePort();
    void menuAtStart();
    void indicatorsFollowTheLink();
};

void tst_SerialLink::probeCodes_data()
{
    QTest::addColumn<QString>("emu"); // "" none, "silent", "live"
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("wire");
    QTest::newRow("no device") << "" << -1 << QStringList();
    QTest::newRow("silent") << "silent" << -4 << QStringList{"", ""};
    QTest::newRow("answers") << "live" << 0 << QStringList{""};
}

void tst_SerialLink::probeCodes()
{
    QFETCH(QString, emu);
    QFETCH(int, code);
    QFETCH(QStringList, wire);
    WorkDir dir;
    ConsoleFixture f;
    EmuProcess device;
    if (!emu.isEmpty())
        QVERIFY2(device.start(emu == "silent" ? kSilent : EmuProcess::Options{}),
                 qPrintable(device.errorString()));
    SetComPorts({device.ptyPath()});

    LinkTransport(f.form().core().channel()).useProbeWait(true); // as a search probes
    QCOMPARE(f.form().core().serialLink().ProbeComPort(1), code);
    QVERIFY(f.dialogs.boxes.isEmpty());
    if (!emu.isEmpty())
        QTRY_COMPARE(device.receivedLines(), wire);
    QCOMPARE(f.state().SerialPortOpen, quint8(code == -1 ? 0 : 1));
}

void tst_SerialLink::searchFindsSwitcherBehindTwoSilentPorts()
{
    WorkDir dir;
    EmuProcess com1, com2;
    QVERIFY2(com1.start(kSilent), qPrintable(com1.errorString()));
    QVERIFY2(com2.start(kSilent), qPrintable(com2.errorString()));
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    SetComPorts({com1.ptyPath(), com2.ptyPath(), f.emu().ptyPath(), ""});

    QCOMPARE(f.form().core().serialLink().SearchComPorts(0), 1);
    QCOMPARE(f.find<QStatusBar>("MainStatusBar")->currentMessage(),
             texts::Established(3));
    QCOMPARE(f.text("ComNumberLabel"), QString("3"));
    QCOMPARE(f.find<QLabel>("ComNumberLabel")->toolTip(), f.emu().ptyPath());
    // Two carriage returns each on the silent ports, one on the switcher that answered.
    QTRY_COMPARE(com1.receivedLines(), QStringList({"", ""}));
    QTRY_COMPARE(com2.receivedLines(), QStringList({"", ""}));
    QCOMPARE(f.wire(), QStringList{""});
    QVERIFY(f.dialogs.boxes.isEmpty());
    // The search leaves the ordinary wait in force.
    const QString wait = WaitsNormally(f);
    QVERIFY2(wait.isEmpty(), qPrintable(wait));
}

void tst_SerialLink::searchAllConnectsAndReads()
{
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    SetComPorts({"", f.emu().ptyPath()});
    ProgressWatch progress(f.form().infoForm());
    f.state().SuppressCommands = 1; // as after the start-up question

    QVERIFY(f.click("SearchForKestavion1"));

    CommandChannel &ch = f.form().core().channel();
    QVERIFY(ch.serialLinkLive());
    QCOMPARE(progress.shownTexts.value(0), texts::kCheckingCom);
    const QStringList wire = f.wire();
    QVERIFY2(wire.size() > 3, qPrintable(wire.join('|')));
    QCOMPARE(wire.mid(0, 3), QStringList({"", "", "MINFOKV"}));
    QCOMPARE(f.state().SuppressCommands, quint8(0));
    QCOMPARE(f.state().Busy, 0);
    const MainMenu &m = f.form().menu();
    QVERIFY(!m.SearchForKestavion1->isEnabled());
    QVERIFY(m.ReadfromKestavions1->isEnabled());
    QVERIFY(m.DisconnectSerialCommunication1->isEnabled());
    // The search found COM2 but the check marks are the menu connect's: still COM1.
    QCOMPARE(f.text("ComNumberLabel"), QString("2"));
    QVERIFY(m.COMItems[0]->isChecked());
    QVERIFY(!m.COMItems[1]->isChecked());
    QVERIFY(f.dialogs.boxes.isEmpty());
}

void tst_SerialLink::noPortsAtAll()
{
    WorkDir dir;
    ConsoleFixture f;
    SetComPorts({});

    QVERIFY(f.click("SearchForKestavion1"));
    QCOMPARE(f.dialogs.texts(),
             QStringList({texts::kSearchFailed, texts::kIpOpenError}));
    QCOMPARE(f.dialogs.boxes.first().title, texts::kAppTitle);
    QCOMPARE(f.text("ComNumberLabel"), QString("None"));
    QVERIFY(!f.form().core().channel().serialLinkLive());
    const MainMenu &m = f.form().menu();
    QVERIFY(m.SearchForKestavion1->isEnabled());
    QVERIFY(!m.DisconnectSerialCommunication1->isEnabled());
    QVERIFY(!m.ReadfromKestavions1->isEnabled());
    QVERIFY(f.find<QTabWidget>("MainPageControl")->isEnabled());

    // With an address saved, the failed search puts it on the Setup page.
    f.dialogs.clear();
    dir.writeIpSave(QByteArray("10.1.2.3", 9));
    QVERIFY(f.click("SearchForKestavion1"));
    QCOMPARE(f.dialogs.texts(), QStringList{texts::kSearchFailed});
    QCOMPARE(f.text("IPAddrEdit"), QString("10.1.2.3"));
}

void tst_SerialLink::heldPortSkippedWithoutMessage()
{
    WorkDir dir;
    EmuProcess com1, com2;
    QVERIFY2(com1.start(kSilent), qPrintable(com1.errorString()));
    QVERIFY2(com2.start(), qPrintable(com2.errorString()));
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    SetComPorts({com1.ptyPath(), com2.ptyPath(), f.emu().ptyPath()});

    QSerialPort holder; // another application has COM2
    holder.setPortName(com2.ptyPath());
    QVERIFY2(holder.open(QIODevice::ReadWrite), qPrintable(holder.errorString()));
    QVERIFY(!ComPortAvailable(com2.ptyPath()));

    // COM1 stays open after its probe; COM2 is still skipped without a "Note" message.
    QCOMPARE(f.form().core().serialLink().SearchComPorts(0), 1);
    QCOMPARE(f.text("ComNumberLabel"), QString("3"));
    QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.texts().join('|')));
    QVERIFY(com2.receivedLines().isEmpty());
    QCOMPARE(f.form().core().serialLink().ProbeComPort(2), -1);
}

void tst_SerialLink::menuConnectOnCom2WhileCom1Live()
{
    WorkDir dir;
    EmuProcess com2;
    QVERIFY2(com2.start(), qPrintable(com2.errorString()));
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    SetComPorts({f.emu().ptyPath(), com2.ptyPath(), "", ""});
    const MainMenu &m = f.form().menu();
    CommandChannel &ch = f.form().core().channel();

    QVERIFY(f.click("COM11"));
    QVERIFY(ch.serialLinkLive());
    QCOMPARE(f.text("ComNumberLabel"), QString("1"));
    QVERIFY(m.COMItems[0]->isChecked());
    f.clearWire();

    QVERIFY(f.click("COM21"));
    QCOMPARE(f.find<QLabel>("ComNumberLabel")->toolTip(), com2.ptyPath());
    QVERIFY(!m.COMItems[0]->isChecked());
    QVERIFY(m.COMItems[1]->isChecked());
    QCOMPARE(f.text("ComNumberLabel"), QString("2"));
    QTRY_VERIFY(com2.receivedLines().contains("MINFOKV"));
    QCOMPARE(com2.receivedLines().mid(0, 3), QStringList({"", "", "MINFOKV"}));
    QVERIFY(f.wire().isEmpty()); // COM1 was closed, not probed
    QVERIFY(f.dialogs.boxes.isEmpty());

    // COM4 has no device: the failure box, no item checked, the link down and closed.
    QVERIFY(f.click("COM41"));
    QCOMPARE(f.dialogs.texts(), QStringList{texts::kConnectFailed});
    for (QAction *item : m.COMItems)
        QVERIFY(!item->isChecked());
    QVERIFY(!ch.serialLinkLive());
    QCOMPARE(f.state().SerialPortOpen, quint8(0));
    QCOMPARE(f.text("ComNumberLabel"), QString("None"));
    QVERIFY(m.SearchForKestavion1->isEnabled());
    QVERIFY(!m.DisconnectSerialCommunication1->isEnabled());
}

void tst_SerialLink::disconnectDropsCommands()
{
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    SetComPorts({f.emu().ptyPath()});
    QVERIFY(f.click("COM11"));
    f.clearWire();

    QVERIFY(f.click("DisconnectSerialCommunication1"));
    CommandChannel &ch = f.form().core().channel();
    QCOMPARE(f.state().SerialPortOpen, quint8(0));
    QVERIFY(!ch.serialLinkLive());
    const MainMenu &m = f.form().menu();
    QVERIFY(!m.ReadfromKestavions1->isEnabled());
    QVERIFY(m.SearchForKestavion1->isEnabled());
    QVERIFY(!m.DisconnectSerialCommunication1->isEnabled());
    QCOMPARE(f.text("ComNumberLabel"), QString("1"));

    SendTakeCommit(ch);
    QCOMPARE(f.emu().sendControl("state").left(5), QString("state")); // a round trip
    QVERIFY(f.wire().isEmpty());
    QVERIFY(f.dialogs.boxes.isEmpty());
}

void tst_SerialLink::retryLoopReprobesThePort()
{
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    SetComPorts({f.emu().ptyPath()});
    QVERIFY(f.click("COM11"));
    f.clearWire();

    // The command and both carriage returns go unanswered; the probe reopens COM1.
    QCOMPARE(f.emu().sendControl("fault drop@3"), QString("ok"));
    SendTakeCommit(f.form().core().channel());
    QCOMPARE(f.wire(), QStringList({"TAKE 1", "", "", "", "TAKE 1"}));
    QVERIFY(f.dialogs.boxes.isEmpty());
    QCOMPARE(f.state().SerialPortOpen, quint8(1));
    QCOMPARE(f.text("ComNumberLabel"), QString("1"));
    const QString wait = WaitsNormally(f);
    QVERIFY2(wait.isEmpty(), qPrintable(wait));
}

void tst_SerialLink::menuAtStart()
{
    WorkDir dir;
    ConsoleFixture f;
    SetComPorts({"/dev/kv-test-com1", "", "", ""});
    const MainMenu &m = f.form().menu();
    QVERIFY(m.SearchForKestavion1->isEnabled());
    QVERIFY(!m.ReadfromKestavions1->isEnabled());
    QVERIFY(m.DisconnectSerialCommunication1->isEnabled());
    QVERIFY(!m.SettingsAdvusersonly1->menuAction()->isEnabled());
    QVERIFY(m.COMItems[0]->isChecked());
    QCOMPARE(f.text("ComNumberLabel"), QString("None"));

    QSerialPort *port = LinkTransport(f.form().core().channel()).serialPort();
    QCOMPARE(port->baudRate(), 57600);
    QCOMPARE(port->dataBits(), QSerialPort::Data8);
    QCOMPARE(port->parity(), QSerialPort::NoParity);
    QCOMPARE(port->stopBits(), QSerialPort::OneStop);
    QCOMPARE(port->flowControl(), QSerialPort::HardwareControl);
    m.Baud19200->trigger();
    QCOMPARE(port->baudRate(), 19200);
    m.Baud38400->trigger();
    QCOMPARE(port->baudRate(), 38400);
    m.Baud57600->trigger();
    QCOMPARE(port->baudRate(), 57600);

    // The operator can see which device is behind each number.
    emit m.COM1->aboutToShow();
    QCOMPARE(m.COMItems[0]->toolTip(), QString("/dev/kv-test-com1"));
    QVERIFY(m.COMItems[1]->toolTip().contains("no device"));
}

void tst_SerialLink::indicatorsFollowTheLink()
{
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(), qPrintable(f.error()));
    SetComPorts({f.emu().ptyPath()});
    auto *lines = f.form().findChild<LineMonitor *>();
    QVERIFY(lines);
    QSignalSpy changes(lines, &LineMonitor::changed);

    QVERIFY(f.click("COM11"));
    QVERIFY(lines->monitoring());
    auto *terminal = f.find<TerminalView>("AdTerminal1");
    QVERIFY(terminal);
    QString screen;
    for (int r = 0; r < TerminalView::kRows; ++r)
        screen += terminal->row(r);
    QVERIFY2(screen.contains('#'), qPrintable(screen));

    bool rxdLit = false;
    for (const QList<QVariant> &c : changes)
        rxdLit = rxdLit || c.at(0).value<LineStates>().rxd;
    QVERIFY(rxdLit);
    // A pty has no modem lines: they show unlit, and the link carries on undisturbed.
    QTRY_VERIFY(!lines->states().rxd);
    QVERIFY(!lines->states().dcd && !lines->states().dsr && !lines->states().cts);
    for (const char *light : {"ApdStatusLight4", "ApdStatusLight3", "ApdStatusLight6",
                              "ApdStatusLight2"})
        QTRY_COMPARE(f.find<Lamp>(light)->colour(), kLampOff);
    f.clearWire();
    SendTakeCommit(f.form().core().channel());
    QCOMPARE(f.wire(), QStringList{"TAKE 1"});
    QVERIFY(f.dialogs.boxes.isEmpty());

    QVERIFY(f.click("DisconnectSerialCommunication1"));
    QVERIFY(!lines->monitoring());
}

QTEST_MAIN(tst_SerialLink)
#include "tst_seriallink.moc"
