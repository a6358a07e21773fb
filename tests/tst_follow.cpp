// Following the switcher, against kvemu over the pty and TCP: a change made at its front
// panel shows within two polls and is marked; a console with a change of its own pending
// polls nothing; a click during a poll goes out right after the poll's reply and loses
// neither; a silent switcher pauses following without a box; a temporary route made
// elsewhere makes Take ask, also one a read found, ends with a route made here, and is read
// again after a Take; a difference the console made itself is no change at the switcher; a
// sequence runs with following on, every step whole and in order.

#include "HubClient.h"
#include "RouteTestSteps.h"

#include "app/CommandLine.h"
#include "control/FollowSwitcher.h"
#include "link/CommandChannel.h"
#include "remote/RemoteServer.h"
#include "ui/Colours.h"
#include "ui/FollowLight.h"
#include "ui/FollowMarks.h"

#include <QAction>
#include <QCheckBox>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QScopeGuard>
#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

const QString kForeignQuestion = "The switcher holds temporary routes made elsewhere on outputs "
                                 "%1. Take commits them too. Take anyway?";

// A console on "pty" or "tcp" that has read the switcher and follows it.
std::unique_ptr<ConsoleFixture> following(const QString &link, EmuProcess::Options options = {})
{
    auto f = Connected(link, options);
    if (!f->error().isEmpty())
        return f;
    f->readAll();
    f->form().followForThisRun();
    f->clearWire();
    return f;
}

#define FOLLOWING(f, link, ...)                                                                \
    auto f = following(link, ##__VA_ARGS__);                                                   \
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));                                    \
    QVERIFY2(f->dialogs.boxes.isEmpty(), qPrintable(f->dialogs.texts().join('|')))

int count(const QStringList &lines, const QString &line) { return int(lines.count(line)); }

// Some intervals of following go by with the event loop running.
void intervals(ConsoleFixture &f, int n) { QTest::qWait(n * f.form().timeouts().FollowIntervalMs); }

FollowLamp lamp(ConsoleFixture &f) { return f.find<FollowLight>("FollowLamp")->lamp(); }

} // namespace

class TestFollow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void menuAndSettings();
    void offSendsNothing();
    void panelChangeShownAndMarked_data() { AddLinkRows(); }
    void panelChangeShownAndMarked();
    void systemStatusFollowedSilently_data() { AddLinkRows(); }
    void systemStatusFollowedSilently();
    void pendingHereSendsNothing_data() { AddLinkRows(); }
    void pendingHereSendsNothing();
    void clickDuringPoll_data() { AddLinkRows(); }
    void clickDuringPoll();
    void silentSwitcherPauses_data() { AddLinkRows(); }
    void silentSwitcherPauses();
    void foreignTemporaryMakesTakeAsk_data() { AddLinkRows(); }
    void foreignTemporaryMakesTakeAsk();
    void cancelDropsForeignTemporaries();
    void salvoReadsSwitcherFirst();
    void changedMarkEndsWhenRoutedAgain_data();
    void changedMarkEndsWhenRoutedAgain();
    void ownDifferenceNotCalledChange_data();
    void ownDifferenceNotCalledChange();
    void temporaryFoundByRead_data();
    void temporaryFoundByRead();
    void ownRouteEndsForeignMark();
    void takeRecordsWhatSwitcherTook();
    void clearAllTakesForeignOnProtected();
    void undoNotSentLeavesForeignTemporaries();
    void sequenceWithFollowing();
    void serialLostOnce();
    void screenshot();
};

void TestFollow::initTestCase() { FreshRouteLogFolder(); }

// Tools > Follow Switcher Changes: off at first start, remembered when the operator chooses
// it, on for one run only with --follow.
void TestFollow::menuAndSettings()
{
    FreshRouteLogFolder();
    {
        ConsoleFixture f;
        auto *item = f.find<QAction>("FollowSwitcher1");
        QVERIFY(item && item->isCheckable());
        QCOMPARE(item->text(), QString("Follow Switcher Changes"));
        QVERIFY(f.find<QMenu>("Tools1")->actions().contains(item));
        QVERIFY(!item->isChecked());
        QVERIFY(!f.form().core().follower().enabled());
        f.form().followForThisRun();
        QVERIFY(f.form().core().follower().enabled());
    }
    {
        ConsoleFixture f;
        QVERIFY2(!f.isChecked("FollowSwitcher1") && !f.find<QAction>("FollowSwitcher1")->isChecked(),
                 "a run's --follow is not remembered");
        QVERIFY(f.click("FollowSwitcher1"));
        QVERIFY(f.form().core().follower().enabled());
    }
    {
        ConsoleFixture f;
        QVERIFY(f.find<QAction>("FollowSwitcher1")->isChecked());
        QVERIFY(f.form().core().follower().enabled());
        QVERIFY(f.click("FollowSwitcher1"));
        QVERIFY(!f.form().core().follower().enabled());
    }
    ConsoleFixture f;
    QVERIFY(!f.find<QAction>("FollowSwitcher1")->isChecked());

    QVERIFY(CommandLine::parse({"kvconsole", "--follow"}).follow);
    QVERIFY(!CommandLine::parse({"kvconsole"}).follow);
}

