// The Grouping page driven as an operator drives it against kvemu: the group state table,
// what goes on the wire, what the page shows, and tables read from a switcher that hold
// groups the page itself would never build.

#include "ConsoleFixture.h"
#include "EmuChecks.h"
#include "OperatorSteps.h"
#include "RawLinkPeer.h"

#include "control/StatusRead.h"
#include "control/Grouping.h"
#include "link/CommandChannel.h"
#include "link/LinkTransport.h"
#include "ui/Colours.h"
#include "ui/GroupingPage.h"

#include "ui/SwitchingPage.h"

#include <QGroupBox>
#include <QHostAddress>
#include <QTabWidget>
#include <QTcpSocket>
#include <QtTest>
#include <cstring>

using namespace kv;
using namespace kv::test;

namespace {

// Operator steps: gN choose group N, oN / iN group output / input button N, r Remove Group,
// a Remove All Group.
bool operate(ConsoleFixture &f, const QString &script)
{
    QStringList steps;
    for (const QString &step : script.split(' ', Qt::SkipEmptyParts)) {
        if (step == "r" || step == "a")
            steps << (step == "r" ? "GR" : "GA");
        else
            steps << (step.startsWith('o') || step.startsWith('i') ? "g" + step : step);
    }
    return Operate(f, steps.join(' '));
}

// The numbers of the yellow buttons of one kind, "2,3" or "".
QString yellow(ConsoleFixture &f, const QString &kind)
{
    QStringList out;
    for (int n = 1; n <= 16; ++n)
        if (f.colour(QString("Group%1Button%2").arg(kind).arg(n)) == kYellow)
            out << QString::number(n);
    return out.join(',');
}

QString ticked(ConsoleFixture &f)
{
    QStringList out;
    for (int g = 1; g <= 8; ++g)
        if (f.isChecked(QString("GroupExistCheckBox%1").arg(g)))
            out << QString::number(g);
    return out.join(',');
}

std::unique_ptr<ConsoleFixture> serialConsole(int model = 11)
{
    return ReadOnce("pty", EmuProcess::Options().withModel(model));
}

#define CONSOLE(f, ...)                                                                        \
    auto f = serialConsole(__VA_ARGS__);                                                       \
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));                                   \
    f->showPage("GroupingTabSheet");                                                           \
    f->clearWire()

// A status reply as the switcher frames it.
QByteArray statusReply(const void *block, int size)
{
    return QByteArray("\r\n\x01\x00", 4) + QByteArray(static_cast<const char *>(block), size) +
           QByteArray("\r\n#");
}

GroupTable emptyTable()
{
    GroupTable t{};
    std::memset(t.GroupInputs, UNASSIGNED, sizeof t.GroupInputs);
    std::memset(t.OutputGroup, UNASSIGNED, sizeof t.OutputGroup);
    return t;
}

// A bare switcher on TCP that reports a 16 x 16 model and the given group table; every
// other block is zero.
std::unique_ptr<RawLinkPeer> switcherWithGroups(const GroupTable &groups)
{
    auto peer = RawLinkPeer::listenTcp();
    peer->setResponder([groups](const QByteArray &line) -> QList<QByteArray> {
        const QByteArray word = line.trimmed().split(' ').value(0);
        SystemInfo info{};
        info.ModelCode = 11;
        const QByteArray zeros(170, '\0');
        if (word == "MINFOKV")
            return {statusReply(&info, sizeof info)};
        if (word == "GINFOKV")
            return {statusReply(&groups, sizeof groups)};
        if (word == "OINFOKV")
            return {statusReply(zeros.constData(), 32)};
        if (word == "OPINFOKV")
            return {statusReply(zeros.constData(), 16)};
        if (word == "PINFOKV")
            return {statusReply(zeros.constData(), 36)};
        if (word == "PGINFOKV")
            return {statusReply(&groups, sizeof groups)};
        return {"\r\nOK\r\n#"};
    });
    return peer;
}

bool connectTo(ConsoleFixture &f, const RawLinkPeer &peer)
{
    QTcpSocket *socket = LinkTransport(f.form().core().channel()).socket();
    socket->connectToHost(QHostAddress::LocalHost, peer.tcpPort());
    if (!socket->waitForConnected(5000))
        return false;
    f.state().EthernetConnected = 1;
    return true;
}

