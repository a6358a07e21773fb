// kvemu's injected faults and its line pacing, seen on the wire.
#include "EmuProcess.h"
#include "EmuWire.h"

#include "Faults.h"
#include "state/MatrixState.h"

#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

bool isOutOfRangeInput(std::uint8_t v) { return (v >= 16 && v <= 251) || v >= 253; }
bool isOutOfRangeGroup(std::uint8_t v) { return (v >= 8 && v <= 251) || v >= 253; }

} // namespace

class TestEmulatorFaults : public QObject {
    Q_OBJECT

    EmuProcess m_emu;
    std::unique_ptr<EmuWire> m_tcp;

    std::unique_ptr<EmuWire> wireFor(bool pty)
    {
        return pty ? EmuWire::pty(m_emu.ptyPath()) : EmuWire::tcp(m_emu.tcpPort());
    }
    void addFaults(const QStringList &faults)
    {
        for (const QString &f : faults)
            QCOMPARE(m_emu.sendControl("fault " + f), QString("ok"));
    }

private slots:
    void initTestCase();
    void init();
    void faultTexts_data();
    void faultTexts();
    void noAnswer_data();
    void noAnswer();
    void garbage();
    void delayKeepsOrder();
    void bytewise_data();
    void bytewise();
    void cut_data();
    void cut();
    void closeMidReply();
    void oversize();
    void marker_data();
    void marker();
    void noCrlf();
    void hashInPayload();
    void burst();
    void dropOutput_data();
    void dropOutput();
    void outOfRange_data();
    void outOfRange();
    void modelCode();
    void countedFaultsWearOff();
    void commandLineFaults();
    void pacing_data();
    void pacing();
};

void TestEmulatorFaults::initTestCase()
{
    QVERIFY2(m_emu.start(EmuProcess::Options().withTcp()), qPrintable(m_emu.errorString()));
}

void TestEmulatorFaults::init()
{
    for (const char *c : {"clear-faults", "reset", "model 11"})
        QCOMPARE(m_emu.sendControl(c), QString("ok"));
    m_tcp = EmuWire::tcp(m_emu.tcpPort()); // fresh: some faults close the connection
    QVERIFY(m_tcp);
}

void TestEmulatorFaults::faultTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("canonical"); // empty: refused
    const QList<QPair<const char *, const char *>> rows{
        {"silence", "silence"},
        {"silence:RTEMP", "silence:RTEMP"},
        {"silence:CR@2", "silence:CR@2"},
        {"drop", "drop@1"},
        {"drop=3", "drop@3"},
        {"drop:PINFOKV 3", "drop:PINFOKV 3@1"},
        {"delay=250@2", "delay=250@2"},
        {"garbage:TAKE=30", "garbage:TAKE=30"},
        {"marker=40", "marker=40"},
        {"model=13", "model=13"},
        {"hash:GINFOKV=10", "hash:GINFOKV=10"},
        {" nocrlf ", "nocrlf"},
        {"", ""},
        {"bogus", ""},
        {"delay", ""},
        {"marker", ""},
        {"marker=41", ""},
        {"model=256", ""},
        {"silence=3", ""},
        {"nocrlf=1", ""},
        {"cut=-1", ""},
        {"delay=+5", ""},
        {"drop=0", ""},
        {"drop@0", ""},
        {"drop@x", ""},
        {"silence:", ""},
        {"SILENCE", ""},
    };
    for (const auto &[text, canonical] : rows)
        QTest::addRow("'%s'", text) << QString(text) << QString(canonical);
}

void TestEmulatorFaults::faultTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, canonical);
    QString why;
    const auto f = emu::ParseFault(text, &why);
    QCOMPARE(f.has_value(), !canonical.isEmpty());
    if (f)
        QCOMPARE(emu::FaultText(*f), canonical);
    else
        QVERIFY(!why.isEmpty());
}