// Not following, the console puts nothing of its own on the wire and shows no lamp.
void TestFollow::offSendsNothing()
{
    FreshRouteLogFolder();
    CONNECT(f, "pty");
    f->readAll();
    f->clearWire();
    QVERIFY(f->emu().sendControl("panel route 3 5") == "ok");
    intervals(*f, 6);
    QVERIFY2(f->wire().isEmpty(), qPrintable(f->wire().join('|')));
    QCOMPARE(f->text("VideoLabel3"), QString("--"));
    QVERIFY(!f->find<FollowLight>("FollowLamp")->isVisibleTo(&f->form()));
}

void TestFollow::panelChangeShownAndMarked()
{
    QFETCH(QString, link);
    FOLLOWING(f, link);
    QSignalSpy seen(&f->form().core().follower(), &FollowSwitcher::routesChangedAtSwitcher);
    QSignalSpy journal(&f->form().core().journal(), &RouteJournal::changeRecorded);
    QVERIFY(f->emu().sendControl("panel route 3 5") == "ok");
    f->clearWire(); // only polls written after the change count

    QTRY_COMPARE(f->text("VideoLabel3"), QString("5"));
    QVERIFY2(count(f->wire(), "OINFOKV") <= 2, qPrintable(f->wire().join('|')));
    QCOMPARE(f->colour("VideoLabel3"), kLime);
    QVERIFY(f->form().followMarks()->changedShown(2));
    QVERIFY(!f->form().followMarks()->changedShown(1));
    QVERIFY(f->find<QLabel>("VideoLabel3")->toolTip().startsWith("Changed at the switcher at "));
    QCOMPARE(StatusText(*f), QString("Output 3 changed at the switcher: no input to input 5"));
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0][0].value<QList<int>>(), QList<int>{2});
    QCOMPARE(journal.size(), 1);
    const auto change = journal[0][0].value<RouteChange>();
    QCOMPARE(change.origin, QString("switcher"));
    QCOMPARE(change.to, 5);
    QCOMPARE(lamp(*f), FollowLamp::Live);
    QVERIFY(f->commands().isEmpty()); // nothing changed on the switcher

    // Two at once are named together; the frame of the first fades.
    QVERIFY(f->emu().sendControl("panel route 1 2") == "ok");
    QVERIFY(f->emu().sendControl("panel route 16 0") == "ok");
    QVERIFY(f->emu().sendControl("panel route 16 9") == "ok");
    QTRY_COMPARE(f->text("VideoLabel16"), QString("9"));
    QCOMPARE(f->text("VideoLabel1"), QString("2"));
    QCOMPARE(StatusText(*f), QString("Outputs 1, 16 changed at the switcher"));
    QTRY_VERIFY_WITH_TIMEOUT(!f->form().followMarks()->changedShown(2), kChangedMarkMs + 2000);
    QVERIFY(f->commands().isEmpty());

    // Routed again here, the output no longer says it was changed at the switcher.
    QVERIFY(f->find<QLabel>("VideoLabel1")->toolTip().startsWith("Changed at the switcher at "));
    QVERIFY(Operate(*f, "o1 i6 T"));
    QCOMPARE(f->find<QLabel>("VideoLabel1")->toolTip(), QString());
    QVERIFY(f->find<QLabel>("VideoLabel16")->toolTip().startsWith("Changed at the switcher at "));
}

// Lockout, vertical switching and the address come from every tenth poll; the boxes take
// the switcher's setting without sending it back.
void TestFollow::systemStatusFollowedSilently()
{
    QFETCH(QString, link);
    FOLLOWING(f, link);
    QVERIFY(f->emu().sendControl("panel lock 1") == "ok");
    QTRY_VERIFY(f->isChecked("FrontPanelLockCheckBox"));
    QCOMPARE(StatusText(*f), QString("Front panel lockout changed at the switcher: on"));
    QVERIFY(f->state().Info.FrontPanelLock != 0);
    QCOMPARE(f->commands(), QStringList());
    const QStringList wire = f->wire();
    QVERIFY(count(wire, "MINFOKV") >= 1);
    QVERIFY2(count(wire, "OINFOKV") >= FollowSwitcher::kSystemEvery * count(wire, "MINFOKV"),
             qPrintable(wire.join('|')));
    QCOMPARE(f->text("IPAddrEdit"), QString("192.168.1.200"));
}