// Group commands the peer received, without the queries.
QStringList groupCommands(const RawLinkPeer &peer)
{
    QStringList out;
    for (const QByteArray &line : peer.lines()) {
        const QString text = QString::fromLatin1(line.trimmed());
        if (text.startsWith("GADD") || text.startsWith("GDEL") || text.startsWith("GCLEAR"))
            out << text;
    }
    return out;
}

} // namespace

class TestGrouping : public QObject {
    Q_OBJECT
private slots:
    void startUpPage();
    void stateTable_data();
    void stateTable();
    void otherGroupsMembersAreDisabled();
    void groupsRestrictTheSwitchingPage();
    void refreshAfterRead();
    void eightByEight();
    void busyRefusesTheButtons();
    void groupReadWithInputsButNoOutputs();
    void outOfRangeTablesAreHarmless_data();
    void outOfRangeTablesAreHarmless();
    void screenshot();
};

void TestGrouping::startUpPage()
{
    ConsoleFixture f;
    for (int g = 1; g <= 8; ++g) {
        const QString caption = QString("Group %1 (%1)").arg(g);
        QCOMPARE(f.text(QString("GroupingRadioGroupItem%1").arg(g)), caption);
        QCOMPARE(f.text(QString("GroupExistCheckBox%1").arg(g)), caption);
        QVERIFY(!f.isChecked(QString("GroupExistCheckBox%1").arg(g)));
        QVERIFY(!f.isEnabled(QString("GroupExistCheckBox%1").arg(g)));
    }
    QVERIFY(f.isChecked("GroupingRadioGroupItem1"));
    QCOMPARE(f.find<QGroupBox>("GroupingRadioGroup")->title(), QString("Group"));
    QCOMPARE(f.find<QGroupBox>("GroupBox21")->title(), QString("Existing Groups"));
    QVERIFY(!f.isEnabled("GroupBox21"));
    QCOMPARE(f.find<QTabWidget>("GroupingInputPageControl")->tabText(0), QString("Input 1 - 16"));
    QCOMPARE(f.find<QTabWidget>("GroupingOutputPageControl")->tabText(0), QString("Output 1 - 16"));
    QCOMPARE(f.text("GroupInputButton16"), QString("16"));
    QCOMPARE(f.text("GroupOutputButton1"), QString("1"));
    QCOMPARE(f.text("OutputFirstLabel"), QString("NEED TO SELECT OUTPUT FIRST"));
    QCOMPARE(f.colour("OutputFirstLabel"), kAqua);
    QVERIFY(f.find<QWidget>("OutputFirstLabel")->isHidden());
    QCOMPARE(f.text("GroupingRemoveButton"), QString("Remove Group"));
    QCOMPARE(f.text("GroupingRemoveAllButton"), QString("Remove All Group"));
    QCOMPARE(yellow(f, "Input") + yellow(f, "Output"), QString());
}