void TestEmulatorFaults::noAnswer_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QByteArray>("expected"); // every byte that comes back
    QTest::addColumn<QString>("stateHas");    // the unanswered lines were carried out
    QTest::newRow("silence, one line") << QStringList{"silence@1"}
                                       << QByteArrayList{"RTEMP 1 1", ""} << QByteArray("\r\n#")
                                       << "routes=1*-,";
    QTest::newRow("silence by keyword")
        << QStringList{"silence:RTEMP"} << QByteArrayList{"RTEMP 1 1", "TAKE 1", "RTEMP 1 2", ""}
        << QByteArray("\r\nOK\r\n#\r\n#") << "routes=2*1,";
    QTest::newRow("silence on a bare CR")
        << QStringList{"silence:CR"} << QByteArrayList{"", "", "RTEMP 3 3"}
        << QByteArray("\r\nOK\r\n#") << "routes=-,-,3*-,";
    QTest::newRow("drop the next") << QStringList{"drop"} << QByteArrayList{"RTEMP 2 2", "TAKE 1"}
                                   << QByteArray("\r\nOK\r\n#") << "routes=-,2,";
    QTest::newRow("drop two of a kind")
        << QStringList{"drop:TAKE=2"} << QByteArrayList{"TAKE 1", "RTEMP 1 1", "TAKE 0", "TAKE 1"}
        << QByteArray("\r\nOK\r\n#\r\nOK\r\n#") << "routes=-,";
    QTest::newRow("drop by argument")
        << QStringList{"drop:PINFOKV 3"} << QByteArrayList{"PINFOKV 3", "PINFOKV 30", ""}
        << QByteArray("\r\nERR\r\n#\r\n#") << "model=11";
}

void TestEmulatorFaults::noAnswer()
{
    QFETCH(QStringList, faults);
    QFETCH(QByteArrayList, lines);
    QFETCH(QByteArray, expected);
    QFETCH(QString, stateHas);
    addFaults(faults);
    for (const QByteArray &l : lines)
        QVERIFY(m_tcp->send(l + '\r'));
    QCOMPARE(m_tcp->readReply(expected.size()), expected);
    QVERIFY2(m_emu.state().contains(stateHas), qPrintable(m_emu.state()));
}

void TestEmulatorFaults::garbage()
{
    addFaults({"garbage:TAKE=30@1", "garbage:RCLOCK@1"});
    QVERIFY(m_tcp->send("TAKE 1\rRCLOCK 1 1\r\r"));
    const QByteArray got = m_tcp->readReply(30 + 16 + 3);
    QCOMPARE(got.size(), 30 + 16 + 3);
    QVERIFY(!got.left(46).contains('#'));
    QVERIFY(got.endsWith("\r\n#"));
    QVERIFY(m_emu.state().contains("reclock=0x0001")); // carried out all the same
}

void TestEmulatorFaults::delayKeepsOrder()
{
    addFaults({"delay:TAKE=300"});
    QElapsedTimer t;
    t.start();
    QVERIFY(m_tcp->send("TAKE 1\r\r"));
    // The later line is not answered before the delayed one.
    QCOMPARE(m_tcp->readReply(10), QByteArray("\r\nOK\r\n#\r\n#"));
    QVERIFY2(t.elapsed() >= 290, "the answer waited for its delay");
}

void TestEmulatorFaults::bytewise_data()
{
    QTest::addColumn<bool>("pty");
    QTest::newRow("tcp") << false;
    QTest::newRow("pty") << true;
}

void TestEmulatorFaults::bytewise()
{
    QFETCH(bool, pty);
    auto wire = wireFor(pty);
    QVERIFY(wire);
    const QByteArray normal = wire->exchange("MINFOKV", StatusReplyLength(20));
    addFaults({"bytewise:MINFOKV=10"});
    QElapsedTimer t;
    t.start();
    QVERIFY(wire->send("MINFOKV\r"));
    int reads = 0;
    QByteArray got;
    while (got.size() < normal.size()) {
        const QByteArray more = wire->readSome(5000);
        QVERIFY(!more.isEmpty());
        got += more;
        ++reads;
    }
    QCOMPARE(got, normal);
    QVERIFY2(t.elapsed() >= (normal.size() - 1) * 10 - 5, "the bytes came with their gaps");
    qInfo("%d bytes in %d reads, %lld ms", int(got.size()), reads, t.elapsed());
}

void TestEmulatorFaults::cut_data()
{
    QTest::addColumn<bool>("pty");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("kept");
    QTest::newRow("tcp status at 10") << false << "cut:MINFOKV=10" << QByteArray("MINFOKV") << 10;
    QTest::newRow("tcp status by default") << false << "cut:GINFOKV" << QByteArray("GINFOKV")
                                           << StatusReplyLength(170) / 2;
    QTest::newRow("tcp ack at 3") << false << "cut:TAKE=3" << QByteArray("TAKE 1") << 3;
    QTest::newRow("pty status at 25") << true << "cut:MINFOKV=25" << QByteArray("MINFOKV") << 25;
    QTest::newRow("pty close is a cut") << true << "close:OINFOKV=9" << QByteArray("OINFOKV") << 9;
}