// A route of the console's own pending: no poll goes out, the route stays as it is, and
// following goes on once it is taken.
void TestFollow::pendingHereSendsNothing()
{
    QFETCH(QString, link);
    FOLLOWING(f, link);
    QVERIFY(Operate(*f, "o1 i3"));
    f->clearWire();
    QVERIFY(f->emu().sendControl("panel route 2 4") == "ok");
    intervals(*f, 6);
    QCOMPARE(f->wire(), QStringList());
    QCOMPARE(f->colour("VideoLabel1"), kRed);
    QCOMPARE(f->text("VideoLabel2"), QString("--"));
    QCOMPARE(lamp(*f), FollowLamp::Waiting);

    QVERIFY(Operate(*f, "T"));
    QTRY_COMPARE(f->text("VideoLabel2"), QString("4"));
    QCOMPARE(f->text("VideoLabel1"), QString("3"));
    QCOMPARE(f->colour("VideoLabel1"), kLime);
    QCOMPARE(f->commands(), QStringList({"TAKE 1"}));
    // Read before the take, the change is named as made at the switcher, not as the take's.
    QVERIFY(f->form().followMarks()->changedShown(1));
    QTRY_COMPARE(lamp(*f), FollowLamp::Live);
}

// The operator clicks while a poll's reply is late: the click's line goes out right after
// the reply, which is shown first, and the click is shown as the operator made it.
void TestFollow::clickDuringPoll()
{
    QFETCH(QString, link);
    FOLLOWING(f, link);
    QVERIFY(f->emu().sendControl("panel route 4 7") == "ok");
    QVERIFY(f->emu().sendControl("fault delay:OINFOKV=150") == "ok");
    f->clearWire();
    CommandChannel &ch = f->form().core().channel();
    QTRY_VERIFY(ch.pollInFlight());
    QVERIFY(Operate(*f, "o2 i6"));
    QCOMPARE(f->text("VideoLabel4"), QString("7")); // the reply in flight, shown before the click
    QCOMPARE(f->text("VideoLabel2"), QString("6"));
    QCOMPARE(f->colour("VideoLabel2"), kRed);
    const QStringList wire = f->wire();
    QCOMPARE(wire.value(wire.indexOf("RTEMP 2 6") - 1), QString("OINFOKV"));
    QCOMPARE(f->commands(), QStringList({"RTEMP 2 6"}));
    QVERIFY(f->dialogs.boxes.isEmpty());
    QCOMPARE(f->emuState("routes").section(',', 1, 1), QString("6*-"));

    QVERIFY(f->emu().sendControl("clear-faults") == "ok");
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->emuState("routes").section(',', 0, 3), QString("-,6,-,7"));
    intervals(*f, 4);
    QCOMPARE(f->text("VideoLabel2"), QString("6"));
    QCOMPARE(f->colour("VideoLabel2"), kLime);
}

// Unanswered polls: the status bar says so, never a box; after three in a row following
// pauses, and the next answered exchange brings it back.
void TestFollow::silentSwitcherPauses()
{
    QFETCH(QString, link);
    FOLLOWING(f, link);
    FollowSwitcher *follower = &f->form().core().follower();
    QTRY_COMPARE(lamp(*f), FollowLamp::Live);
    QVERIFY(f->emu().sendControl("fault silence:OINFOKV") == "ok");
    QTRY_VERIFY_WITH_TIMEOUT(follower->paused(), 10000);
    QCOMPARE(StatusText(*f), QString("Following paused: the switcher is not answering"));
    QCOMPARE(lamp(*f), FollowLamp::Stopped);
    QVERIFY2(f->dialogs.boxes.isEmpty(), qPrintable(f->dialogs.texts().join('|')));
    QVERIFY(f->find<FollowLight>("FollowLamp")->toolTip().contains("paused"));

    QVERIFY(f->emu().sendControl("clear-faults") == "ok");
    QVERIFY(Operate(*f, "o5"));
    QVERIFY(Operate(*f, "i5"));
    QVERIFY(!follower->paused());
    QCOMPARE(lamp(*f), FollowLamp::Waiting); // held by the route pending here
    QVERIFY(Operate(*f, "T"));
    QTRY_COMPARE(lamp(*f), FollowLamp::Live);
    QVERIFY(f->emu().sendControl("panel route 6 1") == "ok");
    QTRY_COMPARE(f->text("VideoLabel6"), QString("1"));
    QVERIFY(f->dialogs.boxes.isEmpty());
}

