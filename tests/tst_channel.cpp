// The command channel against kvemu over a real pseudo-terminal and real TCP: how a reply
// ends, what the waits and tries put on the wire, and the bounds of the reply buffers.

#include "EmuProcess.h"
#include "LinkBench.h"
#include "RawLinkPeer.h"
#include "Texts.h"

#include "link/LinkTransport.h"
#include "link/WireLog.h"
#include "protocol/Commands.h"

#include <QLoggingCategory>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace kv;
using namespace kv::test;

namespace {

constexpr int kSystemInfoSize = 20;

// One kvemu with both transports and the console's channel on both.
struct Rig {
    EmuProcess *emu = nullptr; // the suite's, reset by start()
    LinkBench bench;
    CommandChannel &ch = *bench.channel;

    QString start(const QStringList &faults = {})
    {
        EmuProcess::Options options;
        options.tcp = true;
        options.faults = faults;
        QString why;
        emu = EmuProcess::Shared(options, &why);
        if (!emu)
            return why;
        if (!bench.openSerial(emu->ptyPath()))
            return QStringLiteral("serial open: ") + bench.port()->errorString();
        if (!bench.connectTcp(emu->tcpPort()))
            return QStringLiteral("tcp connect failed");
        return {};
    }
    QueryReply systemQuery() { return ch.runQuery(QuerySystemInfoText(), kSystemInfoSize); }
    // A command answered after a delay between the probe's wait and the normal one goes
    // through without a try: the normal wait is in force again.
    QString waitsNormally()
    {
        const int probeMs = bench.channel->timeouts().ticksToMs(bench.channel->timeouts().ProbeTicks);
        const int normalMs = bench.channel->timeouts().ticksToMs(bench.channel->timeouts().NormalTicks);
        const int delay = (probeMs + normalMs) / 2;
        if (emu->sendControl(QStringLiteral("clear-faults")) != "ok")
            return QStringLiteral("faults not cleared");
        if (emu->sendControl(QStringLiteral("fault delay:TAKE=%1@1").arg(delay)) != "ok")
            return QStringLiteral("fault not set");
        emu->clearLog();
        SendTakeCancel(ch);
        const QStringList wire = emu->receivedLines();
        return wire == QStringList{"TAKE 0"} ? QString() : wire.join(QLatin1Char('|'));
    }
};

// Collects what the "kv.wire" category logs while it lives; other messages pass on.
class WireTrace {
public:
    WireTrace()
    {
        s_lines.clear();
        s_previous = qInstallMessageHandler(&WireTrace::handle);
    }
    ~WireTrace()
    {
        qInstallMessageHandler(s_previous);
        QLoggingCategory::setFilterRules(QString());
    }
    QStringList lines() const { return s_lines; }
    // The bytes logged as received between this line sent and the next, escaped as logged.
    QString answerTo(const QString &sent) const
    {
        const QString link = sent.section(' ', 0, 0);
        QString text;
        for (qsizetype i = s_lines.indexOf(sent) + 1; i > 0 && i < s_lines.size(); ++i) {
            if (s_lines[i].startsWith(link + " sent: "))
                break;
            if (s_lines[i].startsWith(link + " received: "))
                text += s_lines[i].section(": ", 1);
        }
        return text;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (qstrcmp(context.category, "kv.wire") == 0)
            s_lines << text;
        else if (s_previous)
            s_previous(type, context, text);
    }
    static inline QStringList s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};

#define START(rig, ...)                                                                    \
    do {                                                                                   \
        const QString error = (rig).start(__VA_ARGS__);                                    \
        QVERIFY2(error.isEmpty(), qPrintable(error));                                      \
    } while (0)

} // namespace