// One change on the page from a known group table: the line on the wire, the box of the
// selected group, the warning, the yellow members and the tables on both ends.
void TestGrouping::stateTable_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("ticked");
    QTest::addColumn<bool>("warning");
    QTest::addColumn<QString>("outputs"); // yellow, for the selected group
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<QString>("groups"); // kvemu's summary form

    QTest::newRow("empty, input") << "g3" << "i5" << QStringList{} << "" << true << "" << ""
                                  << "-";
    QTest::newRow("empty, output") << "g1 g3 i5 g1" << "o2" << QStringList{"GADD 1 2 101"} << "1"
                                   << false << "2" << "" << "1:o2/i";
    QTest::newRow("warning, then an output hides it")
        << "g1 i5" << "o2" << QStringList{"GADD 1 2 101"} << "1" << false << "2" << "" << "1:o2/i";
    QTest::newRow("outputs only, output") << "g1 o2" << "o3" << QStringList{"GADD 1 3 101"} << "1"
                                          << false << "2,3" << "" << "1:o2.3/i";
    QTest::newRow("outputs only, input") << "g1 o2" << "i5" << QStringList{"GADD 1 101 5"} << "1"
                                         << false << "2" << "5" << "1:o2/i5";
    QTest::newRow("input of the group") << "g1 o2 i5" << "i5" << QStringList{"GDEL 1 101 5"}
                                        << "1" << false << "2" << "" << "1:o2/i";
    QTest::newRow("output, not the last") << "g1 o2 o3 i5" << "o3"
                                          << QStringList{"GDEL 1 3 101"} << "1" << false << "2"
                                          << "5" << "1:o2/i5";
    QTest::newRow("last output frees the inputs")
        << "g1 o2 o3 i5 o3" << "o2" << QStringList{"GCLEAR 1"} << "" << false << "" << ""
        << "-";
    QTest::newRow("remove group") << "g1 o2 i5 g4 o7" << "g1 r" << QStringList{"GCLEAR 1"} << "4"
                                  << false << "" << "" << "4:o7/i";
    QTest::newRow("remove empty group") << "g1 o2" << "g2 r" << QStringList{} << "1" << false << ""
                                        << "" << "1:o2/i";
    QTest::newRow("remove all, none") << "" << "a" << QStringList{"GCLEAR 201"} << "" << false
                                      << "" << "" << "-";
    QTest::newRow("remove all, two groups")
        << "g1 o2 i5 g8 o16 i16" << "a" << QStringList{"GCLEAR 201"} << "" << false << "" << ""
        << "-";
    QTest::newRow("choosing a group hides the warning")
        << "g3 i5" << "g4" << QStringList{} << "" << false << "" << "" << "-";
    QTest::newRow("group 8, output 16 and input 16")
        << "g8" << "o16 i16" << QStringList{"GADD 8 16 101", "GADD 8 101 16"} << "8" << false
        << "16" << "16" << "8:o16/i16";
}

void TestGrouping::stateTable()
{
    QFETCH(QString, setup);
    QFETCH(QString, action);
    QFETCH(QStringList, sent);
    QFETCH(QString, ticked);
    QFETCH(bool, warning);
    QFETCH(QString, outputs);
    QFETCH(QString, inputs);
    QFETCH(QString, groups);

    CONSOLE(f);
    QVERIFY(operate(*f, setup));
    f->clearWire();
    QVERIFY(operate(*f, action));

    QCOMPARE(f->commands(), sent);
    QCOMPARE(::ticked(*f), ticked);
    QCOMPARE(!f->find<QWidget>("OutputFirstLabel")->isHidden(), warning);
    QCOMPARE(yellow(*f, "Output"), outputs);
    QCOMPARE(yellow(*f, "Input"), inputs);
    QCOMPARE(GroupsText(f->state().Groups), groups);
    QCOMPARE(f->emuState("groups"), groups);
    const QString counts = GroupCountsFault(f->state().Groups);
    QVERIFY2(counts.isEmpty(), qPrintable(counts));
}

void TestGrouping::otherGroupsMembersAreDisabled()
{
    CONSOLE(f);
    QVERIFY(operate(*f, "g1 o2 i5 g2"));
    QVERIFY(!f->isEnabled("GroupOutputButton2"));
    QVERIFY(!f->isEnabled("GroupInputButton5"));
    QVERIFY(f->isEnabled("GroupOutputButton3"));
    QVERIFY(f->isEnabled("GroupInputButton6"));
    // Group 1's members are not group 2's: nothing of them is yellow here.
    QCOMPARE(yellow(*f, "Output") + yellow(*f, "Input"), QString());
    QVERIFY(operate(*f, "g1"));
    QVERIFY(f->isEnabled("GroupOutputButton2"));
    QVERIFY(f->isEnabled("GroupInputButton5"));
    QCOMPARE(yellow(*f, "Output"), QString("2"));

    // Reached past the disabled buttons, another group's members stay where they are.
    QVERIFY(operate(*f, "g2 o3"));
    f->clearWire();
    f->form().core().grouping().GroupOutputButtonClick(2);
    f->form().core().grouping().GroupInputButtonClick(5);
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(GroupsText(f->state().Groups), QString("1:o2/i5,2:o3/i"));
}