// "TAKE 1" commits every temporary route on the switcher: Take asks first when one was
// made elsewhere; No sends nothing, Yes puts them on air here too.
void TestFollow::foreignTemporaryMakesTakeAsk()
{
    QFETCH(QString, link);
    FOLLOWING(f, link);
    QVERIFY(f->emu().sendControl("panel route 4 2") == "ok");
    QTRY_COMPARE(f->text("VideoLabel4"), QString("2"));
    QVERIFY(f->emu().sendControl("panel temp 4 9") == "ok");
    QVERIFY(f->emu().sendControl("panel temp 9 1") == "ok");
    const FollowMarks *marks = f->form().followMarks();
    QTRY_VERIFY(marks->foreignShown(3) && marks->foreignShown(8));
    QCOMPARE(f->text("VideoLabel4"), QString("2")); // still what is on air
    QCOMPARE(f->colour("VideoLabel4"), kLime);
    QVERIFY(f->find<QLabel>("VideoLabel4")->toolTip().contains("input 9, not on air"));
    QVERIFY(StatusText(*f).contains("Temporary route made elsewhere on output 9: input 1"));

    f->clearWire();
    f->dialogs.answer(Dialogs::Answer::No);
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->dialogs.texts(), QStringList({kForeignQuestion.arg("4, 9")}));
    QCOMPARE(f->dialogs.boxes[0].buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(f->commands(), QStringList());
    QCOMPARE(f->emuState("routes").section(',', 3, 3), QString("9*2"));

    f->dialogs.clear();
    f->dialogs.answer(Dialogs::Answer::Yes);
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->dialogs.boxes.size(), 1);
    QCOMPARE(f->commands(), QStringList({"TAKE 1"}));
    QCOMPARE(f->text("VideoLabel4"), QString("9"));
    QCOMPARE(f->text("VideoLabel9"), QString("1"));
    QVERIFY(!marks->foreignShown(3) && !marks->foreignShown(8));
    QCOMPARE(f->emuState("routes").section(',', 3, 3), QString("9"));

    // Nothing made elsewhere any more: Take asks nothing.
    f->dialogs.clear();
    intervals(*f, 3);
    QVERIFY(Operate(*f, "T"));
    QVERIFY(f->dialogs.boxes.isEmpty());
}

// "TAKE 0" drops the temporary routes made elsewhere too: their marks go with it, not a poll
// later, and what is on air stays.
void TestFollow::cancelDropsForeignTemporaries()
{
    FOLLOWING(f, "pty");
    QVERIFY(f->emu().sendControl("panel temp 4 9") == "ok");
    const FollowMarks *marks = f->form().followMarks();
    QTRY_VERIFY(marks->foreignShown(3));
    f->clearWire();
    QVERIFY(Operate(*f, "o1 i2 C"));
    QCOMPARE(f->commands(), QStringList({"RTEMP 1 2", "TAKE 0"}));
    QVERIFY(!marks->foreignShown(3)); // no poll has run since
    QCOMPARE(f->text("VideoLabel4"), f->emuState("routes").section(',', 3, 3).replace("-", "--"));
    QVERIFY(!f->emuState("routes").contains('*'));
    // Take has nothing made elsewhere to ask about.
    QVERIFY(Operate(*f, "o2 i3 T"));
    QVERIFY(f->dialogs.boxes.isEmpty());
}

// A difference the console made itself (a file that sends nothing, a reset) is no change at
// the switcher: the screen shows the switcher's routes again without a mark, a word or a log
// line.
// A temporary route made at the front panel after the last poll, on a protected output: a
// salvo whose TAKE 1 would put it on air is refused when it runs, and nothing is sent.
void TestFollow::salvoReadsSwitcherFirst()
{
    Timeouts timeouts = Timeouts::fast();
    timeouts.FollowIntervalMs = 600000; // no poll sees the route
    ConsoleFixture f(timeouts);
    QVERIFY2(f.start(), qPrintable(f.error()));
    QVERIFY2(f.connectSerial(), qPrintable(f.error()));
    f.readAll();
    f.form().followForThisRun();
    QVERIFY(f.form().remoteServer()->listen(QHostAddress::LocalHost, 0));
    f.form().core().holds().protects().setProtected(1, true);
    QVERIFY(f.emu().sendControl("panel temp 2 5") == "ok");
    f.clearWire();

    HubClient client;
    QVERIFY(client.connectTo(f.form().remoteServer()->port()));
    client.send("VIDEO OUTPUT ROUTING:\n0 3\n\n");
    QCOMPARE(client.next(), QByteArray("ACK\n\n"));
    QTRY_VERIFY2(StatusText(f).startsWith("Remote route from 127.0.0.1 refused: output(s) 2 "),
                 qPrintable(StatusText(f)));
    QCOMPARE(f.commands(), QStringList{});
    QCOMPARE(f.emuState("routes").section(',', 0, 1), "-,5*-");
}