void TestEmulatorFaults::cut()
{
    QFETCH(bool, pty);
    QFETCH(QString, fault);
    QFETCH(QByteArray, line);
    QFETCH(int, kept);
    auto wire = wireFor(pty);
    QVERIFY(wire);
    const QByteArray normal = wire->exchange(line);
    addFaults({fault});
    QVERIFY(wire->send(line + "\r\r"));
    QCOMPARE(wire->readReply(kept + 3), normal.left(kept) + "\r\n#");
}

void TestEmulatorFaults::closeMidReply()
{
    const QByteArray normal = m_tcp->exchange("GINFOKV", StatusReplyLength(170));
    addFaults({"close:GINFOKV=50@1"});
    QVERIFY(m_tcp->send("GINFOKV\r"));
    QByteArray got;
    while (got.size() < 50) {
        const QByteArray more = m_tcp->readSome(5000);
        if (more.isEmpty())
            break;
        got += more;
    }
    QCOMPARE(got, normal.left(50));
    QVERIFY(m_tcp->waitClosed(5000));
    // The switcher itself carries on: a new connection is served.
    auto again = EmuWire::tcp(m_emu.tcpPort());
    QVERIFY(again);
    QCOMPARE(again->exchange("GINFOKV", StatusReplyLength(170)), normal);
}

void TestEmulatorFaults::oversize()
{
    const QByteArray normal = m_tcp->exchange("GINFOKV", StatusReplyLength(170));
    addFaults({"oversize:GINFOKV@1", "oversize:TAKE=6000@1"});
    const QByteArray big = m_tcp->exchange("GINFOKV", StatusReplyLength(170) + 12000);
    QCOMPARE(big.size(), StatusReplyLength(170) + 12000); // over 100 reads of 100 bytes
    QCOMPARE(big.left(4 + 170), normal.left(4 + 170));   // the block itself is whole
    QVERIFY(big.endsWith("\r\n#"));
    QCOMPARE(big.count('#'), normal.count('#'));
    const QByteArray ack = m_tcp->exchange("TAKE 1", 6007);
    QCOMPARE(ack, "\r\nOK" + QByteArray(6000, '.') + "\r\n#");
}

void TestEmulatorFaults::marker_data()
{
    QTest::addColumn<int>("pos");
    for (int pos : {0, 1, 2, 3, 29, 30, 40})
        QTest::addRow("%d", pos) << pos;
}

void TestEmulatorFaults::marker()
{
    QFETCH(int, pos);
    const QByteArray normal = m_tcp->exchange("PINFOKV 0", StatusReplyLength(36));
    addFaults({QString("marker:PINFOKV=%1").arg(pos)});
    const QByteArray got = m_tcp->exchange("PINFOKV 0", pos + 2 + 36 + 3);
    QCOMPARE(got.size(), pos + 2 + 36 + 3);
    QCOMPARE(got.indexOf('\x01'), pos);
    QVERIFY(!got.left(pos).contains('#'));
    QCOMPARE(got.mid(pos + 2, 36), normal.mid(4, 36));
    QVERIFY(got.endsWith("\r\n#"));
}

void TestEmulatorFaults::noCrlf()
{
    const QByteArray normal = m_tcp->exchange("OPINFOKV", StatusReplyLength(16));
    addFaults({"nocrlf"});
    QCOMPARE(m_tcp->exchange("OPINFOKV", StatusReplyLength(16) - 2), normal.left(4 + 16) + "#");
    QCOMPARE(m_tcp->exchange("TAKE 1"), QByteArray("\r\nOK#"));
    QCOMPARE(m_tcp->exchange("TAKE 3"), QByteArray("\r\nERR#"));
    QCOMPARE(m_tcp->exchange(""), QByteArray("#"));
}