void TestGrouping::groupsRestrictTheSwitchingPage()
{
    CONSOLE(f);
    QVERIFY(operate(*f, "g1 o1 o2 i3 i4 g2 o6"));
    f->showPage("ControlTabSheet");
    QVERIFY(f->click("OutputButton1"));
    QStringList enabled;
    for (int n = 1; n <= 16; ++n)
        if (f->isEnabled(QString("InputButton%1").arg(n)))
            enabled << QString::number(n);
    QCOMPARE(enabled.join(','), QString("3,4"));
    // Group 2 has no inputs: its output sees the inputs that belong to no group.
    QVERIFY(f->click("OutputButton6"));
    QVERIFY(!f->isEnabled("InputButton3"));
    QVERIFY(!f->isEnabled("InputButton4"));
    QVERIFY(f->isEnabled("InputButton5"));
}

void TestGrouping::refreshAfterRead()
{
    CONSOLE(f);
    auto *page = f->find<GroupingPage>("GroupingTabSheet");
    page->setGroupItemText(1, "Group 2 (NEWS)");
    page->setGroupExistCaption(1, "Group 2 (NEWS)");
    QVERIFY(operate(*f, "g2 o4 i9 g3 i1"));
    QVERIFY(!f->find<QWidget>("OutputFirstLabel")->isHidden());

    f->readAll();
    QCOMPARE(f->text("GroupingRadioGroupItem2"), QString("Group 2"));
    QCOMPARE(f->text("GroupExistCheckBox2"), QString("Group 2 (NEWS)"));
    QVERIFY(f->isChecked("GroupingRadioGroupItem1"));
    QVERIFY(f->find<QWidget>("OutputFirstLabel")->isHidden());
    QCOMPARE(ticked(*f), QString("2"));
    // Drawn normally now, and still out of the operator's reach.
    QVERIFY(f->find<QWidget>("GroupExistCheckBox2")->isEnabledTo(f->find<QWidget>("GroupBox21")));
    QVERIFY(!f->isEnabled("GroupBox21"));
    QVERIFY(operate(*f, "g2"));
    QCOMPARE(yellow(*f, "Output"), QString("4"));
    QCOMPARE(yellow(*f, "Input"), QString("9"));
}

void TestGrouping::eightByEight()
{
    CONSOLE(f, 10);
    for (int n = 1; n <= 16; ++n) {
        QCOMPARE(f->isEnabled(QString("GroupInputButton%1").arg(n)), n <= 8);
        QCOMPARE(f->isEnabled(QString("GroupOutputButton%1").arg(n)), n <= 8);
    }
    QVERIFY(operate(*f, "g1 o8 i8 g2 o1"));
    QVERIFY(!f->isEnabled("GroupOutputButton9"));
    QVERIFY(!f->isEnabled("GroupInputButton12"));
    // Called as the handler would be: outputs and inputs beyond the model send nothing.
    f->clearWire();
    f->form().core().grouping().GroupOutputButtonClick(12);
    f->form().core().grouping().GroupInputButtonClick(9);
    QCOMPARE(f->commands(), QStringList{});
    QVERIFY(operate(*f, "a"));
    QCOMPARE(f->commands(), QStringList{"GCLEAR 201"});
}

void TestGrouping::busyRefusesTheButtons()
{
    CONSOLE(f);
    QVERIFY(operate(*f, "g1 o2"));
    f->clearWire();
    f->state().Busy = 1;
    QVERIFY(operate(*f, "o3 i5 o2 r a"));
    f->state().Busy = 0;
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(GroupsText(f->state().Groups), QString("1:o2/i"));
    QCOMPARE(yellow(*f, "Output"), QString("2"));
    // The selector has no guard.
    f->state().Busy = 1;
    QVERIFY(operate(*f, "g4"));
    QVERIFY(f->isChecked("GroupingRadioGroupItem4"));
    f->state().Busy = 0;
}

// A switcher's table may hold a group of inputs alone; the page counts members to tick its
// box and asks for an output too once it changes something itself.
void TestGrouping::groupReadWithInputsButNoOutputs()
{
    GroupTable t = emptyTable();
    t.GroupMemberCount[2] = 2;
    t.GroupInputCount[2] = 2;
    t.GroupInputs[2][4] = 2;
    t.GroupInputs[2][5] = 2;
    auto peer = switcherWithGroups(t);
    ConsoleFixture f;
    QVERIFY(connectTo(f, *peer));
    f.readAll();

    QCOMPARE(ticked(f), QString("3"));
    QVERIFY(operate(f, "g1"));
    QVERIFY(!f.isEnabled("GroupInputButton5")); // group 3 holds it
    QVERIFY(operate(f, "g3"));
    QCOMPARE(yellow(f, "Input"), QString("5,6"));
    QVERIFY(operate(f, "i7"));
    QVERIFY(!f.find<QWidget>("OutputFirstLabel")->isHidden());

    peer->clearReceived();
    QVERIFY(operate(f, "g1 o1"));
    QCOMPARE(groupCommands(*peer), QStringList{"GADD 1 1 101"});
    QCOMPARE(ticked(f), QString("1")); // group 3 has no output
}