void TestFollow::changedMarkEndsWhenRoutedAgain_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("routes");
    QTest::newRow("click and Take") << "o1 i6 T" << "6";
    QTest::newRow("preset") << "R p1 OK" << "2";
    QTest::newRow("undo") << "Z T" << "2";
    QTest::newRow("Clear All Routing") << "X" << "-";
    QTest::newRow("remote salvo") << "salvo" << "7";
}

// Output 1 changed at the front panel, then routed from here by any way: the label no longer
// says it was changed at the switcher.
void TestFollow::changedMarkEndsWhenRoutedAgain()
{
    QFETCH(QString, how);
    QFETCH(QString, routes);
    FOLLOWING(f, "pty");
    // Preset 1 and the undo both put output 1 back on input 2.
    QVERIFY(Operate(*f, "o1 i2 T S p1 o1 i3 T C"));
    QVERIFY(f->emu().sendControl("panel route 1 5") == "ok");
    QTRY_VERIFY(f->form().followMarks()->changedShown(0));
    QVERIFY(f->find<QLabel>("VideoLabel1")->toolTip().startsWith("Changed at the switcher at "));
    if (how == "salvo") {
        QVERIFY(f->form().remoteServer()->listen(QHostAddress::LocalHost, 0));
        HubClient client;
        QVERIFY(client.connectTo(f->form().remoteServer()->port()));
        client.send("VIDEO OUTPUT ROUTING:\n0 6\n\n");
        QCOMPARE(client.next(), QByteArray("ACK\n\n"));
        QTRY_COMPARE(f->emuState("routes").section(',', 0, 0), routes);
    } else {
        QVERIFY(Operate(*f, how));
        QCOMPARE(f->emuState("routes").section(',', 0, 0), routes);
    }
    QTRY_VERIFY(!f->form().followMarks()->changedShown(0));
    QCOMPARE(f->find<QLabel>("VideoLabel1")->toolTip(), QString());
    intervals(*f, 2);
    QVERIFY(!f->form().followMarks()->changedShown(0));
}

void TestFollow::ownDifferenceNotCalledChange_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("logged");
    QTest::newRow("configuration file") << "file" << QStringList{"5", "6"} << QStringList{};
    QTest::newRow("factory reset") << "reset" << QStringList{"--", "--"}
                                   << QStringList{"1,5,,taken,factory reset",
                                                  "2,6,,taken,factory reset"};
    // Made at the front panel while a route was pending here, unseen by any poll.
    QTest::newRow("own Take") << "take" << QStringList{"8", "6"}
                              << QStringList{"3,,7,temporary,operator", "1,5,8,taken,operator",
                                             "3,,7,taken,operator"};
}

void TestFollow::ownDifferenceNotCalledChange()
{
    QFETCH(QString, how);
    QFETCH(QStringList, after);
    QFETCH(QStringList, logged);
    const QString folder = FreshRouteLogFolder();
    FOLLOWING(f, "pty");
    const QString config = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                               .filePath("follow_own.kvc");
    const auto remove = qScopeGuard([&] { QFile::remove(config); });
    QVERIFY(Operate(*f, "o1 i3 o2 i4 T"));
    QVERIFY(SaveConfigFile(*f, config));
    QVERIFY(Operate(*f, "o1 i5 o2 i6 T"));
    intervals(*f, 2);
    QSignalSpy seen(&f->form().core().follower(), &FollowSwitcher::routesChangedAtSwitcher);
    const int before = int(JournalLines(folder).size());

    if (how == "file") {
        QVERIFY(OpenConfigFile(*f, config));
        QCOMPARE(f->text("VideoLabel1"), QString("3"));
    } else if (how == "take") {
        QVERIFY(Operate(*f, "o3 i7"));
        QVERIFY(f->emu().sendControl("panel temp 1 8") == "ok");
        f->dialogs.answer(Dialogs::Answer::Yes);
        QVERIFY(Operate(*f, "T"));
        QCOMPARE(f->dialogs.texts(), QStringList{kForeignQuestion.arg(1)});
    } else {
        f->dialogs.answer(Dialogs::Answer::Yes);
        QVERIFY(f->click("FactoryResetButton"));
    }
    QTRY_COMPARE(f->text("VideoLabel1"), after[0]);
    QCOMPARE(f->text("VideoLabel2"), after[1]);
    intervals(*f, 2);
    QCOMPARE(seen.size(), 0);
    QVERIFY(!f->form().followMarks()->changedShown(0) && !f->form().followMarks()->changedShown(1));
    QVERIFY2(!StatusText(*f).contains("changed at the switcher"), qPrintable(StatusText(*f)));
    QCOMPARE(JournalLines(folder).mid(before), logged);
}

