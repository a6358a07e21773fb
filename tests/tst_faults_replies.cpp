// Status replies that go wrong on the wire, over the pty and over TCP: each time the operator
// gets the documented message (or none), only the faulted block may keep its old contents,
// and the console goes on working: a route is taken and the whole state read again.

#include "FaultRig.h"

#include "link/CommandChannel.h"

#include <QStatusBar>
#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

const QString kTitleA = "Delvane Orvask - KV Control :Error reading from Kestavion(s)";
const QString kGroupsA = "KV Control unable to read Grouping Status. (NOTE: KV Control settings "
                         "on Grouping will be invalid)";
const QString kSerialTimeout =
    "Error! Timeout occured. Unable to communicate with Kestavion. Please verify that Serial "
    "Port is connected to Kestavion.";

QString commError(const QString &link)
{
    return QStringLiteral("Kestavion communication error! Please check %1 connections and try "
                          "again (-1)")
        .arg(link == "tcp" ? "Ethernet" : "Serial");
}

// The block a query fills, its size and the field name ChangedFields uses.
struct Block {
    void *data;
    int size;
    QString field;
};

Block blockOf(MatrixState &s, const QString &keyword)
{
    if (keyword == "MINFOKV")
        return {&s.Info, int(sizeof s.Info), "Info"};
    return {&s.Groups, int(sizeof s.Groups), "Groups"};
}

QByteArray bytes(const Block &b) { return QByteArray(static_cast<const char *>(b.data), b.size); }

} // namespace

class TestFaultsReplies : public QObject {
    Q_OBJECT
private slots:
    void badReply_data();
    void badReply();
};

// How the faulted query ends on each link: "ok" (accepted), "timeout" (the serial watchdog
// message, then as a failed query) or "parse" (the parse-error text in the status bar, then
// as a failed query). A failed system-status query fails the whole read with (-1); a failed
// group query shows message box A and the read goes on.
void TestFaultsReplies::badReply_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("editAt");        // payload byte changed by the fault, -1: none
    QTest::addColumn<QByteArray>("edit");   // what it became
    QTest::addColumn<QStringList>("others"); // other fields the fault may change

    struct Row {
        const char *name;
        QStringList faults; // %K = keyword, %H = half the payload, %C = cut in the payload
        const char *pty;
        const char *tcp;
        int editAt = -1; // %H = -2
        QByteArray edit = {};
        QStringList keywords = {"MINFOKV", "GINFOKV"};
        QStringList others = {};
    };
    const QList<Row> rows = {
        {"silent", {"silence:%K@1"}, "timeout", "parse"},
        {"short reply ending in CR LF #", {"crlfhash:%K=10@1", "cut:%K=15@1"}, "timeout", "parse"},
        {"cut in the middle of the block", {"cut:%K=%C@1"}, "timeout", "parse"},
        {"garbled", {"garbage:%K=64@1"}, "timeout", "parse"},
        {"no start marker", {"marker:%K=40@1"}, "parse", "parse"},
        {"start marker at 29", {"marker:%K=29@1"}, "ok", "ok"},
        {"start marker at 30", {"marker:%K=30@1"}, "parse", "parse"},
        {"# inside the payload", {"hash:%K@1"}, "ok", "ok", -2, "#"},
        {"CR LF # inside the payload", {"crlfhash:%K=%H@1"}, "ok", "ok", -3, "\r\n#"},
        {"byte by byte", {"bytewise:%K=1@1"}, "ok", "ok", -1, {}, {"MINFOKV"}},
        // Over TCP the rest still trickles in while the next query waits for its reply.
        {"byte by byte, more than 100 reads", {"bytewise:%K=1@1", "oversize:%K=300@1"}, "ok",
         "parse", -1, {}, {"GINFOKV"}, {"PresetGroups"}},
        {"slow within the wait", {"delay:%K=150@1"}, "ok", "ok"},
        {"longer than 5200 bytes", {"oversize:%K=6000@1"}, "timeout", "parse"},
        // A reply held back goes out with the next one, which then takes its payload: the
        // replies carry no tag, so the next block of the same read can be the earlier one's.
        {"in one burst with the next reply", {"burst:%K@1"}, "timeout", "parse", -1, {},
         {"MINFOKV", "GINFOKV"}, {"PresetGroups"}},
        {"too late, with the next reply", {"delay:%K=1500@1"}, "timeout", "parse", -1, {},
         {"MINFOKV", "GINFOKV"}, {"PresetGroups"}},
    };
    for (const QString link : {"pty", "tcp"}) {
        for (const Row &r : rows) {
            for (const QString &k : r.keywords) {
                const int size = k == "MINFOKV" ? 20 : 170;
                QStringList faults;
                for (QString spec : r.faults)
                    faults << spec.replace("%K", k)
                                  .replace("%H", QString::number(size / 2))
                                  .replace("%C", QString::number(4 + size / 2));
                const int editAt = r.editAt == -2 ? size / 2 : r.editAt == -3 ? size / 2 - 2 : -1;
                QTest::addRow("%s: %s: %s", qPrintable(link), qPrintable(k), r.name)
                    << link << k << faults << QString(link == "pty" ? r.pty : r.tcp) << editAt
                    << r.edit << r.others;
            }
        }
    }
}

