// Every command line on the wire, byte for byte, over a real serial port (a pseudo-terminal)
// and a real TCP connection, with the dispatch rules: which link, wait or not, nothing unlinked.

#include "LinkBench.h"
#include "RawLinkPeer.h"
#include "Texts.h"

#include "protocol/Commands.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QTest>
#include <chrono>
#include <functional>
#include <thread>

using namespace kv;
using namespace kv::test;

using Sender = std::function<void(CommandChannel &)>;
Q_DECLARE_METATYPE(Sender)

namespace {
enum Kind { Wait, NoWait, Query };

QueryReply g_reply;

Sender query(const QByteArray &text)
{
    return [text](CommandChannel &c) { g_reply = c.runQuery(text, 0); };
}
} // namespace

class tst_Commands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void serialWire_data();
    void serialWire();
    void ethernetWire_data() { serialWire_data(); }
    void ethernetWire();
    void noLinkSendsNothing_data() { serialWire_data(); }
    void noLinkSendsNothing();
    void bothLinksSerialWinsForCommands_data() { serialWire_data(); }
    void bothLinksSerialWinsForCommands();
    void resetStretchesOnlyTheSerialWait_data();
    void resetStretchesOnlyTheSerialWait();

private:
    void send(const Sender &sender, int kind);
    // Nothing but the marker reaches the peer: proves nothing was sent before it.
    void expectSilence(RawLinkPeer &peer, bool serial);

    std::unique_ptr<RawLinkPeer> m_pty, m_tcp;
    std::unique_ptr<LinkBench> m_bench;
};

void tst_Commands::init()
{
    m_pty = RawLinkPeer::openPty();
    m_tcp = RawLinkPeer::listenTcp();
    QVERIFY(m_pty && m_tcp);
    m_bench = std::make_unique<LinkBench>();
    QVERIFY(m_bench->openSerial(m_pty->ptyPath()));
    QVERIFY(m_bench->connectTcp(m_tcp->tcpPort()));
}

void tst_Commands::cleanup()
{
    m_bench.reset();
    m_pty.reset();
    m_tcp.reset();
}

