// One exchange with the switcher at a time: an operator action or a sequence step that
// arrives while a status read, a command's tries or its retry box is under way changes
// nothing and sends nothing (a step waits its turn); a serial port that fails under an open
// link is a lost link, never an answered command; a failed Start leaves the running sequence
// as it was; a click during a preset preview never leaves console and switcher apart.

#include "FaultRig.h"
#include "LinkEnv.h"
#include "OperatorSteps.h"
#include "Texts.h"

#include "ui/Colours.h"
#include "ui/Lamp.h"
#include "ui/SequencingPage.h"
#include "ui/SwitchingPage.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace kv;
using namespace kv::test;

namespace {

// A watchdog well above the delays the faults below hold a query for, so only the fault
// under test can end a read.
Timeouts patient()
{
    Timeouts t = Timeouts::fast();
    t.WatchdogMs = 4000;
    return t;
}

// The console connected to kvemu's pty as the operator does it: COM1 from the Serial Port
// menu, which also reads the switcher.
bool connectCom1(ConsoleFixture &f)
{
    SetComPorts({f.emu().ptyPath()});
    f.dialogs.clear();
    if (!f.click("COM11") || !f.dialogs.boxes.isEmpty())
        return false;
    f.dialogs.clear();
    f.clearWire();
    return true;
}

#define SERIAL_CONSOLE(f, timeouts)                                                            \
    ConsoleFixture f(timeouts);                                                                \
    QVERIFY2(f.start(), qPrintable(f.error()));                                                \
    QVERIFY2(connectCom1(f), qPrintable(f.dialogs.texts().join('|')))

// A console on "pty" or "tcp" that has read the switcher once.
#define READ_CONSOLE(f, link)                                                                  \
    auto f = ReadOnce(link);                                                                   \
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));                                    \
    QVERIFY2(f->dialogs.boxes.isEmpty(), qPrintable(f->dialogs.texts().join('|')));            \
    f->clearWire()

// Every output's input as the route labels show it and as the switcher holds it, in kvemu's
// notation without the fall-back inputs ("3,-,5,...").
QString screenRoutes(ConsoleFixture &f)
{
    QStringList out;
    for (int o = 1; o <= 16; ++o) {
        const QString t = f.text(QString("VideoLabel%1").arg(o));
        out << (t == "--" ? QString("-") : t);
    }
    return out.join(',');
}

QString switcherRoutes(ConsoleFixture &f)
{
    QStringList out;
    for (const QString &r : f.emuState("routes").split(','))
        out << r.section('*', 0, 0);
    return out.join(',');
}

QString redLabels(ConsoleFixture &f)
{
    QStringList out;
    for (int o = 1; o <= 16; ++o)
        if (f.colour(QString("VideoLabel%1").arg(o)) == kRed)
            out << QString::number(o);
    return out.join(',');
}

QStringList recalls(ConsoleFixture &f)
{
    QStringList out;
    for (const QString &line : f.commands())
        if (line.startsWith("RPRST "))
            out << line;
    return out;
}

bool lampLit(ConsoleFixture &f) { return f.find<Lamp>("PresetSeqApdStatusLight")->lit(); }

// Runs the action once, from the event loop, as soon as kvemu has logged the line: the
// action then arrives while the console waits for that line's answer.
class WhenOnWire : public QObject {
public:
    WhenOnWire(ConsoleFixture &f, const QString &line, std::function<void()> action)
    {
        auto *poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [&f, line, action, poll, this] {
            if (!f.wire().contains(line))
                return;
            poll->stop();
            fired = true;
            action();
        });
        poll->start(5);
    }
    bool fired = false;
};

} // namespace

class TestOneExchange : public QObject {
    Q_OBJECT
private slots:
    void init() { SetComPorts({}); }