void TestFaultsReplies::badReply()
{
    QFETCH(QString, link);
    QFETCH(QString, keyword);
    QFETCH(QStringList, faults);
    QFETCH(QString, ending);
    QFETCH(int, editAt);
    QFETCH(QByteArray, edit);
    QFETCH(QStringList, others);

    auto f = ReadConsole(link);
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));
    // A group on the switcher, so that the group table differs from the preset group tables.
    QVERIFY(f->click("GroupOutputButton2"));
    QVERIFY(f->click("GroupInputButton5"));
    f->readAll();
    QVERIFY2(f->dialogs.boxes.isEmpty(), qPrintable(f->dialogs.texts().join('|')));

    MatrixState &s = f->state();
    const Block block = blockOf(s, keyword);
    const QByteArray read = bytes(block);
    const MatrixState original = s;
    // Marked, so that a block the read leaves alone shows it.
    std::memset(block.data, 0xA5, size_t(block.size));
    const MatrixState marked = s;

    for (const QString &spec : faults)
        QCOMPARE(f->emu().sendControl("fault " + spec), QString("ok"));
    StatusTexts status(f->form().MainStatusBar);
    f->dialogs.clear();
    f->readAll();

    const QString parseError = QStringLiteral("Error parsing %1 message....").arg(keyword);
    const bool system = keyword == "MINFOKV";
    QStringList expected;
    if (ending == "timeout")
        expected << kSerialTimeout;
    if (ending != "ok")
        expected << (system ? commError(link) : kGroupsA);
    const QStringList texts = f->dialogs.texts();
    if (others.isEmpty())
        QCOMPARE(texts, expected);
    else // the block after it may fail as well
        QVERIFY2(texts.mid(0, expected.size()) == expected, qPrintable(texts.join('|')));
    for (const ShownBox &b : f->dialogs.boxes) {
        if (b.text != kGroupsA && !b.text.startsWith("KV Control unable"))
            QCOMPARE(b.title, kAppTitle);
        else
            QCOMPARE(b.title, kTitleA);
    }
    QCOMPARE(status.texts.contains(parseError), ending == "parse");
    QCOMPARE(s.Busy, 0);

    if (ending == "ok") {
        QByteArray expectedBlock = read;
        if (editAt >= 0)
            expectedBlock.replace(editAt, edit.size(), edit);
        QCOMPARE(bytes(block), expectedBlock);
        QStringList changed = ChangedFields(original, s);
        if (editAt >= 0)
            changed.removeAll(block.field);
        QCOMPARE(changed, QStringList());
    } else {
        QCOMPARE(bytes(block), QByteArray(block.size, char(0xA5)));
        for (const QString &field : ChangedFields(marked, s))
            QVERIFY2(others.contains(field), qPrintable(field + " changed"));
    }

    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
    // The route taken, and the input it replaced as the previous one.
    QCOMPARE(ChangedFields(original, s), (QStringList{"Routes", "PreviousInput"}));
}

QTEST_MAIN(TestFaultsReplies)
#include "tst_faults_replies.moc"
