// The remote protocol's blocks from byte literals: how the reader cuts bytes into blocks
// (line ends of every kind, split deliveries, the limits), what the parser accepts and
// refuses, and the exact text of the blocks the server writes.

#include "remote/HubBlocks.h"

#include <QtTest>

using namespace kv;
using Status = HubBlockReader::Status;
using Kind = HubRequest::Kind;

Q_DECLARE_METATYPE(HubBlockReader::Status)
Q_DECLARE_METATYPE(HubRequest::Kind)

class tst_HubBlocks : public QObject {
    Q_OBJECT
private slots:
    void readerCutsBlocks_data();
    void readerCutsBlocks();
    void readerLimits_data();
    void readerLimits();
    void byteByByteIsTheSame();
    void blockAtATime();
    void parse_data();
    void parse();
    void formats();
};

void tst_HubBlocks::readerCutsBlocks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("firstLines");
    QTest::addColumn<bool>("midBlock");

    QTest::newRow("lf") << QByteArray("VIDEO OUTPUT ROUTING:\n3 5\n4 6\n\n")
                        << QStringList{"VIDEO OUTPUT ROUTING:"} << QStringList{"3 5", "4 6"} << false;
    QTest::newRow("crlf") << QByteArray("PING:\r\n\r\nOUTPUT LABELS:\r\n0 CAM 1\r\n\r\n")
                          << QStringList{"PING:", "OUTPUT LABELS:"} << QStringList{} << false;
    QTest::newRow("bare cr") << QByteArray("PING:\r\rPING:\r\r")
                             << QStringList{"PING:", "PING:"} << QStringList{} << false;
    QTest::newRow("blank lines between") << QByteArray("\n\n\r\nPING:\n\n\n\n")
                                         << QStringList{"PING:"} << QStringList{} << false;
    QTest::newRow("half block") << QByteArray("VIDEO OUTPUT ROUTING:\n3 5\n")
                                << QStringList{} << QStringList{} << true;
    QTest::newRow("half line") << QByteArray("PING:\n\nVIDEO OUT")
                               << QStringList{"PING:"} << QStringList{} << true;
    QTest::newRow("trailing blanks on header") << QByteArray("PING: \t\n\n")
                                               << QStringList{"PING:"} << QStringList{} << false;
    QTest::newRow("utf-8 label") << QByteArray("INPUT LABELS:\n0 Caf\xc3\xa9\n\n")
                                 << QStringList{"INPUT LABELS:"} << QStringList{"0 Caf\u00e9"} << false;
}

void tst_HubBlocks::readerCutsBlocks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, headers);
    QFETCH(QStringList, firstLines);
    QFETCH(bool, midBlock);
    HubBlockReader reader;
    QList<HubBlock> blocks;
    QCOMPARE(reader.feed(bytes, blocks), Status::Ok);
    QStringList got;
    for (const HubBlock &b : blocks)
        got << b.header;
    QCOMPARE(got, headers);
    if (!blocks.isEmpty())
        QCOMPARE(blocks.first().lines, firstLines);
    QCOMPARE(reader.midBlock(), midBlock);
}

void tst_HubBlocks::readerLimits_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Status>("status");
    QTest::addColumn<int>("blocksBefore");

    const QByteArray ping = "PING:\n\n";
    QTest::newRow("line of 1024") << ping + "INPUT LABELS:\n" + QByteArray(1024, 'a') + "\n\n"
                                  << Status::Ok << 2;
    QTest::newRow("line of 1025") << ping + QByteArray(1025, 'a') << Status::LineTooLong << 1;
    QByteArray block64 = "VIDEO OUTPUT ROUTING:\n";
    for (int k = 0; k < 63; ++k)
        block64 += "0 0\n";
    QTest::newRow("block of 64 lines") << block64 + "\n" << Status::Ok << 1;
    QTest::newRow("block of 65 lines") << ping + block64 + "0 0\n\n" << Status::BlockTooLong << 1;
    QTest::newRow("nul") << ping + QByteArray("PI\0NG:\n\n", 8) << Status::NotText << 1;
    QTest::newRow("escape") << ping + "\x1b[A\n" << Status::NotText << 1;
    QTest::newRow("del") << QByteArray("PING\x7f:\n\n") << Status::NotText << 0;
    QTest::newRow("bad utf-8") << ping + "INPUT LABELS:\n0 \xff\xfe\n\n" << Status::NotText << 1;
    QTest::newRow("telnet negotiation") << QByteArray("\xff\xfd\x18\n") << Status::NotText << 0;
}

