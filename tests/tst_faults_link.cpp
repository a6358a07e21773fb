// Links that fail under the console: a switcher silent for a command or after the TCP
// connection is made, a connection refused, closed in the middle of a reply or while idle,
// and the pseudo-terminal gone under an open serial port. Each time the operator gets the
// documented message (or none), nothing outside the failed exchange changes, and once the
// switcher is back the console works on.

#include "FaultRig.h"
#include "LinkEnv.h"
#include "OperatorSteps.h"
#include "Texts.h"

#include "link/CommandChannel.h"
#include "link/EthernetLink.h"
#include "ui/RadioGroup.h"

#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

// The operator connects again from the Setup page (the serial search on the way finds no
// port here), and the console works on. Empty when it does, else what failed.
QString ConnectsAgainOverEthernet(ConsoleFixture &f)
{
    f.click("SerialModeRS232");
    f.dialogs.clear();
    ChooseEthernet(f, f.emu().tcpPort());
    if (f.state().EthernetConnected != 1)
        return QStringLiteral("not connected again over Ethernet");
    return KeepsWorking(f);
}

} // namespace

class TestFaultsLink : public QObject {
    Q_OBJECT
private slots:
    void init() { SetComPorts({}); }

    void unansweredCommand_data();
    void unansweredCommand();
    void silentAfterConnecting();
    void refusedConnection();
    void closedMidReply_data();
    void closedMidReply();
    void closedWhileIdle();
    void ptyGoneUnderOpenPort();
};

void TestFaultsLink::unansweredCommand_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("backAtTheBox"); // the switcher answers again while the box is up
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("wireStart");

    const QString cmd = "RTEMP 1 3";
    QTest::newRow("pty: answered at the first CR")
        << "pty" << QStringList{"silence:RTEMP@1"} << false << QStringList() << QStringList{cmd, ""};
    QTest::newRow("pty: answered at the second CR")
        << "pty" << QStringList{"silence:RTEMP@1", "silence:CR@1"} << false << QStringList()
        << QStringList{cmd, "", ""};
    QTest::newRow("pty: garbled answer")
        << "pty" << QStringList{"garbage:RTEMP@1"} << false << QStringList() << QStringList{cmd, ""};
    QTest::newRow("pty: answer held back for the next")
        << "pty" << QStringList{"burst:RTEMP@1"} << false << QStringList() << QStringList{cmd, ""};
    QTest::newRow("pty: silent, operator cancels")
        << "pty" << QStringList{"silence"} << false << QStringList{texts::kRetryText}
        << QStringList{cmd, "", ""};
    QTest::newRow("pty: silent, retried once back")
        << "pty" << QStringList{"silence"} << true << QStringList{texts::kRetryText}
        << QStringList{cmd, "", ""};
    QTest::newRow("tcp: silent") << "tcp" << QStringList{"silence:RTEMP@1"} << false
                                 << QStringList() << QStringList{cmd};
    QTest::newRow("tcp: garbled answer") << "tcp" << QStringList{"garbage:RTEMP=40@1"} << false
                                         << QStringList() << QStringList{cmd};
    QTest::newRow("tcp: answer cut") << "tcp" << QStringList{"cut:RTEMP=1@1"} << false
                                     << QStringList() << QStringList{cmd};
}

void TestFaultsLink::unansweredCommand()
{
    QFETCH(QString, link);
    QFETCH(QStringList, faults);
    QFETCH(bool, backAtTheBox);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, wireStart);

    auto f = ReadConsole(link);
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));
    QVERIFY(f->click("OutputButton1"));
    const MatrixState before = f->state();
    for (const QString &spec : faults)
        QCOMPARE(f->emu().sendControl("fault " + spec), QString("ok"));
    if (backAtTheBox) {
        f->dialogs.onShow = [&](const ShownBox &) { f->emu().sendControl("clear-faults"); };
        f->dialogs.answer(Dialogs::Answer::Ok);
    }

    QVERIFY(f->click("InputButton3"));

    QVERIFY2(f->dialogs.texts() == boxes, qPrintable(f->dialogs.texts().join('|')));
    for (const ShownBox &b : f->dialogs.boxes)
        QCOMPARE(b.title, texts::kRetryTitle);
    const QStringList wire = f->wire();
    QVERIFY2(wire.mid(0, wireStart.size()) == wireStart, qPrintable(wire.join('|')));
    if (backAtTheBox)
        QCOMPARE(wire.last(), QString("RTEMP 1 3"));
    // The operator's change stands whatever the switcher said, and nothing else changed.
    QCOMPARE(ChangedFields(before, f->state()), QStringList{"Routes"});
    QCOMPARE(f->state().Routes[0].Input, std::uint8_t(2));
    QCOMPARE(f->text("VideoLabel1"), QString("3"));
    QCOMPARE(f->form().core().channel().serialLinkLive(), link == "pty");
    QVERIFY(f->isEnabled("MainPageControl"));
    if (link == "pty") {
        const QString wait = WaitsNormally(*f);
        QVERIFY2(wait.isEmpty(), qPrintable(wait));
    }

    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