class tst_Channel : public QObject {
    Q_OBJECT
private slots:
    void replyEnd_data();
    void replyEnd();
    void queryAfterTimedOutQueryStartsAtZero();
    void notificationEndsInZero_data();
    void notificationEndsInZero();
    void serialCommandConsumesThroughTerminator();
    void queryAfterUnreadFlood();
    void unansweredSerialCommandTriesThenAsks();
    void retryOkResendsOnceAnswered();
    void commandNeverAnsweredStillAsks();
    void cancelledRetryLeavesNormalWait();
    void closedSerialPort();
    void serialOutputBufferLimit_data();
    void serialOutputBufferLimit();
    void ethernetAcknowledgement_data();
    void ethernetAcknowledgement();
    void ethernetSilenceIsNeitherReportedNorRetried();
    void ethernetQueryClearsEarlierFailure();
    void bothLinksCommandSerialQueryEthernet();
    void watchdogMessage_data();
    void watchdogMessage();
    void wireTrace_data();
    void wireTrace();
};

// The same status reply over both links: the serial rule needs CR LF before a "#" at
// position MinReplyLength or later; Ethernet only needs MinReplyLength bytes before it.
void tst_Channel::replyEnd_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<bool>("serialComplete");
    QTest::addColumn<bool>("ethernetFound");

    auto row = [](const char *name, QStringList f, bool serial, bool ethernet) {
        QTest::newRow(name) << f << serial << ethernet;
    };
    row("normal frame", {}, true, true);
    row("CR LF # at 20, cut there", {"crlfhash=16", "cut=21"}, true, true);
    row("CR LF # at 19, cut there", {"crlfhash=15", "cut=20"}, false, false);
    row("CR LF # at 19, then the normal end", {"crlfhash=15"}, true, true);
    row("# at 20 without CR LF", {"hash=16", "cut=21"}, false, true);
    row("# at 19 without CR LF", {"hash=15", "cut=20"}, false, false);
    row("normal frame without CR LF", {"nocrlf"}, false, true);
    row("cut short", {"cut=10"}, false, false);
    row("5127 bytes fit", {"oversize=5100"}, true, true);
    row("5199 bytes, one zero left behind", {"oversize=5172"}, true, true);
    row("5200 bytes, no zero left behind", {"oversize=5173"}, true, false);
    row("5207 bytes overflow", {"oversize=5180"}, false, false);
    row("12027 bytes overflow", {"oversize"}, false, false);
    row("connection closed mid-reply", {"close=10"}, false, false);
    row("silence", {"silence"}, false, false);
}

void tst_Channel::replyEnd()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, serialComplete);
    QFETCH(bool, ethernetFound);
    Rig rig;
    START(rig, faults);

    const QueryReply serialReply = rig.systemQuery();
    QCOMPARE(serialReply.failed, !serialComplete);
    QCOMPARE(rig.bench.host.texts(), serialComplete ? QStringList{} : QStringList{texts::kSerialTimeout});
    const QByteArray serial = serialReply.bytes;
    QCOMPARE(serial.size(), CommandChannel::kReplyBufferSize);

    rig.bench.state.EthernetConnected = 1;
    rig.bench.host.clear();
    const QueryReply ethernetReply = rig.systemQuery();
    QVERIFY(!ethernetReply.failed);
    QVERIFY(rig.bench.host.boxes.isEmpty());
    QCOMPARE(!AllZero(ethernetReply.bytes), ethernetFound);
    if (!ethernetFound)
        return;
    // Ethernet copies the reply whole: the exact wire bytes, ended by the zeros behind it.
    const QByteArray wire = ethernetReply.bytes;
    qsizetype length = wire.size();
    while (length > 0 && wire.at(length - 1) == 0)
        --length;
    QVERIFY(length > kSystemInfoSize);
    QVERIFY(wire.startsWith(QByteArray("\r\n\x01\x00", 4)));
    QCOMPARE(wire.at(length - 1), '#');
    if (serialComplete) {
        // Serial gathers the same bytes and writes 0 over the last one it received.
        QByteArray expected = wire.left(length);
        expected[length - 1] = 0;
        QCOMPARE(serial.left(length), expected);
    }
}