    void linkChangeDuringRead_data();
    void linkChangeDuringRead();
    void stepDuringRetryBox();
    void clickInEthernetQueryPass_data();
    void clickInEthernetQueryPass();
    void serialPortLost();
    void socketErrorDuringFirstRead_data();
    void socketErrorDuringFirstRead();
    void failedStartKeepsTheRun_data() { AddLinkRows(); }
    void failedStartKeepsTheRun();
    void previewedInputWithdrawsPreview_data() { AddLinkRows(); }
    void previewedInputWithdrawsPreview();
};

// A link change arriving from the menu or the Setup page while a serial status read waits
// for the switcher's output status is refused; the read completes undisturbed.
void TestOneExchange::linkChangeDuringRead_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("COM1 again") << "COM11";
    QTest::newRow("COM2") << "COM21";
    QTest::newRow("Ethernet choice") << "SerialModeEthernet";
    QTest::newRow("Change IP Address") << "IPAddressButton";
}

void TestOneExchange::linkChangeDuringRead()
{
    QFETCH(QString, control);
    WorkDir dir;
    SERIAL_CONSOLE(f, patient());
    // The switcher forgets the routes the console shows, so the read has something to show.
    QVERIFY(Operate(f, "o1 i5 o2 i6 T"));
    QCOMPARE(f.emu().sendControl("reset"), QString("ok"));
    QVERIFY(screenRoutes(f) != switcherRoutes(f));
    qputenv("KV_TCP_PORT", "1");
    f.find<QLineEdit>("IPAddrEdit")->setText("192.168.1.77");
    QCOMPARE(f.emu().sendControl("fault delay:OINFOKV=800@1"), QString("ok"));
    f.dialogs.clear();
    f.clearWire();

    WhenOnWire during(f, "OINFOKV", [&] { f.click(control); });
    f.armRescue();
    f.readAll();
    f.disarmRescue();
    QVERIFY(during.fired);
    QVERIFY2(!f.rescued(), "the read was left waiting with no way out");

    QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.texts().join('|')));
    QVERIFY2(f.wire() == FullQuerySequence(), qPrintable(f.wire().join('|')));
    QCOMPARE(screenRoutes(f), switcherRoutes(f));
    QVERIFY(f.isChecked("SerialModeRS232"));
    QCOMPARE(f.text("ComNumberLabel"), QString("1"));

    const QString after = KeepsWorking(f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

// A sequence step falling due while a Take waits in its retry box waits for the box; OK then
// resends the Take, not a line of a recall run inside the box.
void TestOneExchange::stepDuringRetryBox()
{
    SERIAL_CONSOLE(f, Timeouts::fast());
    QVERIFY(Operate(f, "o1 i3 T S p1 o1 i4 T S p2"));
    f.showPage("SequencingTabSheet");
    SetSequenceSteps(f, "1:1:3,2:2:3");
    QVERIFY(f.click("PresetSeqStartButton"));
    QVERIFY(Operate(f, "o1 i5"));
    f.clearWire();

    QStringList duringBox;
    int shown = 0;
    f.dialogs.onShow = [&](const ShownBox &) {
        if (shown++ > 0)
            return;
        QCOMPARE(f.emu().sendControl("clear-faults"), QString("ok"));
        const int seen = f.wire().size();
        QTest::qWait(20 * f.form().timeouts().SeqSecondMs); // several step delays
        duringBox = f.wire().mid(seen);
        f.dialogs.answer(Dialogs::Answer::Ok);
    };
    QCOMPARE(f.emu().sendControl("fault silence"), QString("ok"));
    f.armRescue();
    QVERIFY(f.click("TakeButton"));
    f.disarmRescue();
    f.dialogs.onShow = nullptr;
    QVERIFY2(!f.rescued(), "the Take was left waiting with no way out");

    QCOMPARE(f.dialogs.texts(), QStringList{texts::kRetryText});
    QCOMPARE(f.dialogs.boxes.value(0).title, texts::kRetryTitle);
    QVERIFY2(!duringBox.join('|').contains("RPRST") && !duringBox.join('|').contains("RCLOCK"),
             qPrintable(duringBox.join('|')));
    QCOMPARE(f.commands(), (QStringList{"TAKE 1", "TAKE 1"}));
    QCOMPARE(f.emuState("routes").section(',', 0, 0), QString("5"));

    QVERIFY(f.click("PresetSeqStopButton"));
    f.showPage("ControlTabSheet");
    const QString after = KeepsWorking(f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

// Over Ethernet each query first lets events run; a click that arrives there is refused, so
// nothing goes out in place of the query.
void TestOneExchange::clickInEthernetQueryPass_data()
{
    QTest::addColumn<QString>("steps");
    QTest::newRow("Take") << "T";
    QTest::newRow("output, then input") << "o1 i3";
}

void TestOneExchange::clickInEthernetQueryPass()
{
    QFETCH(QString, steps);
    READ_CONSOLE(f, "tcp");
    const QString labels = screenRoutes(*f);

    QTimer::singleShot(0, &f->form(), [&] { Operate(*f, steps); });
    f->readAll();

    QVERIFY2(f->dialogs.boxes.isEmpty(), qPrintable(f->dialogs.texts().join('|')));
    QVERIFY2(f->wire() == FullQuerySequence(), qPrintable(f->wire().join('|')));
    QCOMPARE(screenRoutes(*f), labels);
    QCOMPARE(screenRoutes(*f), switcherRoutes(*f));

    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

// The pty goes away under the open port: the command that meets it is a lost link, told
// once; the console shows no link until the operator connects again from the menu.
void TestOneExchange::serialPortLost()
{
    WorkDir dir;
    SERIAL_CONSOLE(f, Timeouts::fast());
    QCOMPARE(f.text("ComNumberLabel"), QString("1"));

    f.emu().stop();
    QVERIFY(Operate(f, "o1 i3"));
    QCOMPARE(f.dialogs.boxes.size(), 1);
    QCOMPARE(f.dialogs.boxes[0].title, texts::kRetryTitle);
    QCOMPARE(f.dialogs.boxes[0].text, texts::LinkLost(1));
    QCOMPARE(f.text("ComNumberLabel"), QString("None"));
    QVERIFY(f.isEnabled("SearchForKestavion1"));
    QVERIFY(!f.isEnabled("ReadfromKestavions1"));
    QVERIFY(!f.isEnabled("DisconnectSerialCommunication1"));

    // Nothing more is tried, so nothing more is told.
    f.dialogs.clear();
    f.click("OutputButton2");
    f.click("InputButton4");
    f.click("TakeButton");
    QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.texts().join('|')));

    QVERIFY2(f.start(), qPrintable(f.error()));
    QVERIFY2(connectCom1(f), qPrintable(f.dialogs.texts().join('|')));
    QCOMPARE(f.text("ComNumberLabel"), QString("1"));
    QVERIFY(f.isEnabled("ReadfromKestavions1"));
    const QString after = KeepsWorking(f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

// The switcher closes the connection during the read that follows an Ethernet connect: the
// operator is told the socket's error at once, not of a failed read on the serial side.
void TestOneExchange::socketErrorDuringFirstRead_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("system status") << "close:MINFOKV=10@1";
    QTest::newRow("output status") << "close:OINFOKV=20@1";
    QTest::newRow("group table") << "close:GINFOKV=50@1";
}

void TestOneExchange::socketErrorDuringFirstRead()
{
    QFETCH(QString, fault);
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(EmuProcess::Options().withTcp().withoutPty().withFault(fault)),
             qPrintable(f.error()));
    qputenv("KV_TCP_PORT", QByteArray::number(f.emu().tcpPort()));
    f.find<QLineEdit>("IPAddrEdit")->setText("127.0.0.1");
    QVERIFY(f.click("SerialModeEthernet"));

    QVERIFY(!f.dialogs.boxes.isEmpty());
    QVERIFY2(f.dialogs.boxes[0].text == "The remote host closed the connection",
             qPrintable(f.dialogs.texts().join('|')));
    for (const QString &text : f.dialogs.texts())
        QVERIFY2(!text.contains("Kestavion communication error") &&
                     !text.contains("check Serial connections", Qt::CaseInsensitive),
                 qPrintable(text));
    QVERIFY(f.isChecked("SerialModeRS232"));

    // Connected again from the Setup page (the serial search on the way finds no port).
    f.click("SerialModeRS232");
    f.dialogs.clear();
    f.find<QLineEdit>("IPAddrEdit")->setText("127.0.0.1");
    QVERIFY(f.click("SerialModeEthernet"));
    QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.texts().join('|')));
    const QString after = KeepsWorking(f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

// A Start whose second step now names an empty preset is refused and leaves the run going
// as it was: both steps go on alternating with the lamp lit.
void TestOneExchange::failedStartKeepsTheRun()
{
    QFETCH(QString, link);
    READ_CONSOLE(f, link);
    QVERIFY(Operate(*f, "o1 i3 T S p1 o1 i4 T S p2"));
    f->showPage("SequencingTabSheet");
    SetSequenceSteps(*f, "1:1:3,2:2:3");
    QVERIFY(f->click("PresetSeqStartButton"));
    QVERIFY(lampLit(*f));
    // As a read during the run would leave it once the preset was cleared elsewhere.
    f->state().Presets[1].Stored = 0;

    QVERIFY(f->click("PresetSeqStartButton"));
    QCOMPARE(f->dialogs.texts(),
             QStringList{
                 texts::PresetEmpty("2")});
    f->clearWire();
    QTRY_VERIFY_WITH_TIMEOUT(recalls(*f).size() >= 4, 10000);
    QVERIFY(lampLit(*f));
    QVERIFY(f->click("PresetSeqStopButton"));
    const QStringList seen = recalls(*f);
    const int first = seen[0] == "RPRST 1 0" ? 0 : 1;
    for (int k = 0; k < seen.size(); ++k)
        QCOMPARE(seen[k], QString((k + first) % 2 ? "RPRST 2 0" : "RPRST 1 0"));

    f->showPage("ControlTabSheet");
    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

// During a preview, an output's previewed (yellow) input clicked again withdraws the whole
// preview, as the panel's Cancel does: the live routes are back and a Take takes only them.
void TestOneExchange::previewedInputWithdrawsPreview()
{
    QFETCH(QString, link);
    READ_CONSOLE(f, link);
    // Preset 1: output 1 on input 3. Live: output 1 on input 2.
    QVERIFY(Operate(*f, "o1 i3 T S p1 o1 i2 T"));
    QTRY_VERIFY(f->commands().endsWith("TAKE 1") && f->commands().size() >= 5);
    const QString live = screenRoutes(*f);
    QVERIFY(Operate(*f, "R p1"));
    QCOMPARE(f->text("VideoLabel1"), QString("3"));
    QVERIFY(Operate(*f, "o1"));
    QCOMPARE(f->colour("InputButton3"), kYellow);
    f->clearWire();

    QVERIFY(Operate(*f, "i3"));
    QCOMPARE(screenRoutes(*f), live);
    QCOMPARE(redLabels(*f), QString());
    QVERIFY(!f->isEnabled("PresetRecallConfirmButton"));
    QVERIFY(recalls(*f).isEmpty());

    f->clearWire();
    QVERIFY(Operate(*f, "T"));
    QTRY_VERIFY(!f->commands().isEmpty());
    QCOMPARE(f->commands(), QStringList{"TAKE 1"});
    QCOMPARE(screenRoutes(*f), switcherRoutes(*f));

    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

QTEST_MAIN(TestOneExchange)
#include "tst_one_exchange.moc"