void tst_HubBlocks::readerLimits()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Status, status);
    QFETCH(int, blocksBefore);
    HubBlockReader reader;
    QList<HubBlock> blocks;
    QCOMPARE(reader.feed(bytes, blocks), status);
    QCOMPARE(blocks.size(), blocksBefore);
    // A failed reader takes nothing more.
    if (status != Status::Ok) {
        QCOMPARE(reader.feed("PING:\n\n", blocks), status);
        QCOMPARE(blocks.size(), blocksBefore);
    }
}

void tst_HubBlocks::byteByByteIsTheSame()
{
    const QByteArray bytes = "VIDEO OUTPUT ROUTING:\r\n0 1\r\n1 2\r\n\r\nPING:\n\nINPUT LABELS:\n3 VT\n\n";
    HubBlockReader whole, single;
    QList<HubBlock> a, b;
    QCOMPARE(whole.feed(bytes, a), Status::Ok);
    for (char c : bytes)
        QCOMPARE(single.feed(QByteArrayView(&c, 1), b), Status::Ok);
    QCOMPARE(b.size(), 3);
    for (int k = 0; k < a.size(); ++k) {
        QCOMPARE(b[k].header, a[k].header);
        QCOMPARE(b[k].lines, a[k].lines);
    }
}

void tst_HubBlocks::blockAtATime()
{
    // A read of many small blocks is taken one block per call, the rest left to the caller.
    const QByteArray bytes = QByteArray("PING:\r\n\r\n").repeated(40000) +
                             "VIDEO OUTPUT ROUTING:\r\n0 1\r\n1 2\r\n\r\nINPUT LABELS:\n3 VT\n";
    HubBlockReader reader;
    QByteArrayView rest(bytes);
    QList<HubBlock> all;
    while (!rest.isEmpty()) {
        QList<HubBlock> one;
        qsizetype taken = -1;
        QCOMPARE(reader.feed(rest, one, 1, &taken), Status::Ok);
        QVERIFY(one.size() <= 1);
        QVERIFY(taken > 0);
        all += one;
        rest = rest.sliced(taken);
    }
    QCOMPARE(all.size(), 40001);
    QCOMPARE(all.last().lines, (QStringList{"0 1", "1 2"}));
    QVERIFY(reader.midBlock());
    QCOMPARE(reader.feed("\n", all, 1), Status::Ok);
    QCOMPARE(all.last().lines, QStringList{"3 VT"});
}

