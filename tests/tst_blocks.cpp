// The status blocks byte for byte, written out by hand: where each field stands, what the
// emulated switcher sends for a known state, and what the reply decoders make of replies
// typed as literals. The console and kvemu share the block structs, so a wrong offset there
// passes every suite that goes through both; these tests hold the bytes themselves.

#include "SwitcherState.h"

#include "link/CommandChannel.h"
#include "protocol/StatusReader.h"
#include "state/MatrixState.h"

#include <QtTest>

#include <cstddef>
#include <cstring>

using namespace kv;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

QByteArray repeat(std::initializer_list<int> values, int times)
{
    QByteArray b;
    for (int k = 0; k < times; ++k)
        b += bytes(values);
    return b;
}

QByteArray payloadOf(emu::SwitcherState &s, const QByteArray &query)
{
    const emu::Response r = s.execute(query);
    return r.kind == emu::Response::Status ? r.payload : QByteArray("<not a status reply>");
}

const std::uint8_t *u8(const QByteArray &b) { return reinterpret_cast<const std::uint8_t *>(b.constData()); }

} // namespace

class TestBlocks : public QObject {
    Q_OBJECT
private slots:
    void fieldOffsets_data();
    void fieldOffsets();
    void switcherSendsTheseBytes_data();
    void switcherSendsTheseBytes();
    void parsedLiteralReplies();
    void replyMarker_data();
    void replyMarker();
    void serialEndOfReply_data();
    void serialEndOfReply();
};

void TestBlocks::fieldOffsets_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("expected");
#define KV_AT(type, field, at) QTest::newRow(#type "." #field) << int(offsetof(type, field)) << (at)
    KV_AT(RouteEntry, Input, 0);
    KV_AT(RouteEntry, Taken, 1);
    KV_AT(GroupTable, GroupMemberCount, 0);
    KV_AT(GroupTable, GroupOutputCount, 8);
    KV_AT(GroupTable, GroupInputCount, 16);
    KV_AT(GroupTable, GroupInputs, 24);
    KV_AT(GroupTable, OutputGroup, 152);
    KV_AT(GroupTable, Spare, 168);
    KV_AT(PresetRecord, Stored, 0);
    KV_AT(PresetRecord, LastSaved, 1);
    KV_AT(PresetRecord, ReclockMask, 2);
    KV_AT(PresetRecord, Routes, 4);
    KV_AT(SystemInfo, FrontPanelLock, 0);
    KV_AT(SystemInfo, ReclockMask, 4);
    KV_AT(SystemInfo, VIState, 7);
    KV_AT(SystemInfo, FirmwareVersion, 8);
    KV_AT(SystemInfo, ModelCode, 14);
    KV_AT(SystemInfo, IPAddress, 15);
#undef KV_AT
    QTest::newRow("sizeof RouteEntry") << int(sizeof(RouteEntry)) << 2;
    QTest::newRow("sizeof GroupTable") << int(sizeof(GroupTable)) << 170;
    QTest::newRow("sizeof PresetRecord") << int(sizeof(PresetRecord)) << 36;
    QTest::newRow("sizeof SystemInfo") << int(sizeof(SystemInfo)) << 20;
}

void TestBlocks::fieldOffsets()
{
    QFETCH(int, offset);
    QFETCH(int, expected);
    QCOMPARE(offset, expected);
}