void tst_Channel::queryAfterTimedOutQueryStartsAtZero()
{
    Rig rig;
    START(rig, {"cut:MINFOKV=10@1"});
    const QueryReply cut = rig.systemQuery();
    QVERIFY(cut.failed);
    QCOMPARE(cut.bytes.left(4), QByteArray("\r\n\x01\x00", 4));

    // A reply gathered behind the ten bytes the cut one left would not start at 0.
    const QueryReply next = rig.systemQuery();
    QVERIFY(!next.failed);
    const QByteArray reply = next.bytes.left(kSystemInfoSize + 7);
    QVERIFY(reply.startsWith(QByteArray("\r\n\x01\x00", 4)));
    QCOMPARE(reply.right(3), QByteArray("\r\n\0", 3));
    QVERIFY(AllZero(next.bytes.mid(kSystemInfoSize + 7)));
}

// Byte-exact ends of one notification, from a raw peer that writes the reply in one piece.
void tst_Channel::notificationEndsInZero_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("buffer");

    const QByteArray body(18, 'b');
    QTest::newRow("# last") << body + "\r\n#" << body + QByteArray("\r\n\0", 3);
    QTest::newRow("two bytes after #") << body + "\r\n#AB" << body + QByteArray("\r\n#A\0", 5);
}

void tst_Channel::notificationEndsInZero()
{
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, buffer);
    auto peer = RawLinkPeer::openPty();
    QVERIFY(peer);
    peer->setResponder(RawLinkPeer::answerAll(answer));
    LinkBench bench;
    QVERIFY(bench.openSerial(peer->ptyPath()));
    const QueryReply reply = bench.channel->runQuery("MINFOKV\r", kSystemInfoSize);
    QVERIFY(!reply.failed);
    QCOMPARE(reply.bytes.left(buffer.size()), buffer);
}

void tst_Channel::serialCommandConsumesThroughTerminator()
{
    auto peer = RawLinkPeer::openPty();
    QVERIFY(peer);
    peer->setResponder(RawLinkPeer::answerAll("ok#tail"));
    LinkBench bench;
    QVERIFY(bench.openSerial(peer->ptyPath()));
    CommandChannel &ch = *bench.channel;
    bench.setSerialLinkLive(true);
    int busyDuringWait = -1;
    bench.host.onStatus = [&](const QString &text) {
        if (!text.isEmpty())
            busyDuringWait = bench.state.Busy;
    };

    ch.sendCommand("TAKE 1\r");

    QCOMPARE(busyDuringWait, 1);
    QCOMPARE(bench.state.Busy, 0);
    QCOMPARE(bench.host.statusTexts, (QStringList{texts::kSending, ""}));
    QCOMPARE(bench.host.pagesEnabled, (QList<bool>{false, true}));
    // What followed the "#" is still waiting in the port...
    QTRY_COMPARE(bench.port()->bytesAvailable(), qint64(4));
    // ...until the next exchange discards it.
    peer->setResponder(RawLinkPeer::answerAll("#"));
    ch.sendCommand("TAKE 0\r");
    QCOMPARE(bench.port()->bytesAvailable(), qint64(0));
    // Each answered at once: no bare returns behind either.
    QCOMPARE(peer->lines(), (QList<QByteArray>{"TAKE 1\r", "TAKE 0\r"}));
}

// Bytes nobody asked for fill the port's read buffer until it stops reading; the next exchange
// must still hear its answer.
void tst_Channel::queryAfterUnreadFlood()
{
    auto peer = RawLinkPeer::openPty();
    QVERIFY(peer);
    const QByteArray reply = QByteArray(20, 'r') + "\r\n#";
    peer->setResponder([reply](const QByteArray &line) {
        return line == "FLOOD\r" ? QList<QByteArray>{"#" + QByteArray(6000, 'f')}
                                  : QList<QByteArray>{reply};
    });
    LinkBench bench;
    QVERIFY(bench.openSerial(peer->ptyPath()));
    CommandChannel &ch = *bench.channel;
    bench.setSerialLinkLive(true);
    ch.sendCommand("FLOOD\r");
    QTRY_COMPARE(bench.port()->bytesAvailable(), qint64(CommandChannel::kSerialBufferSize));

    const QueryReply answer = ch.runQuery("MINFOKV\r", kSystemInfoSize);

    QVERIFY(!answer.failed);
    QCOMPARE(answer.bytes.left(reply.size()), reply.left(reply.size() - 1) + QByteArray(1, '\0'));
    QCOMPARE(peer->lines(), (QList<QByteArray>{"FLOOD\r", "MINFOKV\r"}));
}