// Group numbers, counts and indices outside their ranges, from a bare switcher and from
// kvemu's out-of-range fault: the page draws, every button can be used, and no command
// names a group, output or input the switcher does not have.
void TestGrouping::outOfRangeTablesAreHarmless_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("crafted table") << "peer";
    QTest::newRow("kvemu range fault") << "kvemu";
}

void TestGrouping::outOfRangeTablesAreHarmless()
{
    QFETCH(QString, source);
    std::unique_ptr<RawLinkPeer> peer;
    ConsoleFixture f;
    if (source == "peer") {
        GroupTable t = emptyTable();
        for (int g = 0; g < kGroupCount; ++g) {
            t.GroupMemberCount[g] = std::int8_t(127 - g * 40);
            t.GroupOutputCount[g] = std::int8_t(-3 + g);
            t.GroupInputCount[g] = std::int8_t(g * 20);
        }
        for (int o = 0; o < kMaxPorts; ++o)
            t.OutputGroup[o] = std::uint8_t(o % 2 ? 200 + o : 8 + o);
        for (int i = 0; i < kMaxPorts; ++i)
            t.GroupInputs[i % 8][i] = std::uint8_t(255 - i);
        t.GroupInputs[3][3] = 3;
        peer = switcherWithGroups(t);
        QVERIFY(connectTo(f, *peer));
    } else {
        EmuProcess::Options options;
        options.faults = {"range"};
        QVERIFY2(f.start(options), qPrintable(f.error()));
        QVERIFY2(f.connectSerial(), qPrintable(f.error()));
    }
    f.readAll();
    f.showPage("GroupingTabSheet");
    if (peer)
        peer->clearReceived();
    f.clearWire();

    for (int g = 1; g <= 8; ++g) {
        QVERIFY(operate(f, QString("g%1").arg(g)));
        for (int n = 1; n <= 16; ++n) {
            f.click(QString("GroupOutputButton%1").arg(n));
            f.click(QString("GroupInputButton%1").arg(n));
        }
        QVERIFY(operate(f, "r"));
    }
    QVERIFY(operate(f, "a"));

    const QStringList sent = peer ? groupCommands(*peer) : f.commands();
    QVERIFY(!sent.isEmpty());
    for (const QString &line : sent) {
        const QStringList words = line.split(' ');
        const int group = words.value(1).toInt();
        QVERIFY2((group >= 1 && group <= 8) || line == "GCLEAR 201", qPrintable(line));
        for (int k = 2; k < words.size(); ++k) {
            const int port = words[k].toInt();
            QVERIFY2((port >= 1 && port <= 16) || port == 101, qPrintable(line));
        }
    }
    QCOMPARE(sent.last(), QString("GCLEAR 201"));
}

// Not a check: with KV_SCREENSHOT=FILE set (scripts/screenshot.sh), saves a picture of the
// window on the Grouping page with a few groups built. Skipped otherwise.
void TestGrouping::screenshot()
{
    const QString file = qEnvironmentVariable("KV_SCREENSHOT");
    if (file.isEmpty())
        QSKIP("KV_SCREENSHOT not set");
    CONSOLE(f);
    QVERIFY(operate(*f, "g2 o5 o6 i7 g3 o9 o10 o11 i12 i13 g1 o1 o2 i3 i4"));
    f->readAll(); // the existing-group boxes as a read draws them
    f->form().show();
    f->showPage("GroupingTabSheet");
    QVERIFY(QTest::qWaitForWindowExposed(&f->form()));
    QVERIFY2(f->form().grab().save(file), qPrintable(file));
    qInfo("Grouping page: %s", qPrintable(file));
}

QTEST_MAIN(TestGrouping)
#include "tst_grouping.moc"