void tst_Commands::serialWire_data()
{
    QTest::addColumn<Sender>("sender");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<int>("kind");

    auto row = [](const char *name, Sender s, const char *wire, Kind kind) {
        QTest::newRow(name) << s << QByteArray(wire) << int(kind);
    };
    row("route input 3 to output 0", [](auto &c) { SendRouteTemp(c, 0, 3); }, "RTEMP 1 4\r", Wait);
    row("disconnect output 15", [](auto &c) { SendRouteTemp(c, 15, -1); }, "RTEMP 16 0\r", Wait);
    row("take", [](auto &c) { SendTakeCommit(c); }, "TAKE 1\r", Wait);
    row("cancel take", [](auto &c) { SendTakeCancel(c); }, "TAKE 0\r", Wait);
    row("reclock 7 on", [](auto &c) { SendReclock(c, 7, 1); }, "RCLOCK 8 1\r", Wait);
    row("reclock 0 off", [](auto &c) { SendReclock(c, 0, 0); }, "RCLOCK 1 0\r", Wait);
    row("vi state on", [](auto &c) { SendVIState(c, 1); }, "VISTATE 1\r", Wait);
    row("vi state off", [](auto &c) { SendVIState(c, 0); }, "VISTATE 0\r", Wait);
    row("front panel lock", [](auto &c) { SendFrontPanelLock(c, 1); }, "FPLOCK 1\r", Wait);
    row("front panel release", [](auto &c) { SendFrontPanelLock(c, 0); }, "FPLOCK 0\r", Wait);
    row("system save", [](auto &c) { SendSystemSave(c); }, "UPSYS\r", NoWait);
    row("system recall", [](auto &c) { SendSystemRecall(c); }, "RSYS\r", Wait);
    row("reset", [](auto &c) { SendReset(c); }, "RESETKV R\r", NoWait);
    row("factory reset", [](auto &c) { SendFactoryReset(c); }, "RESETKV F\r", NoWait);
    row("clear all", [](auto &c) { SendClearAll(c); }, "CLEAR\r", Wait);
    row("confirm preview of preset 7", [](auto &c) { SendPresetRecall(c, 7, 1); }, "RPRST 8 1\r",
        NoWait);
    row("recall preset 2 at once", [](auto &c) { SendPresetRecall(c, 2, 0); }, "RPRST 3 0\r",
        NoWait);
    row("save preset 0", [](auto &c) { SendPresetSave(c, 0); }, "PRST 1\r", NoWait);
    row("remove all groups", [](auto &c) { SendGroupClear(c, kAllGroups); }, "GCLEAR 201\r",
        Wait);
    row("remove group 4", [](auto &c) { SendGroupClear(c, 4); }, "GCLEAR 5\r", Wait);
    row("add output 2 to group 0", [](auto &c) { SendGroupAdd(c, 0, 2, kNoSide); },
        "GADD 1 3 101\r", Wait);
    row("add input 5 to group 7", [](auto &c) { SendGroupAdd(c, 7, kNoSide, 5); },
        "GADD 8 101 6\r", Wait);
    row("remove output 2 from group 0", [](auto &c) { SendGroupDelete(c, 0, 2, kNoSide); },
        "GDEL 1 3 101\r", Wait);
    row("remove input 5 from group 7", [](auto &c) { SendGroupDelete(c, 7, kNoSide, 5); },
        "GDEL 8 101 6\r", Wait);
    row("ip address", [](auto &c) { SendIPConfig(c, 192, 168, 0, 10); },
        "IPCONFIG 192 168 0 10\r", NoWait);
    row("longest line", [](auto &c) { SendIPConfig(c, 255, 255, 255, 255); },
        "IPCONFIG 255 255 255 255\r", NoWait);
    row("query system", query(QuerySystemInfoText()), "MINFOKV\r", Query);
    row("query routes", query(QueryRoutesText()), "OINFOKV\r", Query);
    row("query previous", query(QueryPreviousInputsText()), "OPINFOKV\r", Query);
    row("query groups", query(QueryGroupsText()), "GINFOKV\r", Query);
    row("query preset 0", query(QueryPresetText(0)), "PINFOKV 0\r", Query);
    row("query preset 7", query(QueryPresetText(7)), "PINFOKV 7\r", Query);
    row("query preset groups 0", query(QueryPresetGroupsText(0)), "PGINFOKV 0\r",
        Query);
    row("query preset groups 7", query(QueryPresetGroupsText(7)), "PGINFOKV 7\r",
        Query);
}

void tst_Commands::send(const Sender &sender, int kind)
{
    g_reply = {};
    sender(*m_bench->channel);
    if (kind == Query)
        QVERIFY(!g_reply.failed);
}

void tst_Commands::expectSilence(RawLinkPeer &peer, bool serial)
{
    const QByteArray marker("MARK\r");
    if (serial) {
        m_bench->port()->write(marker);
        m_bench->port()->flush();
    } else {
        m_bench->socket()->write(marker);
        m_bench->socket()->flush();
    }
    QTRY_VERIFY(peer.received().endsWith(marker));
    QCOMPARE(peer.received(), marker);
}

void tst_Commands::serialWire()
{
    QFETCH(Sender, sender);
    QFETCH(QByteArray, wire);
    QFETCH(int, kind);
    m_bench->setSerialLinkLive(true);

    send(sender, kind);

    // Every serial line awaits its "#", so the line is on the wire once the call returns.
    QCOMPARE(m_pty->lines(), QList<QByteArray>{wire});
    QVERIFY(m_bench->host.boxes.isEmpty());
}

