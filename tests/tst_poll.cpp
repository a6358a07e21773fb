// The channel's poll against kvemu over a real pseudo-terminal and real TCP: the reply is
// gathered while the event loop runs, ends by the rules of a status query, never shows a
// box, and an exchange that starts meanwhile waits for that reply alone before its line.

#include "EmuProcess.h"
#include "LinkBench.h"

#include "link/LinkTransport.h"
#include "protocol/Commands.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace kv;
using namespace kv::test;

namespace {

constexpr int kRoutesSize = 32;

// The input of an output (from 1) in a routes reply of the normal frame: CR LF, 1, 0, block.
int inputOf(const QByteArray &reply, int output) { return std::uint8_t(reply.at(4 + 2 * (output - 1))); }

struct Rig {
    EmuProcess emu;
    LinkBench bench;
    CommandChannel &ch = *bench.channel;

    QString start(const QString &link, const QStringList &faults = {})
    {
        EmuProcess::Options options;
        options.tcp = true;
        options.faults = faults;
        if (!emu.start(options))
            return emu.errorString();
        if (link == "tcp") {
            if (!bench.connectTcp(emu.tcpPort()))
                return QStringLiteral("tcp connect failed");
            bench.state.EthernetConnected = 1;
        } else {
            if (!bench.openSerial(emu.ptyPath()))
                return QStringLiteral("serial open failed");
            bench.setSerialLinkLive(true);
        }
        return {};
    }
};

void addLinks()
{
    QTest::addColumn<QString>("link");
    QTest::newRow("pty") << "pty";
    QTest::newRow("tcp") << "tcp";
}

} // namespace

class tst_Poll : public QObject {
    Q_OBJECT
private slots:
    void replyEnds_data();
    void replyEnds();
    void exchangeWaitsForThePollAlone_data() { addLinks(); }
    void exchangeWaitsForThePollAlone();
    void silentExchangeStartWaitsOnlyTheTimeOut_data() { addLinks(); }
    void silentExchangeStartWaitsOnlyTheTimeOut();
    void refused();
};

// A poll's reply is the reply runQuery gets; one that never ends is unanswered, and no poll
// shows a box or a status text.
void tst_Poll::replyEnds_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("answered");
    for (const char *link : {"pty", "tcp"}) {
        auto row = [link](const char *name, const QStringList &f, bool answered) {
            QTest::newRow(qPrintable(QString("%1: %2").arg(link, name))) << link << f << answered;
        };
        row("normal", {}, true);
        row("byte by byte", {"bytewise:OINFOKV=1"}, true);
        row("# inside the payload", {"hash:OINFOKV=5"}, true);
        row("silent", {"silence:OINFOKV"}, false);
        row("cut short", {"cut:OINFOKV=12"}, false);
    }
}

void tst_Poll::replyEnds()
{
    QFETCH(QString, link);
    QFETCH(QStringList, faults);
    QFETCH(bool, answered);
    Rig rig;
    const QString why = rig.start(link, faults);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QVERIFY(rig.emu.sendControl("panel route 3 5") == "ok");

    QSignalSpy replies(&rig.ch, &CommandChannel::pollAnswered);
    QSignalSpy silences(&rig.ch, &CommandChannel::pollUnanswered);
    QVERIFY(rig.ch.startPoll(QueryRoutesText(), kRoutesSize));
    QVERIFY(rig.ch.pollInFlight());
    QTRY_VERIFY(!rig.ch.pollInFlight());
    QCOMPARE(replies.size(), answered ? 1 : 0);
    QCOMPARE(silences.size(), answered ? 0 : 1);
    QVERIFY2(rig.bench.host.boxes.isEmpty(), "a poll never shows a box");
    QVERIFY(rig.bench.host.statusTexts.isEmpty());
    if (!answered)
        return;
    const QByteArray reply = replies[0][0].toByteArray();
    QCOMPARE(reply.size(), CommandChannel::kReplyBufferSize);
    QCOMPARE(reply, rig.ch.runQuery(QueryRoutesText(), kRoutesSize).bytes);
    QCOMPARE(inputOf(reply, 3), 4); // input 5
}

// A command sent while a poll's reply is on its way goes out right after that reply, which
// is read first; events served meanwhile find the gate held, so nothing else gets in between.
// The command then gets its own answer.
void tst_Poll::exchangeWaitsForThePollAlone()
{
    QFETCH(QString, link);
    Rig rig;
    const QString why = rig.start(link, {"delay:OINFOKV=150"});
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QSignalSpy replies(&rig.ch, &CommandChannel::pollAnswered);
    bool eventRan = false, gateHeld = false;
    QTimer::singleShot(0, [&] {
        eventRan = true;
        gateHeld = rig.ch.exchangeInProgress() && !rig.ch.startPoll(QueryRoutesText(), 1);
    });

    QVERIFY(rig.ch.startPoll(QueryRoutesText(), kRoutesSize));
    rig.ch.sendCommand("RTEMP %d %d\r", 2, 6);
    QVERIFY(eventRan);
    QVERIFY(gateHeld);
    QCOMPARE(replies.size(), 1);
    QCOMPARE(rig.emu.receivedLines(), QStringList({"OINFOKV", "RTEMP 2 6"}));
    QVERIFY(rig.bench.host.boxes.isEmpty());
    // The command had its own answer: no bare returns were needed.
    QCOMPARE(inputOf(rig.ch.runQuery(QueryRoutesText(), kRoutesSize).bytes, 2), 5);
    QCOMPARE(rig.emu.receivedLines().size(), 3);
}

// A switcher that never answers the poll holds an exchange up for the poll's own time-out,
// not for the watchdog, and without a box.
void tst_Poll::silentExchangeStartWaitsOnlyTheTimeOut()
{
    QFETCH(QString, link);
    Rig rig;
    const QString why = rig.start(link, {"silence:OINFOKV"});
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QSignalSpy silences(&rig.ch, &CommandChannel::pollUnanswered);
    QVERIFY(rig.ch.startPoll(QueryRoutesText(), kRoutesSize));
    rig.ch.sendCommand("TAKE 1\r");
    QCOMPARE(silences.size(), 1);
    QCOMPARE(rig.emu.receivedLines(), QStringList({"OINFOKV", "TAKE 1"}));
    QVERIFY(rig.bench.host.boxes.isEmpty());
}

void tst_Poll::refused()
{
    Rig rig;
    const QString why = rig.start("pty");
    QVERIFY2(why.isEmpty(), qPrintable(why));
    {
        CommandChannel::Exchange exchange(rig.ch);
        QVERIFY(!rig.ch.startPoll(QueryRoutesText(), kRoutesSize));
    }
    QVERIFY(rig.ch.startPoll(QueryRoutesText(), kRoutesSize));
    QVERIFY(!rig.ch.startPoll(QuerySystemInfoText(), 20)); // one at a time
    rig.ch.finishPoll();
    QVERIFY(!rig.ch.pollInFlight());
    rig.bench.setSerialLinkLive(false);
    QVERIFY(!rig.ch.startPoll(QueryRoutesText(), kRoutesSize));
    QCOMPARE(rig.emu.receivedLines(), QStringList({"OINFOKV"}));
}

QTEST_MAIN(tst_Poll)
#include "tst_poll.moc"