// A temporary route the read finds at the front panel: without following it is shown pending
// as the read always showed it; following, it is a route made elsewhere, so polls and remote
// routes go on and Take asks about it.
void TestFollow::temporaryFoundByRead_data()
{
    QTest::addColumn<QString>("follow");
    QTest::newRow("not following") << "never";
    QTest::newRow("following, unattended start") << "from the start";
    QTest::newRow("following from after the read") << "after the read";
}

void TestFollow::temporaryFoundByRead()
{
    QFETCH(QString, follow);
    const QString folder = FreshRouteLogFolder();
    auto f = std::make_unique<ConsoleFixture>();
    QVERIFY2(f->start(), qPrintable(f->error()));
    QVERIFY(f->emu().sendControl("panel route 3 2") == "ok");
    QVERIFY(f->emu().sendControl("panel temp 3 5") == "ok");
    QVERIFY(f->form().remoteServer()->listen(QHostAddress::LocalHost, 0));
    if (follow == "from the start") {
        // As --connect serial --follow starts it: the port searched, then read.
        SetComPorts({f->emu().ptyDevice()});
        f->form().setStartUpChoice({StartUpChoice::Answer::Serial, QString()});
        f->form().followForThisRun();
        f->form().show();
        QVERIFY(f->form().core().channel().serialLinkLive());
        QVERIFY2(f->dialogs.boxes.isEmpty(), qPrintable(f->dialogs.texts().join('|')));
    } else {
        QVERIFY2(f->connectSerial(), qPrintable(f->error()));
        f->readAll();
    }
    if (follow == "never") {
        QCOMPARE(f->text("VideoLabel3"), QString("5"));
        QCOMPARE(f->colour("VideoLabel3"), kRed);
        return;
    }
    if (follow == "after the read")
        f->form().followForThisRun();
    QCOMPARE(f->text("VideoLabel3"), QString("2"));
    QCOMPARE(f->colour("VideoLabel3"), kLime);
    QVERIFY(f->form().followMarks()->foreignShown(2));
    f->clearWire();
    QTRY_VERIFY(f->wire().contains("OINFOKV"));

    f->dialogs.answer(Dialogs::Answer::No);
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->dialogs.texts(), QStringList({kForeignQuestion.arg("3")}));
    QCOMPARE(f->commands(), QStringList());

    HubClient client;
    QVERIFY(client.connectTo(f->form().remoteServer()->port()));
    client.send("VIDEO OUTPUT ROUTING:\n0 6\n\n");
    QCOMPARE(client.next(), QByteArray("ACK\n\n"));
    QTRY_COMPARE(f->emuState("routes").section(',', 0, 0), QString("7"));
    const QStringList lines = JournalLines(folder);
    QVERIFY2(lines.filter(QRegularExpression("^3,.*,(withdrawn|failed),")).isEmpty(),
             qPrintable(lines.join('|')));
}

// Routing an output here ends its made-elsewhere mark: a later Take neither writes the old
// temporary input back nor asks about it.
void TestFollow::ownRouteEndsForeignMark()
{
    const QString folder = FreshRouteLogFolder();
    FOLLOWING(f, "pty");
    QVERIFY(f->form().remoteServer()->listen(QHostAddress::LocalHost, 0));
    QVERIFY(f->emu().sendControl("panel route 3 2") == "ok");
    QTRY_COMPARE(f->text("VideoLabel3"), QString("2"));
    QVERIFY(f->emu().sendControl("panel temp 3 5") == "ok");
    const FollowMarks *marks = f->form().followMarks();
    QTRY_VERIFY(marks->foreignShown(2));

    HubClient client;
    QVERIFY(client.connectTo(f->form().remoteServer()->port()));
    client.send("VIDEO OUTPUT ROUTING:\n2 7\n\nVIDEO OUTPUT ROUTING:\n9 1\n\n");
    QByteArray got = client.next(4);
    // Each request's ACK may come before or after the first update.
    QCOMPARE(got.count("ACK\n\n"), 2);
    QCOMPARE(got.replace("ACK\n\n", ""),
             QByteArray("VIDEO OUTPUT ROUTING:\n2 7\n\nVIDEO OUTPUT ROUTING:\n9 1\n\n"));
    QVERIFY(!marks->foreignShown(2));
    QCOMPARE(f->text("VideoLabel3"), QString("8"));
    QCOMPARE(f->emuState("routes").section(',', 2, 2), QString("8"));
    QVERIFY(!JournalLines(folder).contains("3,8,5,taken,remote 127.0.0.1"));

    QVERIFY(Operate(*f, "T"));
    QVERIFY2(f->dialogs.boxes.isEmpty(), qPrintable(f->dialogs.texts().join('|')));
}