void tst_Channel::unansweredSerialCommandTriesThenAsks()
{
    Rig rig;
    START(rig, {"silence"});
    rig.bench.setSerialLinkLive(true);
    QStringList wireAtBox;
    rig.bench.host.onShow = [&](const RecordingLinkHost::Box &) {
        (void)QTest::qWaitFor([&] { return rig.emu->receivedLines().size() >= 5; }, 2000);
        wireAtBox = rig.emu->receivedLines();
    };

    SendTakeCommit(rig.ch); // the box is cancelled

    // The command, two bare returns, then the probe's two returns; never the command again.
    QCOMPARE(wireAtBox, (QStringList{"TAKE 1", "", "", "", ""}));
    QCOMPARE(rig.bench.host.boxes.size(), 1);
    QCOMPARE(rig.bench.host.boxes[0].kind, RecordingLinkHost::Kind::OkCancel);
    QCOMPARE(rig.bench.host.boxes[0].title, texts::kRetryTitle);
    QCOMPARE(rig.bench.host.boxes[0].text, texts::kRetryText);
    QCOMPARE(rig.emu->receivedLines(), wireAtBox);
    QVERIFY(rig.ch.serialLinkLive());
    QVERIFY(!rig.bench.host.busyCursor);
    QCOMPARE(rig.bench.host.busyCursorShown, 1);
}

void tst_Channel::retryOkResendsOnceAnswered()
{
    Rig rig;
    START(rig, {"silence"});
    rig.bench.setSerialLinkLive(true);
    rig.bench.host.answer(true);
    rig.bench.host.onShow = [&](const RecordingLinkHost::Box &) {
        QCOMPARE(rig.emu->sendControl("clear-faults"), QStringLiteral("ok"));
    };

    SendTakeCommit(rig.ch);

    QCOMPARE(rig.bench.host.boxes.size(), 1);
    // After OK the probe's first return is answered, and the command goes out once more.
    QCOMPARE(rig.emu->receivedLines(), (QStringList{"TAKE 1", "", "", "", "", "", "TAKE 1"}));
    const QString wait = rig.waitsNormally();
    QVERIFY2(wait.isEmpty(), qPrintable(wait));
}

// The port answers its probe but never the command: the operator is asked all the same,
// instead of the console probing and resending for ever.
void tst_Channel::commandNeverAnsweredStillAsks()
{
    Rig rig;
    START(rig, {"silence:TAKE", "silence:CR@2"}); // the two bare returns go unanswered too
    rig.bench.setSerialLinkLive(true);
    QStringList wireAtBox;
    rig.bench.host.onShow = [&](const RecordingLinkHost::Box &) {
        wireAtBox = rig.emu->receivedLines();
    };

    SendTakeCommit(rig.ch);

    QCOMPARE(rig.bench.host.boxes.size(), 1);
    QCOMPARE(rig.bench.host.boxes[0].text, texts::kRetryText);
    QCOMPARE(wireAtBox, (QStringList{"TAKE 1", "", "", "", "TAKE 1", ""}));
    const QString wait = rig.waitsNormally();
    QVERIFY2(wait.isEmpty(), qPrintable(wait));
}

void tst_Channel::cancelledRetryLeavesNormalWait()
{
    Rig rig;
    START(rig, {"silence"});
    rig.bench.setSerialLinkLive(true);
    SendTakeCommit(rig.ch);
    QCOMPARE(rig.bench.host.boxes.size(), 1);

    // The box was left at the probe's short wait; the next command waits the normal time.
    const QString wait = rig.waitsNormally();
    QVERIFY2(wait.isEmpty(), qPrintable(wait));
    QCOMPARE(rig.bench.host.boxes.size(), 1);
}