void tst_Commands::ethernetWire()
{
    QFETCH(Sender, sender);
    QFETCH(QByteArray, wire);
    QFETCH(int, kind);
    m_bench->state.EthernetConnected = 1;
    m_tcp->setResponder(RawLinkPeer::answerAll("ACK#"));
    QTcpSocket *socket = m_bench->socket();

    send(sender, kind);

    QTRY_COMPARE(m_tcp->lines(), QList<QByteArray>{wire});
    switch (kind) {
    case Wait: // the answer was awaited and read: nothing of it is left to come
        QCOMPARE(socket->bytesAvailable(), qint64(0));
        QVERIFY(!socket->waitForReadyRead(100));
        break;
    case NoWait: // returned without reading: the answer is still in the socket
        QTRY_COMPARE(socket->bytesAvailable(), qint64(4));
        break;
    case Query:
        QCOMPARE(g_reply.bytes.left(5), QByteArray("ACK#\0", 5));
        break;
    }
    QVERIFY(m_bench->host.boxes.isEmpty());
    QVERIFY(m_pty->received().isEmpty());
}

void tst_Commands::noLinkSendsNothing()
{
    QFETCH(Sender, sender);
    QFETCH(int, kind);
    if (kind == Query)
        QSKIP("queries are formatted by the status read whatever the link");
    sender(*m_bench->channel);

    expectSilence(*m_pty, true);
    expectSilence(*m_tcp, false);
    QVERIFY(m_bench->host.boxes.isEmpty());
}

void tst_Commands::bothLinksSerialWinsForCommands()
{
    QFETCH(Sender, sender);
    QFETCH(QByteArray, wire);
    QFETCH(int, kind);
    m_bench->setSerialLinkLive(true);
    m_bench->state.EthernetConnected = 1;

    send(sender, kind);

    // Commands follow the serial link; queries go over Ethernet whenever it is connected.
    RawLinkPeer &used = kind == Query ? *m_tcp : *m_pty;
    RawLinkPeer &unused = kind == Query ? *m_pty : *m_tcp;
    QTRY_COMPARE(used.lines(), QList<QByteArray>{wire});
    expectSilence(unused, kind == Query);
}

void tst_Commands::resetStretchesOnlyTheSerialWait_data()
{
    QTest::addColumn<Sender>("sender");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<bool>("serial");

    const Sender reset = [](CommandChannel &c) { SendReset(c); };
    const Sender factory = [](CommandChannel &c) { SendFactoryReset(c); };
    QTest::newRow("reset, serial") << reset << QByteArray("RESETKV R\r") << true;
    QTest::newRow("factory reset, serial") << factory << QByteArray("RESETKV F\r") << true;
    QTest::newRow("reset, ethernet") << reset << QByteArray("RESETKV R\r") << false;
    QTest::newRow("factory reset, ethernet") << factory << QByteArray("RESETKV F\r") << false;
}

// A switcher that answers half the normal wait too late: the reset still gets its answer
// without a try, and the command after it is back at the normal wait, answered within its
// first try (a margin of half a wait on both sides, for a loaded machine).
void tst_Commands::resetStretchesOnlyTheSerialWait()
{
    QFETCH(Sender, sender);
    QFETCH(QByteArray, wire);
    QFETCH(bool, serial);
    const Timeouts &t = m_bench->channel->timeouts();
    const int lateMs = 3 * t.ticksToMs(t.NormalTicks) / 2;
    RawLinkPeer &peer = serial ? *m_pty : *m_tcp;
    peer.setResponder([lateMs](const QByteArray &line) {
        if (line != "\r")
            std::this_thread::sleep_for(std::chrono::milliseconds(lateMs));
        return QList<QByteArray>{"\r\n#"};
    });
    if (serial)
        m_bench->setSerialLinkLive(true);
    else
        m_bench->state.EthernetConnected = 1;

    sender(*m_bench->channel);

    QTRY_COMPARE(peer.lines(), QList<QByteArray>{wire});
    // Over Ethernet the serial wait never runs.
    QCOMPARE(m_bench->host.statusTexts.contains(texts::kSending), serial);
    if (!serial)
        return;
    SendTakeCommit(*m_bench->channel);
    // The try's carriage return is read by the peer after it answered the late TAKE.
    QTRY_COMPARE(peer.lines(), (QList<QByteArray>{wire, "TAKE 1\r", "\r"}));
    QVERIFY(m_bench->host.boxes.isEmpty());
}

QTEST_GUILESS_MAIN(tst_Commands)
#include "tst_commands.moc"