void TestFaultsLink::silentAfterConnecting()
{
    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(EmuProcess::Options().withTcp().withFault("silence:CR")), qPrintable(f.error()));

    ChooseEthernet(f, f.emu().tcpPort());
    // No to the question: the connection stays up, unread.
    QCOMPARE(f.dialogs.texts(), (QStringList{texts::kIpConnectFailed, texts::kSerialQuestion}));
    QCOMPARE(f.state().EthernetConnected, quint8(1));
    QCOMPARE(f.wire(), QStringList{""});
    QCOMPARE(f.state().Busy, 0);

    const QString after = KeepsWorking(f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

void TestFaultsLink::refusedConnection()
{
    WorkDir dir;
    auto f = ReadConsole("pty");
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));
    const MatrixState before = f->state();

    f->dialogs.answer(Dialogs::Answer::Yes); // leave the serial link for Ethernet
    ChooseEthernet(*f, ClosedPort());
    // The socket layer's text; the serial link is still live, so no search follows.
    QCOMPARE(f->dialogs.texts().mid(1), QStringList{"Connection refused"});
    QCOMPARE(SerialModeIndex(*f), 0);
    QVERIFY(f->form().core().channel().serialLinkLive());
    QCOMPARE(ChangedFields(before, f->state()), QStringList());
    QCOMPARE(f->wire(), QStringList());

    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

void TestFaultsLink::closedMidReply_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("read"); // a status read, else a command
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("changed");
    const QStringList link{"EthernetConnected"};
    // The link going down is told once; the queries left are not run to fail with boxes.
    QTest::newRow("system status")
        << "close:MINFOKV=10" << true << QStringList{texts::kSocketDisconnect} << link;
    QTest::newRow("group table")
        << "close:GINFOKV=50" << true << QStringList{texts::kSocketDisconnect} << link;
    QTest::newRow("command answer") << "close:RTEMP=3" << false << QStringList{texts::kSocketDisconnect}
                                    << link + QStringList{"Routes", "SelectedOutput"};
}

void TestFaultsLink::closedMidReply()
{
    QFETCH(QString, fault);
    QFETCH(bool, read);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, changed);

    WorkDir dir;
    ConsoleFixture f;
    QVERIFY2(f.start(EmuProcess::Options().withTcp().withoutPty()), qPrintable(f.error()));
    ChooseEthernet(f, f.emu().tcpPort());
    QCOMPARE(f.state().EthernetConnected, quint8(1));
    QVERIFY2(f.dialogs.boxes.isEmpty(), qPrintable(f.dialogs.texts().join('|')));
    f.dialogs.clear();
    f.clearWire();
    const MatrixState before = f.state();

    QCOMPARE(f.emu().sendControl("fault " + fault + "@1"), QString("ok"));
    if (read) {
        f.readAll();
    } else {
        QVERIFY(f.click("OutputButton1"));
        QVERIFY(f.click("InputButton3"));
    }
    QTRY_COMPARE(f.state().EthernetConnected, quint8(0)); // a command's close comes after it
    QCOMPARE(f.dialogs.texts(), boxes);
    QCOMPARE(ChangedFields(before, f.state()), changed);

    const QString after = ConnectsAgainOverEthernet(f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

void TestFaultsLink::closedWhileIdle()
{
    WorkDir dir;
    ConsoleFixture f;
    const EmuProcess::Options options = EmuProcess::Options().withTcp().withoutPty();
    QVERIFY2(f.start(options), qPrintable(f.error()));
    ChooseEthernet(f, f.emu().tcpPort());
    QCOMPARE(f.state().EthernetConnected, quint8(1));
    f.dialogs.clear();
    const MatrixState before = f.state();

    f.emu().stop(); // the switcher switched off
    // Noticed at the next send; the operator's change stands.
    QVERIFY(f.click("OutputButton1"));
    QVERIFY(f.click("InputButton3"));
    QCOMPARE(f.dialogs.texts(), QStringList{texts::kSocketDisconnect});
    QCOMPARE(ChangedFields(before, f.state()),
             (QStringList{"EthernetConnected", "Routes", "SelectedOutput"}));
    QCOMPARE(f.state().Busy, 0);
    const MatrixState clicked = f.state();
    f.dialogs.clear();
    f.readAll();
    // Once the connection is down the read goes to the serial side, so the text names it.
    QCOMPARE(f.dialogs.texts(), QStringList{texts::ReadFailed("Serial", -1)});
    // Only what the read itself does first: the pending route withdrawn.
    QCOMPARE(ChangedFields(clicked, f.state()), (QStringList{"Routes", "SelectedOutput"}));
    QCOMPARE(f.state().Routes[0].Input, before.Routes[0].Input);

    QVERIFY2(f.start(options), qPrintable(f.error()));
    f.dialogs.clear();
    const QString after = ConnectsAgainOverEthernet(f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

void TestFaultsLink::ptyGoneUnderOpenPort()
{
    WorkDir dir;
    auto f = ReadConsole("pty");
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));

    f->emu().stop();
    // A port that fails under the live link is a lost link, told once; nothing is sent after.
    QVERIFY(f->click("OutputButton1"));
    f->click("InputButton3");
    QTRY_COMPARE(f->dialogs.texts(), QStringList{texts::LinkLost(1)});
    QCOMPARE(f->dialogs.boxes.first().title, texts::kRetryTitle);
    QCOMPARE(f->text("ComNumberLabel"), QStringLiteral("None"));
    QVERIFY(f->isEnabled("SearchForKestavion1"));
    QVERIFY(!f->isEnabled("ReadfromKestavions1"));
    QVERIFY(!f->isEnabled("DisconnectSerialCommunication1"));
    f->dialogs.clear();
    f->click("InputButton4");
    f->readAll();
    QCOMPARE(f->dialogs.texts(), QStringList{texts::ReadFailed("Serial", -1)});
    QCOMPARE(f->state().Busy, 0);

    // The switcher back on another pty; the operator opens it from the menu.
    QVERIFY2(f->start(), qPrintable(f->error()));
    SetComPorts({f->emu().ptyPath()});
    f->dialogs.clear();
    QVERIFY(f->click("COM11"));
    QCOMPARE(f->dialogs.texts(), QStringList());
    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

QTEST_MAIN(TestFaultsLink)
#include "tst_faults_link.moc"