void tst_Channel::closedSerialPort()
{
    LinkBench bench;
    CommandChannel &ch = *bench.channel;
    bench.setSerialLinkLive(true);
    // A command counts as answered: no tries, no retry box. A query fails at once, without
    // the watchdog and its box.
    SendTakeCommit(ch);
    QVERIFY(ch.runQuery(QuerySystemInfoText(), kSystemInfoSize).failed);
    QVERIFY(bench.host.boxes.isEmpty());
    QVERIFY(bench.host.statusTexts.isEmpty());
    QVERIFY(ch.serialLinkLive());
}

void tst_Channel::serialOutputBufferLimit_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("written");
    QTest::newRow("one byte to spare") << CommandChannel::kSerialBufferSize - 1 << true;
    QTest::newRow("exactly full") << CommandChannel::kSerialBufferSize << false;
    QTest::newRow("too long") << CommandChannel::kSerialBufferSize + 10 << false;
}

void tst_Channel::serialOutputBufferLimit()
{
    QFETCH(int, length);
    QFETCH(bool, written);
    auto peer = RawLinkPeer::openPty();
    QVERIFY(peer);
    LinkBench bench;
    QVERIFY(bench.openSerial(peer->ptyPath()));
    LinkTransport transport(*bench.channel);
    const QByteArray text(length, 'A');

    transport.serialSendAndAwait(text.constData());

    const QStringList expected{texts::kBufferOverflow};
    QCOMPARE(bench.host.texts(), written ? QStringList{} : expected);
    transport.serialSendAndAwait("END\r");
    QTRY_VERIFY(peer->received().endsWith("END\r"));
    QCOMPARE(peer->received(), (written ? text : QByteArray()) + "END\r");
}

void tst_Channel::ethernetAcknowledgement_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("read");
    QTest::addColumn<int>("leftOver");
    QTest::newRow("normal answer") << QStringList{} << 7 << 0;
    QTest::newRow("one byte, no #") << QStringList{"garbage=1"} << 1 << 0;
    QTest::newRow("twenty bytes, no #") << QStringList{"garbage=20"} << 20 << 0;
    QTest::newRow("twenty-five bytes") << QStringList{"garbage=25"} << 20 << 5;
    QTest::newRow("closed without a byte") << QStringList{"close=0"} << 0 << 0;
}

void tst_Channel::ethernetAcknowledgement()
{
    QFETCH(QStringList, faults);
    QFETCH(int, read);
    QFETCH(int, leftOver);
    Rig rig;
    START(rig, faults);

    QCOMPARE(LinkTransport(rig.ch).ethernetSendAndAwait("TAKE 1\r"), read > 0);

    QCOMPARE(rig.emu->receivedLines(), QStringList{"TAKE 1"});
    // At most 20 bytes are read; the rest stays in the socket.
    if (leftOver)
        QTRY_COMPARE(rig.bench.socket()->bytesAvailable(), qint64(leftOver));
    else
        QVERIFY(!rig.bench.socket()->waitForReadyRead(100));
    QVERIFY(rig.bench.host.boxes.isEmpty());
}

void tst_Channel::ethernetSilenceIsNeitherReportedNorRetried()
{
    Rig rig;
    START(rig, {"silence"});
    rig.bench.state.EthernetConnected = 1;

    SendTakeCommit(rig.ch);

    QCOMPARE(rig.emu->receivedLines(), QStringList{"TAKE 1"});
    QVERIFY(rig.bench.host.boxes.isEmpty());
    QCOMPARE(rig.bench.host.busyCursorShown, 1);
    QVERIFY(!rig.bench.host.busyCursor);
}

void tst_Channel::ethernetQueryClearsEarlierFailure()
{
    Rig rig;
    START(rig, {"silence:MINFOKV@1"});
    QVERIFY(rig.systemQuery().failed);

    rig.bench.state.EthernetConnected = 1;
    const QueryReply reply = rig.systemQuery();
    QVERIFY(!reply.failed);
    QCOMPARE(reply.bytes.left(4), QByteArray("\r\n\x01\x00", 4));
}