void TestEmulatorFaults::hashInPayload()
{
    const QByteArray groups = m_tcp->exchange("GINFOKV", StatusReplyLength(170));
    const QByteArray info = m_tcp->exchange("MINFOKV", StatusReplyLength(20));
    addFaults({"hash:GINFOKV=10", "crlfhash:MINFOKV=15"});
    QByteArray expected = groups;
    expected[4 + 10] = '#';
    QCOMPARE(m_tcp->exchange("GINFOKV", StatusReplyLength(170)), expected);
    // A CR LF "#" at reply position 19, one short of a 20-byte block: it must not end a reply.
    expected = info;
    expected.replace(4 + 13, 3, "\r\n#");
    const QByteArray got = m_tcp->exchange("MINFOKV", StatusReplyLength(20));
    QCOMPARE(got, expected);
    QCOMPARE(got.indexOf("\r\n#"), 17);
}

void TestEmulatorFaults::burst()
{
    addFaults({"burst:RTEMP@1"});
    m_emu.clearLog();
    QVERIFY(m_tcp->send("RTEMP 1 1\r"));
    QTRY_VERIFY(m_emu.receivedLines().contains("RTEMP 1 1"));
    QVERIFY2(m_tcp->readSome(100).isEmpty(), "the answer is held back");
    QVERIFY(m_tcp->send("\r"));
    QCOMPARE(m_tcp->readReply(10), QByteArray("\r\nOK\r\n#\r\n#"));
}

void TestEmulatorFaults::dropOutput_data()
{
    QTest::addColumn<bool>("pty");
    QTest::addColumn<QString>("fault"); // what keeps the first answer from its reader
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("routes"); // kvemu's routes afterwards
    const QByteArray line = "RTEMP 1 1\r";
    QTest::newRow("tcp, held back") << false << "burst:RTEMP@1" << line << "1*-,";
    QTest::newRow("pty, held back") << true << "burst:RTEMP@1" << line << "1*-,";
    QTest::newRow("tcp, delayed") << false << "delay:RTEMP=300@1" << line << "1*-,";
    QTest::newRow("pty, delayed") << true << "delay:RTEMP=300@1" << line << "1*-,";
    QTest::newRow("pty, sent and unread") << true << "" << line << "1*-,";
    QTest::newRow("tcp, half a line") << false << "" << line.chopped(1) << "-,";
    QTest::newRow("pty, half a line") << true << "" << line.chopped(1) << "-,";
}

void TestEmulatorFaults::dropOutput()
{
    QFETCH(bool, pty);
    QFETCH(QString, fault);
    QFETCH(QByteArray, sent);
    QFETCH(QString, routes);
    auto wire = wireFor(pty);
    QVERIFY(wire);
    if (!fault.isEmpty())
        addFaults({fault});
    m_emu.clearLog();
    QVERIFY(wire->send(sent));
    if (sent.endsWith('\r'))
        QTRY_VERIFY(m_emu.receivedLines().contains("RTEMP 1 1"));
    QTest::qWait(50); // an answer sent is in the pty, not read
    QCOMPARE(m_emu.sendControl("drop-output"), QString("ok"));
    QTest::qWait(fault.startsWith("delay") ? 400 : 50);
    // Only the next line's own answer comes: nothing of the dropped one before or after it.
    QCOMPARE(wire->exchange("", 3, 1000), QByteArray("\r\n#"));
    QVERIFY(wire->readSome(100).isEmpty());
    QVERIFY2(m_emu.state().contains(" routes=" + routes), qPrintable(m_emu.state()));
}

void TestEmulatorFaults::outOfRange_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<int>("size");
    QTest::newRow("system") << QByteArray("MINFOKV") << 20;
    QTest::newRow("routes") << QByteArray("OINFOKV") << 32;
    QTest::newRow("previous") << QByteArray("OPINFOKV") << 16;
    QTest::newRow("groups") << QByteArray("GINFOKV") << 170;
    QTest::newRow("preset") << QByteArray("PINFOKV 0") << 36;
    QTest::newRow("preset groups") << QByteArray("PGINFOKV 5") << 170;
}