void tst_HubBlocks::parse_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<Kind>("kind");

    using L = QStringList;
    QTest::newRow("ping") << "PING:" << L{} << Kind::Ping;
    QTest::newRow("ping with body") << "PING:" << L{"x"} << Kind::Invalid;
    QTest::newRow("dump routing") << "VIDEO OUTPUT ROUTING:" << L{} << Kind::Dump;
    QTest::newRow("dump device") << "VIDEOHUB DEVICE:" << L{} << Kind::Dump;
    QTest::newRow("dump end prelude") << "END PRELUDE:" << L{} << Kind::Invalid;
    QTest::newRow("unknown") << "VIDEO MONITORING OUTPUT ROUTING:" << L{} << Kind::Invalid;
    QTest::newRow("no colon") << "PING" << L{} << Kind::Invalid;
    QTest::newRow("lower case") << "ping:" << L{} << Kind::Invalid;
    QTest::newRow("routes") << "VIDEO OUTPUT ROUTING:" << L{"0 7", "7  0"} << Kind::Routes;
    QTest::newRow("route output out of range") << "VIDEO OUTPUT ROUTING:" << L{"0 1", "8 0"} << Kind::Invalid;
    QTest::newRow("route input out of range") << "VIDEO OUTPUT ROUTING:" << L{"0 8"} << Kind::Invalid;
    QTest::newRow("route negative") << "VIDEO OUTPUT ROUTING:" << L{"-1 0"} << Kind::Invalid;
    QTest::newRow("route plus sign") << "VIDEO OUTPUT ROUTING:" << L{"+1 0"} << Kind::Invalid;
    QTest::newRow("route three numbers") << "VIDEO OUTPUT ROUTING:" << L{"1 2 3"} << Kind::Invalid;
    QTest::newRow("route huge") << "VIDEO OUTPUT ROUTING:" << L{"99999999999 0"} << Kind::Invalid;
    QTest::newRow("labels") << "INPUT LABELS:" << L{"0 CAM 1", "7 "} << Kind::InputLabels;
    QTest::newRow("label without text") << "OUTPUT LABELS:" << L{"3"} << Kind::Invalid;
    QTest::newRow("label out of range") << "OUTPUT LABELS:" << L{"8 X"} << Kind::Invalid;
    QTest::newRow("locks") << "VIDEO OUTPUT LOCKS:" << L{"0 O", "1 U", "2 F"} << Kind::Locks;
    QTest::newRow("lock L") << "VIDEO OUTPUT LOCKS:" << L{"0 L"} << Kind::Invalid;
    QTest::newRow("take mode false") << "CONFIGURATION:" << L{"Take Mode: false"} << Kind::Configuration;
    QTest::newRow("take mode true") << "CONFIGURATION:" << L{"Take Mode: true"} << Kind::Invalid;
}

void tst_HubBlocks::parse()
{
    QFETCH(QString, header);
    QFETCH(QStringList, lines);
    QFETCH(Kind, kind);
    const HubRequest r = ParseHubRequest({header, lines}, 8, 8);
    QCOMPARE(r.kind, kind);
    if (kind == Kind::Routes)
        QCOMPARE(r.routes, (QList<QPair<int, int>>{{0, 7}, {7, 0}}));
    if (kind == Kind::InputLabels)
        QCOMPARE(r.labels, (QList<QPair<int, QString>>{{0, "CAM 1"}, {7, ""}}));
    if (kind == Kind::Locks)
        QCOMPARE(r.locks, (QList<QPair<int, QChar>>{{0, u'O'}, {1, u'U'}, {2, u'F'}}));
}

void tst_HubBlocks::formats()
{
    QCOMPARE(HubBlockText("PROTOCOL PREAMBLE", HubPreambleLines()),
             QByteArray("PROTOCOL PREAMBLE:\nVersion: 2.8\n\n"));
    QCOMPARE(HubAck(), QByteArray("ACK\n\n"));
    QCOMPARE(HubNak(), QByteArray("NAK\n\n"));
    QCOMPARE(HubRouteLines({3, -1, 0}), (QStringList{"0 3", "2 0"}));
    QCOMPARE(HubRouteLines({3, -1, 0}, {2}), QStringList{"2 0"});
    QCOMPARE(HubLabelLines({"A", "B\nC", ""}), (QStringList{"0 A", "1 B C", "2 "}));
    QCOMPARE(HubLockLines({u'U', u'O', u'L'}, {1, 2}), (QStringList{"1 O", "2 L"}));
    HubDevice d{true, "Kestavion KV Control HD SDI (8 x 8)", "Studio", "0A1B2C3D4E5F", 8, 8};
    QCOMPARE(HubDeviceLines(d),
             (QStringList{"Device present: true", "Model name: Kestavion KV Control HD SDI (8 x 8)",
                          "Friendly name: Studio", "Unique ID: 0A1B2C3D4E5F", "Video inputs: 8",
                          "Video processing units: 0", "Video outputs: 8",
                          "Video monitoring outputs: 0", "Serial ports: 0"}));
}

QTEST_GUILESS_MAIN(tst_HubBlocks)
#include "tst_hubblocks.moc"