void tst_Channel::bothLinksCommandSerialQueryEthernet()
{
    QString why;
    EmuProcess *serialEmu = EmuProcess::Shared({}, &why);
    QVERIFY2(serialEmu, qPrintable(why));
    EmuProcess *tcpEmu = EmuProcess::Shared(EmuProcess::Options().withTcp().withoutPty(), &why);
    QVERIFY2(tcpEmu, qPrintable(why));
    LinkBench bench;
    QVERIFY(bench.openSerial(serialEmu->ptyPath()));
    QVERIFY(bench.connectTcp(tcpEmu->tcpPort()));
    bench.setSerialLinkLive(true);
    bench.state.EthernetConnected = 1;

    SendTakeCommit(*bench.channel);
    const QueryReply reply = bench.channel->runQuery(QuerySystemInfoText(), kSystemInfoSize);

    QCOMPARE(serialEmu->receivedLines(), QStringList{"TAKE 1"});
    QCOMPARE(tcpEmu->receivedLines(), QStringList{"MINFOKV"});
    QCOMPARE(reply.bytes.left(4), QByteArray("\r\n\x01\x00", 4));
}

void tst_Channel::watchdogMessage_data()
{
    QTest::addColumn<int>("connecting");
    QTest::addColumn<int>("ethernet");
    QTest::addColumn<QString>("text");
    QTest::newRow("serial") << 0 << 0 << texts::kSerialTimeout;
    QTest::newRow("ethernet up") << 0 << 1 << texts::kEthernetTimeout;
    QTest::newRow("connecting") << 1 << 0 << texts::kEthernetTimeout;
}

void tst_Channel::watchdogMessage()
{
    QFETCH(int, connecting);
    QFETCH(int, ethernet);
    QFETCH(QString, text);
    LinkBench bench;
    LinkTransport transport(*bench.channel);
    transport.setConnecting(connecting != 0);
    bench.state.EthernetConnected = std::uint8_t(ethernet);

    // A wait with nothing to end it but the watchdog.
    QVERIFY(!transport.awaitUnderWatchdog([] { return false; }));

    QCOMPARE(bench.host.texts(), QStringList{text});
    QCOMPARE(bench.host.boxes[0].kind, RecordingLinkHost::Kind::Message);
}

void tst_Channel::wireTrace_data()
{
    QTest::addColumn<QString>("link");
    QTest::newRow("serial") << "serial";
    QTest::newRow("tcp") << "tcp";
}

void tst_Channel::wireTrace()
{
    QFETCH(QString, link);
    Rig rig;
    START(rig);
    if (link == "serial")
        rig.bench.setSerialLinkLive(true);
    else
        rig.bench.state.EthernetConnected = 1;
    WireTrace trace;

    SendTakeCommit(rig.ch);
    QVERIFY(!rig.systemQuery().failed);
    QCOMPARE(trace.lines(), QStringList{}); // off by default

    QLoggingCategory::setFilterRules("kv.wire.debug=true");
    SendTakeCommit(rig.ch);
    QVERIFY(!rig.systemQuery().failed);

    const QStringList lines = trace.lines();
    QVERIFY2(lines.contains(link + " sent: TAKE 1\\r"), qPrintable(lines.join('|')));
    QCOMPARE(trace.answerTo(link + " sent: TAKE 1\\r").right(1), "#");
    // The binary block in printable form.
    QVERIFY2(trace.answerTo(link + " sent: MINFOKV\\r").startsWith("\\r\\n\\x01\\x00"),
             qPrintable(lines.join('|')));
    for (const QString &line : lines)
        QVERIFY2(std::none_of(line.begin(), line.end(), [](QChar c) { return c < ' ' || c > '~'; }),
                 qPrintable(line));
    // The wire is as it was without the trace.
    QCOMPARE(rig.emu->receivedLines(), (QStringList{"TAKE 1", "MINFOKV", "TAKE 1", "MINFOKV"}));
}

QTEST_GUILESS_MAIN(tst_Channel)
#include "tst_channel.moc"