// A 16 x 16 switcher after: lockout and vertical switching on, reclockers of outputs 1 and
// 10 on, address 10.20.30.40, output 1 taken to input 3, output 2 held at input 5, group 2
// holding output 4 and input 6, preset 3 stored.
void TestBlocks::switcherSendsTheseBytes_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("MINFOKV") << QByteArray("MINFOKV")
                             << bytes({1, 0, 0, 0, 0x01, 0x02, 0, 1, '2', '.', '0', '5', 0, 0,
                                       11, 10, 20, 30, 40, 0});

    const QByteArray routes = bytes({2, 1, 4, 0}) + repeat({252, 1}, 14);
    QTest::newRow("OINFOKV") << QByteArray("OINFOKV") << routes;
    QTest::newRow("OPINFOKV") << QByteArray("OPINFOKV") << bytes({2}) + repeat({252}, 15);

    QByteArray groups = bytes({0, 2, 0, 0, 0, 0, 0, 0,   // members
                               0, 1, 0, 0, 0, 0, 0, 0,   // outputs
                               0, 1, 0, 0, 0, 0, 0, 0}); // inputs
    for (int g = 0; g < 8; ++g)
        groups += g == 1 ? repeat({252}, 5) + bytes({1}) + repeat({252}, 10) : repeat({252}, 16);
    groups += repeat({252}, 3) + bytes({1}) + repeat({252}, 12) + bytes({0, 0});
    QTest::newRow("GINFOKV") << QByteArray("GINFOKV") << groups;

    QTest::newRow("PINFOKV 2") << QByteArray("PINFOKV 2")
                               << bytes({1, 1, 0x01, 0x02}) + routes;
    QTest::newRow("PINFOKV 0 (empty)") << QByteArray("PINFOKV 0")
                                       << bytes({0, 0, 0, 0}) + repeat({252, 1}, 16);
    QTest::newRow("PGINFOKV 2") << QByteArray("PGINFOKV 2") << groups;
}

void TestBlocks::switcherSendsTheseBytes()
{
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, expected);
    emu::SwitcherState s(11);
    for (const char *line : {"FPLOCK 1", "VISTATE 1", "RCLOCK 1 1", "RCLOCK 10 1",
                             "IPCONFIG 10 20 30 40", "RTEMP 1 3", "TAKE 1", "RTEMP 2 5",
                             "GADD 2 4 6", "PRST 3"})
        QCOMPARE(s.execute(line).kind, emu::Response::Ack);
    QCOMPARE(payloadOf(s, query).toHex(' '), expected.toHex(' '));
}

// Replies typed as the switcher frames them, through the console's decoder into its blocks.
void TestBlocks::parsedLiteralReplies()
{
    const QByteArray info = QByteArray("\r\n") + bytes({1, 0x55}) +
                            bytes({1, 9, 9, 9, 0x34, 0x12, 9, 0, 'V', '1', '.', '2', '3', '4',
                                   10, 192, 168, 1, 200, 9}) +
                            "\r\n#";
    SystemInfo s;
    std::memset(&s, 0xEE, sizeof s);
    QVERIFY(StatusReader::ParseReply(u8(info), int(info.size()), 20, &s));
    QCOMPARE(int(s.FrontPanelLock), 1);
    QCOMPARE(int(s.ReclockMask), 0x1234);
    QCOMPARE(int(s.VIState), 0);
    QCOMPARE(QByteArray(s.FirmwareVersion, 6), QByteArray("V1.234"));
    QCOMPARE(int(s.ModelCode), 10);
    QCOMPARE(bytes({s.IPAddress[0], s.IPAddress[1], s.IPAddress[2], s.IPAddress[3]}),
             bytes({192, 168, 1, 200}));

    const QByteArray preset = QByteArray("xx") + bytes({1, 7}) + bytes({1, 0, 0x03, 0x80}) +
                              bytes({5, 0, 252, 1}) + repeat({0, 1}, 14) + "\r\n#";
    PresetRecord p;
    QVERIFY(StatusReader::ParseReply(u8(preset), int(preset.size()), 36, &p));
    QCOMPARE(int(p.Stored), 1);
    QCOMPARE(int(p.LastSaved), 0);
    QCOMPARE(int(p.ReclockMask), 0x8003);
    QCOMPARE(int(p.Routes[0].Input), 5);
    QCOMPARE(int(p.Routes[0].Taken), 0);
    QCOMPARE(int(p.Routes[1].Input), 252);
    QCOMPARE(int(p.Routes[15].Taken), 1);

    QByteArray groupBytes = bytes({3, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0,
                                   2, 0, 0, 0, 0, 0, 0, 0}) +
                            repeat({252}, 128) + repeat({252}, 16) + bytes({0xAB, 0xCD});
    groupBytes[24 + 7] = 0;  // input 7 in group 0
    groupBytes[24 + 16 * 7 + 15] = 7; // input 15 in group 7
    groupBytes[152 + 2] = 0; // output 2 in group 0
    const QByteArray group = bytes({1, 0}) + groupBytes + "\r\n#";
    GroupTable g;
    QVERIFY(StatusReader::ParseReply(u8(group), int(group.size()), 170, &g));
    QCOMPARE(int(g.GroupMemberCount[0]), 3);
    QCOMPARE(int(g.GroupOutputCount[0]), 1);
    QCOMPARE(int(g.GroupInputCount[0]), 2);
    QCOMPARE(int(g.GroupInputs[0][7]), 0);
    QCOMPARE(int(g.GroupInputs[7][15]), 7);
    QCOMPARE(int(g.GroupInputs[0][6]), 252);
    QCOMPARE(int(g.OutputGroup[2]), 0);
    QCOMPARE(int(g.OutputGroup[3]), 252);
    QCOMPARE(int(g.Spare[0]), 0xAB);
    QCOMPARE(int(g.Spare[1]), 0xCD);

    // A payload that would end past the reply leaves the block as it was.
    const QByteArray cut = bytes({1, 0, 1, 2, 3});
    SystemInfo untouched;
    std::memset(&untouched, 0x5A, sizeof untouched);
    QVERIFY(!StatusReader::ParseReply(u8(cut), int(cut.size()), 20, &untouched));
    QCOMPARE(int(untouched.ModelCode), 0x5A);
}