void TestEmulatorFaults::outOfRange()
{
    QFETCH(QByteArray, query);
    QFETCH(int, size);
    const QByteArray normal = StatusPayload(*m_tcp, query, size);
    addFaults({"range"});
    const QByteArray p = StatusPayload(*m_tcp, query, size);
    QCOMPARE(p.size(), size); // the frame stays as it is
    auto u = [&](int k) { return std::uint8_t(p[k]); };
    if (query == "MINFOKV") {
        const int code = u(offsetof(SystemInfo, ModelCode));
        QVERIFY(code != 10 && code != 11 && code != 12 && code != 20);
    } else if (query == "OINFOKV" || query == "OPINFOKV" || query.startsWith("PINFOKV")) {
        const int from = query == "OINFOKV" ? 0 : query == "OPINFOKV" ? 0 : 4;
        const int step = query == "OPINFOKV" ? 1 : 2;
        for (int k = from; k < size; k += step)
            QVERIFY2(isOutOfRangeInput(u(k)), qPrintable(QString("byte %1 = %2").arg(k).arg(u(k))));
    } else {
        for (int k = 0; k < 24; ++k)
            QVERIFY2(std::int8_t(p[k]) > 16, qPrintable(QString("count %1 = %2").arg(k).arg(u(k))));
        for (int k = 24; k < 168; ++k)
            QVERIFY2(isOutOfRangeGroup(u(k)), qPrintable(QString("byte %1 = %2").arg(k).arg(u(k))));
    }
    // Only the answer was bent: the switcher's own state is as it was.
    QCOMPARE(m_emu.sendControl("clear-faults"), QString("ok"));
    QCOMPARE(StatusPayload(*m_tcp, query, size), normal);
}

void TestEmulatorFaults::modelCode()
{
    addFaults({"model=13"});
    QCOMPARE(int(StatusBlock<SystemInfo>(*m_tcp, "MINFOKV").ModelCode), 13);
    QCOMPARE(StatusPayload(*m_tcp, "OINFOKV", 32).size(), 32); // still 16 x 16
    QCOMPARE(m_emu.sendControl("clear-faults"), QString("ok"));
    QCOMPARE(m_emu.sendControl("model 10"), QString("ok"));
    addFaults({"model=20"});
    QCOMPARE(int(StatusBlock<SystemInfo>(*m_tcp, "MINFOKV").ModelCode), 20);
    QCOMPARE(StatusPayload(*m_tcp, "OINFOKV", 16).size(), 16); // still 8 x 8
}

void TestEmulatorFaults::countedFaultsWearOff()
{
    addFaults({"cut:TAKE=3@2"});
    QVERIFY(m_tcp->send("TAKE 1\rTAKE 1\rTAKE 1\r"));
    QCOMPARE(m_tcp->readReply(13), QByteArray("\r\nO\r\nO\r\nOK\r\n#"));
    QCOMPARE(m_emu.sendControl("faults"), QString("faults -"));
}

void TestEmulatorFaults::commandLineFaults()
{
    EmuProcess emu;
    QVERIFY2(emu.start(EmuProcess::Options().withFault("silence:RTEMP").withFault("marker=0")),
             qPrintable(emu.errorString()));
    auto wire = EmuWire::pty(emu.ptyPath());
    QVERIFY(wire);
    QVERIFY(wire->send("RTEMP 1 1\r"));
    QCOMPARE(wire->exchange("MINFOKV", 2 + 20 + 3).left(2), QByteArray("\x01\x00", 2));
    QCOMPARE(emu.sendControl("faults"), QString("faults silence:RTEMP marker=0"));
}

void TestEmulatorFaults::pacing_data()
{
    QTest::addColumn<bool>("pty");
    QTest::newRow("tcp") << false;
    QTest::newRow("pty") << true;
}

void TestEmulatorFaults::pacing()
{
    QFETCH(bool, pty);
    EmuProcess emu;
    QVERIFY2(emu.start(EmuProcess::Options().withTcp().withBaud(57600).withFault(
                 "oversize:GINFOKV=5000")),
             qPrintable(emu.errorString()));
    auto wire = pty ? EmuWire::pty(emu.ptyPath()) : EmuWire::tcp(emu.tcpPort());
    QVERIFY(wire);
    const int size = StatusReplyLength(170) + 5000;
    QElapsedTimer t;
    t.start();
    const QByteArray got = wire->exchange("GINFOKV", size, 30000);
    const qint64 ms = qMax<qint64>(1, t.elapsed());
    QCOMPARE(got.size(), size);
    QVERIFY(got.endsWith("\r\n#"));
    qInfo("%s: %d bytes in %lld ms = %lld baud at 10 bits a byte (paced at 57600)",
          pty ? "pty" : "tcp", size, ms, qint64(size) * 10 * 1000 / ms);
}

QTEST_GUILESS_MAIN(TestEmulatorFaults)
#include "tst_emulator_faults.moc"
