// Status replies that go wrong on the wire, over the pty and over TCP: each time the operator
// gets its message (or none), only the faulted block may keep its old contents,
// and the console goes on working: a route is taken and the whole state read again.

#include "FaultRig.h"
#include "Texts.h"

#include "control/StatusRead.h"
#include "link/CommandChannel.h"

#include <QAbstractButton>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>
#include <algorithm>
#include <set>

using namespace kv;
using namespace kv::test;

namespace {

QString commError(const QString &link)
{
    return texts::ReadFailed(link == "tcp" ? "Ethernet" : "Serial", -1);
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

// The buttons that change the link; the link faults have their own suite.
const QStringList kLinkButtons = {"SerialModeRS232", "SerialModeEthernet", "IPAddressButton"};

// Every page shown and every button an operator can reach clicked once, the boxes they raise
// answered No, Cancel or OK. Returns how many were clicked.
int clickEverything(ConsoleFixture &f)
{
    QTabWidget *pages = f.find<QTabWidget>("MainPageControl");
    std::set<QString> clicked;
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QList<QAbstractButton *> buttons = f.form().findChildren<QAbstractButton *>();
        std::sort(buttons.begin(), buttons.end(), [](auto *a, auto *b) {
            return a->objectName() < b->objectName();
        });
        for (QAbstractButton *b : buttons) {
            const QString name = b->objectName();
            // Qt's own buttons (the menu bar's overflow arrow) are not the console's.
            if (name.isEmpty() || name.startsWith("qt_") || clicked.count(name) ||
                kLinkButtons.contains(name))
                continue;
            if (!b->isVisibleTo(&f.form()) || !b->isEnabled())
                continue;
            clicked.insert(name);
            if (qEnvironmentVariableIsSet("KV_TRACE_CLICKS"))
                qInfo("click %s", qPrintable(name));
            b->click();
        }
    }
    // A sequence the clicks started, or a preset panel left open, is the operator's to end.
    f.click("PresetSeqStopButton");
    f.click("PresetRecallCancelButton");
    f.click("PresetSaveCancelButton");
    pages->setCurrentIndex(0);
    return int(clicked.size());
}

} // namespace

class TestFaultsReplies : public QObject {
    Q_OBJECT
private slots:
    void badReply_data();
    void badReply();
    void outOfRangeBlocks_data();
    void outOfRangeBlocks();
    void anyBytesInEveryBlock_data();
    void anyBytesInEveryBlock();
};

// How the faulted query ends on each link: "ok" (accepted), "timeout" (the serial watchdog
// message, then as a failed query) or "parse" (the parse-error text in the status bar, then
// as a failed query). A failed system-status query fails the whole read with (-1); a failed
// group query shows the read-error box and the read goes on.
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
    StatusTexts status(f->find<QStatusBar>("MainStatusBar"));
    f->dialogs.clear();
    f->readAll();

    const QString parseError = texts::ParseError(keyword);
    const bool system = keyword == "MINFOKV";
    QStringList expected;
    if (ending == "timeout")
        expected << texts::kSerialTimeout;
    if (ending != "ok")
        expected << (system ? commError(link) : texts::kGroupsUnread);
    const QStringList texts = f->dialogs.texts();
    if (others.isEmpty())
        QCOMPARE(texts, expected);
    else // the block after it may fail as well
        QVERIFY2(texts.mid(0, expected.size()) == expected, qPrintable(texts.join('|')));
    for (const ShownBox &b : f->dialogs.boxes) {
        if (b.text != texts::kGroupsUnread && !b.text.startsWith("KV Control unable"))
            QCOMPARE(b.title, texts::kAppTitle);
        else
            QCOMPARE(b.title, texts::kReadErrorTitle);
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

// Every status block with values out of their ranges, as a switcher may send them: stored
// as received, and no page or button reads or writes outside an array (the sanitizer run
// checks the "outside"; here the console must simply carry on).
void TestFaultsReplies::outOfRangeBlocks_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("model"); // -1: the size's own code
    QTest::addColumn<int>("size");  // kvemu's model: 10 = 8 x 8, 11 = 16 x 16
    for (const QString link : {"pty", "tcp"}) {
        QTest::addRow("%s: 16 x 16, code 13", qPrintable(link)) << link << -1 << 11;
        QTest::addRow("%s: 8 x 8, code 0", qPrintable(link)) << link << 0 << 10;
        QTest::addRow("%s: 16 x 16, code 255", qPrintable(link)) << link << 255 << 11;
    }
}

void TestFaultsReplies::outOfRangeBlocks()
{
    QFETCH(QString, link);
    QFETCH(int, model);
    QFETCH(int, size);

    auto f = ReadConsole(link, EmuProcess::Options().withModel(size));
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));
    QCOMPARE(f->emu().sendControl("fault range"), QString("ok"));
    if (model >= 0)
        QCOMPARE(f->emu().sendControl(QString("fault model=%1").arg(model)), QString("ok"));

    f->readAll();
    QCOMPARE(f->dialogs.texts(), QStringList());
    const MatrixState &s = f->state();
    // Stored as received: an input of 16 or more, and counts beyond 16.
    QVERIFY(s.Routes[0].Input >= 16);
    QVERIFY(s.Groups.GroupMemberCount[0] > 16);
    // An unknown model code leaves the counts as the last good read set them.
    QCOMPARE(s.OutputCount, std::int16_t(size == 10 ? 8 : 16));

    QVERIFY(clickEverything(*f) > 50);
    QCOMPARE(f->state().Busy, 0);
    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

// Whatever bytes the blocks hold, every page draws them and every button copes.
void TestFaultsReplies::anyBytesInEveryBlock_data()
{
    QTest::addColumn<int>("fill"); // -1: random
    QTest::addColumn<int>("counts");
    QTest::newRow("zeros") << 0x00 << 16;
    QTest::newRow("0x7f") << 0x7f << 16;
    QTest::newRow("0x80, negative counts") << 0x80 << 16;
    QTest::newRow("0xff") << 0xff << 8;
    QTest::newRow("random") << -1 << 16;
    QTest::newRow("counts -1") << -1 << -1;
    QTest::newRow("counts 300") << 0x10 << 300;
}

void TestFaultsReplies::anyBytesInEveryBlock()
{
    QFETCH(int, fill);
    QFETCH(int, counts);

    auto f = ReadConsole("pty");
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));
    MatrixState &s = f->state();
    QRandomGenerator rng(7);
    auto scribble = [&](void *data, size_t size) {
        auto *p = static_cast<std::uint8_t *>(data);
        for (size_t i = 0; i < size; ++i)
            p[i] = std::uint8_t(fill >= 0 ? fill : rng.bounded(256));
    };
    scribble(&s.Info, sizeof s.Info);
    scribble(s.Routes, sizeof s.Routes);
    scribble(s.PreviousInput, sizeof s.PreviousInput);
    scribble(&s.Groups, sizeof s.Groups);
    scribble(s.Presets, sizeof s.Presets);
    scribble(s.PresetGroups, sizeof s.PresetGroups);
    scribble(s.Reclock, sizeof s.Reclock);
    s.OutputCount = s.InputCount = std::int16_t(counts);

    s.SuppressCommands = 1;
    f->form().core().statusRead().RefreshAllPages();
    s.SuppressCommands = 0;
    QVERIFY(clickEverything(*f) > 50);
    QCOMPARE(s.Busy, 0);
    const QString after = KeepsWorking(*f);
    QVERIFY2(after.isEmpty(), qPrintable(after));
}

QTEST_MAIN(TestFaultsReplies)
#include "tst_faults_replies.moc"