void TestBlocks::replyMarker_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("marker");
    QTest::newRow("first byte") << bytes({1, 1, 7}) << 0;
    QTest::newRow("after CR LF") << QByteArray("\r\n") + bytes({1, 0}) << 2;
    QTest::newRow("at 29, the last place") << QByteArray(29, 'x') + bytes({1, 0}) << 29;
    QTest::newRow("at 30, too late") << QByteArray(30, 'x') + bytes({1, 0}) << -1;
    QTest::newRow("none") << QByteArray(40, 0) << -1;
}

void TestBlocks::replyMarker()
{
    QFETCH(QByteArray, reply);
    QTEST(StatusReader::FindStartMarker(u8(reply), int(reply.size())), "marker");
}

// The serial end of a reply: CR LF and the terminator at the minimum length or later, fed in
// the pieces the port delivers.
void TestBlocks::serialEndOfReply_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<int>("minLength");
    QTest::addColumn<int>("completesAt"); // index of the piece that completes it, -1: none

    QTest::newRow("an answer in one piece") << QList<QByteArray>{"\r\nOK\r\n#"} << 0 << 0;
    QTest::newRow("byte by byte")
        << QList<QByteArray>{"\r", "\n", "O", "K", "\r", "\n", "#"} << 0 << 6;
    QTest::newRow("# without CR LF before it") << QList<QByteArray>{"\r\nOK#"} << 0 << -1;
    QTest::newRow("CR LF # inside the payload, before the minimum")
        << QList<QByteArray>{QByteArray("\r\n") + bytes({1, 0}) + "\r\n#", "abc\r\n#"} << 10
        << 1;
    QTest::newRow("the terminator alone") << QList<QByteArray>{"#"} << 0 << -1;
}

void TestBlocks::serialEndOfReply()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(int, minLength);
    QFETCH(int, completesAt);
    std::uint8_t buffer[64] = {};
    int length = 0;
    int completed = -1;
    for (int k = 0; k < pieces.size() && completed < 0; ++k) {
        if (CommandChannel::GatherSerialBytes(buffer, int(sizeof buffer), length,
                                              pieces[k].constData(), int(pieces[k].size()),
                                              minLength, '#'))
            completed = k;
    }
    QCOMPARE(completed, completesAt);
}

QTEST_GUILESS_MAIN(TestBlocks)
#include "tst_blocks.moc"