// A Take that commits a temporary route made elsewhere records the input the switcher took,
// also when the front panel changed it after the last poll.
void TestFollow::takeRecordsWhatSwitcherTook()
{
    const QString folder = FreshRouteLogFolder();
    FOLLOWING(f, "pty");
    QVERIFY(f->emu().sendControl("panel route 4 2") == "ok");
    QTRY_COMPARE(f->text("VideoLabel4"), QString("2"));
    QVERIFY(f->emu().sendControl("panel temp 4 9") == "ok");
    QTRY_VERIFY(f->form().followMarks()->foreignShown(3));
    QSignalSpy seen(&f->form().core().follower(), &FollowSwitcher::routesChangedAtSwitcher);
    QTRY_VERIFY(!f->form().core().channel().pollInFlight());
    QVERIFY(f->emu().sendControl("panel temp 4 10") == "ok"); // no poll sees it
    f->dialogs.answer(Dialogs::Answer::Yes);
    QVERIFY(Operate(*f, "T"));

    QCOMPARE(f->text("VideoLabel4"), QString("10"));
    QCOMPARE(f->emuState("routes").section(',', 3, 3), QString("10"));
    const QStringList lines = JournalLines(folder);
    QVERIFY2(lines.contains("4,2,10,taken,operator"), qPrintable(lines.join('|')));
    QVERIFY2(lines.filter(QRegularExpression("^4,2,9,")).isEmpty(), qPrintable(lines.join('|')));
    intervals(*f, 3);
    QCOMPARE(seen.size(), 0);
    QCOMPARE(f->text("VideoLabel4"), QString("10"));
}

// Clear All Routing with an output kept sends TAKE 1, which commits the temporary route made
// elsewhere there: asked and answered Yes, the output shows what the switcher took, logged as
// the operator's doing.
void TestFollow::clearAllTakesForeignOnProtected()
{
    const QString folder = FreshRouteLogFolder();
    FOLLOWING(f, "pty");
    f->form().core().holds().protects().setProtected(3, true);
    const auto release = qScopeGuard([&] { f->form().core().holds().protects().setProtected(3, false); });
    QVERIFY(f->emu().sendControl("panel route 4 2") == "ok");
    QTRY_COMPARE(f->text("VideoLabel4"), QString("2"));
    QVERIFY(f->emu().sendControl("panel temp 4 9") == "ok");
    QTRY_VERIFY(f->form().followMarks()->foreignShown(3));
    QSignalSpy seen(&f->form().core().follower(), &FollowSwitcher::routesChangedAtSwitcher);
    f->dialogs.clear();
    f->dialogs.answer(Dialogs::Answer::Yes); // take what was made elsewhere
    f->dialogs.answer(Dialogs::Answer::Yes); // over the protected output too
    QVERIFY(Operate(*f, "X"));
    QCOMPARE(f->dialogs.boxes.size(), 2);

    QCOMPARE(f->text("VideoLabel4"), QString("9"));
    QVERIFY(!f->form().followMarks()->foreignShown(3));
    const QStringList lines = JournalLines(folder);
    QVERIFY2(lines.contains("4,2,9,taken,operator"), qPrintable(lines.join('|')));
    intervals(*f, 3);
    QCOMPARE(seen.size(), 0);
}

// An undo whose Take is answered No sends nothing: what was made elsewhere is still only
// temporary on the switcher, and shown so.
void TestFollow::undoNotSentLeavesForeignTemporaries()
{
    FOLLOWING(f, "pty");
    QVERIFY(Operate(*f, "o2 i5 T"));
    f->form().core().holds().protects().setProtected(1, true);
    const auto release = qScopeGuard([&] { f->form().core().holds().protects().setProtected(1, false); });
    QVERIFY(f->emu().sendControl("panel temp 4 9") == "ok");
    const FollowMarks *marks = f->form().followMarks();
    QTRY_VERIFY(marks->foreignShown(3));
    f->clearWire();
    f->dialogs.clear();
    f->dialogs.answer(Dialogs::Answer::Yes); // take what was made elsewhere too
    f->dialogs.answer(Dialogs::Answer::No);  // but not over the protected output
    QVERIFY(Operate(*f, "Z T"));
    QCOMPARE(f->dialogs.boxes.size(), 2);
    QVERIFY2(f->dialogs.texts().last().startsWith("The undo would change protected output(s) 2."),
             qPrintable(f->dialogs.texts().join('|')));
    QCOMPARE(f->commands(), QStringList());
    QVERIFY(marks->foreignShown(3));
    QCOMPARE(f->text("VideoLabel4"), QString("--"));
}

// A preset sequence with following on: each recall reaches the wire whole (RPRST, then every
// reclocker) and in turn, polls only between steps, and no step is taken for a change made
// elsewhere.
void TestFollow::sequenceWithFollowing()
{
    FOLLOWING(f, "pty");
    QVERIFY(Operate(*f, "o1 i2 S p2 i5 S p5"));
    for (const auto &[n, preset] : {std::pair{3, "2"}, std::pair{6, "5"}}) {
        f->find<QCheckBox>(QString("PresetSeqEnableCheckBox%1").arg(n))->setChecked(true);
        f->find<QLineEdit>(QString("PresetSeqEdit%1").arg(n))->setText(preset);
        f->find<QLineEdit>(QString("PresetDelayEdit%1").arg(n))->setText("4");
    }
    QSignalSpy seen(&f->form().core().follower(), &FollowSwitcher::routesChangedAtSwitcher);
    f->clearWire();
    QVERIFY(f->click("PresetSeqStartButton"));
    auto recalls = [&] { return int(f->commands().filter("RPRST").size()); };
    QTRY_VERIFY_WITH_TIMEOUT(recalls() >= 6, 20000);
    QVERIFY(f->click("PresetSeqStopButton"));

    const QStringList wire = f->wire();
    int step = 0;
    for (int k = 0; k < wire.size(); ++k) {
        if (!wire[k].startsWith("RPRST"))
            continue;
        QCOMPARE(wire[k], QString(step++ % 2 ? "RPRST 5 0" : "RPRST 2 0"));
        for (int o = 1; o <= 16; ++o)
            QCOMPARE(wire.value(k + o), QString("RCLOCK %1 0").arg(o));
    }
    QVERIFY2(count(wire, "OINFOKV") >= 1, "it followed meanwhile");
    QCOMPARE(seen.size(), 0);
    QVERIFY(f->dialogs.boxes.isEmpty());
}

// The pty goes away while following: the one lost-link box, once; following then waits.
void TestFollow::serialLostOnce()
{
    FOLLOWING(f, "pty");
    QTRY_COMPARE(lamp(*f), FollowLamp::Live);
    f->emu().stop();
    QTRY_COMPARE(f->dialogs.boxes.size(), 1);
    QCOMPARE(f->dialogs.boxes[0].title, QString("COM Port error"));
    QVERIFY(f->dialogs.boxes[0].text.startsWith("The connection to Kestavion on COM "));
    intervals(*f, 6);
    QCOMPARE(f->dialogs.boxes.size(), 1);
    QCOMPARE(lamp(*f), FollowLamp::Stopped);
}

// docs/follow.png: output 3 just changed at the switcher (amber frame), output 4 holding a
// temporary route made there (violet, dashed), the lamp live.
void TestFollow::screenshot()
{
    const QString file = qEnvironmentVariable("KV_SCREENSHOT");
    if (file.isEmpty())
        QSKIP("KV_SCREENSHOT not set");
    FOLLOWING(f, "pty");
    QVERIFY(Operate(*f, "o1 i1 o2 i2 o3 i5 o4 i4 T"));
    QVERIFY(f->emu().sendControl("panel temp 4 9") == "ok");
    QVERIFY(f->emu().sendControl("panel route 3 7") == "ok");
    QTRY_COMPARE(f->text("VideoLabel3"), QString("7"));
    QTRY_VERIFY(f->form().followMarks()->foreignShown(3));
    f->find<QStatusBar>("MainStatusBar")
        ->showMessage("Output 3 changed at the switcher: input 5 to input 7");
    QVERIFY2(f->form().grab().save(file), qPrintable(file));
}

QTEST_MAIN(TestFollow)
#include "tst_follow.moc"
