// The switcher state kvemu keeps, as the console reads it back: routes with take and cancel,
// groups, presets, system settings and resets, each checked through the status replies.
#include "EmuChecks.h"
#include "EmuProcess.h"
#include "EmuWire.h"

#include "state/MatrixState.h"

#include <QtTest>

using namespace kv;
using namespace kv::test;

class TestEmulatorState : public QObject {
    Q_OBJECT

    EmuProcess m_emu;
    std::unique_ptr<EmuWire> m_wire;

    void runAllOk(const QByteArrayList &lines)
    {
        const QByteArrayList words = AnswerWords(*m_wire, lines);
        for (qsizetype k = 0; k < lines.size(); ++k)
            QVERIFY2(words[k] == "OK", lines[k].constData());
    }
    RouteEntry routeOf(int output, int outputs = 16)
    {
        const QByteArray p = StatusPayload(*m_wire, "OINFOKV", 2 * outputs);
        if (p.size() != 2 * outputs)
            return {0, 0xEE};
        return {std::uint8_t(p[2 * (output - 1)]), std::uint8_t(p[2 * (output - 1) + 1])};
    }
    int previousOf(int output, int outputs = 16)
    {
        const QByteArray p = StatusPayload(*m_wire, "OPINFOKV", outputs);
        return p.size() == outputs ? std::uint8_t(p[output - 1]) : -1;
    }
    GroupTable groups() { return StatusBlock<GroupTable>(*m_wire, "GINFOKV"); }
    PresetRecord preset(int p) { return StatusBlock<PresetRecord>(*m_wire, "PINFOKV " + QByteArray::number(p)); }
    SystemInfo info() { return StatusBlock<SystemInfo>(*m_wire, "MINFOKV"); }

private slots:
    void initTestCase();
    void init();
    void routing_data();
    void routing();
    void grouping_data();
    void grouping();
    void presetSave();
    void presetRecall();
    void systemSettings();
    void resetToSaved();
    void factoryReset();
    void frontPanel_data();
    void frontPanel();
    void frontPanelRefusals();
    void frontPanelPace();
};

void TestEmulatorState::initTestCase()
{
    QVERIFY2(m_emu.start(EmuProcess::Options().withTcp().withoutPty()), qPrintable(m_emu.errorString()));
    m_wire = EmuWire::tcp(m_emu.tcpPort());
    QVERIFY(m_wire);
}

void TestEmulatorState::init()
{
    for (const char *c : {"reset", "model 11", "clear-faults"})
        QCOMPARE(m_emu.sendControl(c), QString("ok"));
}

void TestEmulatorState::routing_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<int>("output");
    QTest::addColumn<int>("input"); // 0-based as in the block, 252 = none
    QTest::addColumn<int>("taken");
    QTest::addColumn<int>("previous");
    const int none = UNASSIGNED;
    QTest::newRow("temporary") << 11 << QByteArrayList{"RTEMP 3 7"} << 3 << 6 << 0 << none;
    QTest::newRow("taken") << 11 << QByteArrayList{"RTEMP 3 7", "TAKE 1"} << 3 << 6 << 1 << 6;
    QTest::newRow("cancel goes back")
        << 11 << QByteArrayList{"RTEMP 3 5", "TAKE 1", "RTEMP 3 7", "TAKE 0"} << 3 << 4 << 1 << 4;
    QTest::newRow("disconnect pending")
        << 11 << QByteArrayList{"RTEMP 3 5", "TAKE 1", "RTEMP 3 0"} << 3 << none << 0 << 4;
    QTest::newRow("disconnect taken")
        << 11 << QByteArrayList{"RTEMP 3 5", "TAKE 1", "RTEMP 3 0", "TAKE 1"} << 3 << none << 1
        << none;
    QTest::newRow("back to the taken input stays pending")
        << 11 << QByteArrayList{"RTEMP 3 5", "TAKE 1", "RTEMP 3 7", "RTEMP 3 5"} << 3 << 4 << 0
        << 4;
    QTest::newRow("taken input again stays settled")
        << 11 << QByteArrayList{"RTEMP 3 5", "TAKE 1", "RTEMP 3 5"} << 3 << 4 << 1 << 4;
    QTest::newRow("one take for all, first")
        << 11 << QByteArrayList{"RTEMP 1 2", "RTEMP 2 3", "TAKE 1"} << 1 << 1 << 1 << 1;
    QTest::newRow("one take for all, second")
        << 11 << QByteArrayList{"RTEMP 1 2", "RTEMP 2 3", "TAKE 1"} << 2 << 2 << 1 << 2;
    QTest::newRow("one cancel for all")
        << 11 << QByteArrayList{"RTEMP 1 2", "TAKE 1", "RTEMP 1 9", "RTEMP 2 3", "TAKE 0"} << 1
        << 1 << 1 << 1;
    QTest::newRow("clear") << 11 << QByteArrayList{"RTEMP 1 2", "TAKE 1", "CLEAR"} << 1 << none
                           << 1 << none;
    QTest::newRow("clear while pending")
        << 11 << QByteArrayList{"RTEMP 4 4", "TAKE 1", "RTEMP 4 6", "CLEAR"} << 4 << none << 1
        << none;
    QTest::newRow("take after clear keeps none")
        << 11 << QByteArrayList{"RTEMP 4 4", "CLEAR", "TAKE 1"} << 4 << none << 1 << none;
    QTest::newRow("8x8 top output") << 10 << QByteArrayList{"RTEMP 8 8", "TAKE 1"} << 8 << 7 << 1
                                    << 7;
}

void TestEmulatorState::routing()
{
    QFETCH(int, model);
    QFETCH(QByteArrayList, lines);
    QFETCH(int, output);
    QFETCH(int, input);
    QFETCH(int, taken);
    QFETCH(int, previous);
    QCOMPARE(m_emu.sendControl(QString("model %1").arg(model)), QString("ok"));
    runAllOk(lines);
    const int outputs = model == 10 ? 8 : 16;
    const RouteEntry r = routeOf(output, outputs);
    QCOMPARE(int(r.Input), input);
    QCOMPARE(int(r.Taken), taken);
    QCOMPARE(previousOf(output, outputs), previous);
}

void TestEmulatorState::grouping_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QByteArray>("answers");
    QTest::addColumn<QString>("groups");
    auto row = [](const char *name, QByteArrayList lines, QByteArray answers, QString groups) {
        QTest::newRow(name) << lines << answers << groups;
    };
    row("output, then input", {"GADD 1 2 101", "GADD 1 101 5"}, "OK OK", "1:o2/i5");
    row("input needs an output", {"GADD 1 101 5"}, "ERR", "-");
    row("both sides in one line", {"GADD 2 3 4"}, "OK", "2:o3/i4");
    row("output in one group only", {"GADD 1 2 101", "GADD 2 2 101"}, "OK ERR", "1:o2/i");
    row("input in one group only",
        {"GADD 1 1 101", "GADD 2 2 101", "GADD 1 101 3", "GADD 2 101 3"}, "OK OK OK ERR",
        "1:o1/i3,2:o2/i");
    row("adding twice counts once",
        {"GADD 1 2 101", "GADD 1 2 101", "GADD 1 101 5", "GADD 1 101 5"}, "OK OK OK OK",
        "1:o2/i5");
    row("remove input", {"GADD 1 2 101", "GADD 1 101 5", "GDEL 1 101 5"}, "OK OK OK", "1:o2/i");
    row("remove one of two outputs",
        {"GADD 1 2 101", "GADD 1 3 101", "GADD 1 101 5", "GDEL 1 3 101"}, "OK OK OK OK",
        "1:o2/i5");
    row("last output takes the inputs along",
        {"GADD 1 2 101", "GADD 1 101 5", "GDEL 1 2 101", "GADD 3 4 101", "GADD 3 101 5"},
        "OK OK OK OK OK", "3:o4/i5");
    row("remove non-members",
        {"GADD 1 2 101", "GDEL 1 3 101", "GDEL 2 2 101", "GDEL 1 101 5"}, "OK ERR ERR ERR",
        "1:o2/i");
    row("clear one group",
        {"GADD 1 1 101", "GADD 2 2 101", "GADD 2 101 7", "GCLEAR 2", "GADD 1 101 7"},
        "OK OK OK OK OK", "1:o1/i7");
    row("clear all groups", {"GADD 1 1 101", "GADD 2 2 101", "GADD 2 101 7", "GCLEAR 201"},
        "OK OK OK OK", "-");
    row("clear an empty group", {"GCLEAR 4"}, "OK", "-");
    QByteArrayList eight;
    for (int g = 1; g <= 8; ++g)
        eight << QString("GADD %1 %2 101").arg(g).arg(17 - g).toLatin1()
              << QString("GADD %1 101 %1").arg(g).toLatin1();
    row("all eight groups", eight, QByteArray("OK ").repeated(16).trimmed(),
        "1:o16/i1,2:o15/i2,3:o14/i3,4:o13/i4,5:o12/i5,6:o11/i6,7:o10/i7,8:o9/i8");
}

void TestEmulatorState::grouping()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(QByteArray, answers);
    QFETCH(QString, groups);
    QCOMPARE(AnswerWords(*m_wire, lines).join(' '), answers);
    const GroupTable t = this->groups();
    QCOMPARE(GroupTableFault(t), QString());
    QCOMPARE(GroupsText(t), groups);
}

void TestEmulatorState::presetSave()
{
    runAllOk({"RTEMP 1 3", "RTEMP 2 4", "TAKE 1", "RCLOCK 1 1", "RCLOCK 16 1", "GADD 2 1 101",
              "GADD 2 101 3", "RTEMP 5 6", "PRST 2"});
    const PresetRecord p = preset(1);
    QCOMPARE(int(p.Stored), 1);
    QCOMPARE(int(p.LastSaved), 1);
    QCOMPARE(int(p.ReclockMask), 0x8001);
    QCOMPARE(int(p.Routes[0].Input), 2);
    QCOMPARE(int(p.Routes[1].Input), 3);
    QCOMPARE(int(p.Routes[4].Input), 5);
    QCOMPARE(int(p.Routes[4].Taken), 0); // saved while pending
    QCOMPARE(int(p.Routes[5].Input), int(UNASSIGNED));
    QCOMPARE(StatusPayload(*m_wire, "PGINFOKV 1", 170), StatusPayload(*m_wire, "GINFOKV", 170));

    runAllOk({"PRST 3"});
    QCOMPARE(int(preset(1).LastSaved), 0);
    QCOMPARE(int(preset(2).LastSaved), 1);
    QCOMPARE(int(preset(2).Stored), 1);

    const PresetRecord empty = preset(0);
    QCOMPARE(int(empty.Stored), 0);
    QCOMPARE(int(empty.ReclockMask), 0);
    for (const RouteEntry &e : empty.Routes)
        QCOMPARE(int(e.Input) * 2 + e.Taken, UNASSIGNED * 2 + 1);
    const GroupTable g = StatusBlock<GroupTable>(*m_wire, "PGINFOKV 0");
    QCOMPARE(GroupTableFault(g), QString());
    QCOMPARE(GroupsText(g), QString("-"));
}

void TestEmulatorState::presetRecall()
{
    runAllOk({"RTEMP 1 3", "RTEMP 5 6", "TAKE 1", "RCLOCK 1 1", "RCLOCK 16 1", "GADD 2 1 101",
              "GADD 2 101 3", "RTEMP 2 4", "PRST 2"});
    runAllOk({"TAKE 1", "CLEAR", "RCLOCK 1 0", "RCLOCK 4 1", "GCLEAR 201", "GADD 5 7 101",
              "RTEMP 7 7"});
    for (const QByteArray flag : {"0", "1"}) {
        runAllOk({"RPRST 2 " + flag});
        // A recall goes on air: the routes are taken, the pending one of the save included.
        QCOMPARE(int(routeOf(1).Input), 2);
        QCOMPARE(int(routeOf(2).Input), 3);
        QCOMPARE(int(routeOf(2).Taken), 1);
        QCOMPARE(previousOf(2), 3);
        QCOMPARE(int(routeOf(7).Input), int(UNASSIGNED));
        QCOMPARE(int(routeOf(7).Taken), 1);
        QCOMPARE(int(info().ReclockMask), 0x8001);
        QCOMPARE(GroupsText(groups()), QString("2:o1/i3"));
        runAllOk({"CLEAR", "GCLEAR 201"});
    }
    QCOMPARE(AnswerWords(*m_wire, {"RPRST 4 0"}), QByteArrayList({"ERR"})); // never stored
}

void TestEmulatorState::systemSettings()
{
    runAllOk({"FPLOCK 1", "VISTATE 1"});
    QCOMPARE(int(info().FrontPanelLock), 1);
    QCOMPARE(int(info().VIState), 1);
    runAllOk({"UPSYS", "FPLOCK 0", "VISTATE 0"});
    QCOMPARE(int(info().FrontPanelLock) + int(info().VIState), 0);
    runAllOk({"RSYS"});
    QCOMPARE(int(info().FrontPanelLock), 1);
    QCOMPARE(int(info().VIState), 1);
}

void TestEmulatorState::resetToSaved()
{
    runAllOk({"FPLOCK 1", "UPSYS", "FPLOCK 0", "VISTATE 1", "RTEMP 1 2", "TAKE 1", "RTEMP 1 5",
              "RCLOCK 3 1", "GADD 1 1 101", "PRST 1", "RESETKV R"});
    QCOMPARE(int(info().FrontPanelLock), 1);
    QCOMPARE(int(info().VIState), 0);
    QCOMPARE(int(routeOf(1).Input), 1); // the temporary route is dropped
    QCOMPARE(int(routeOf(1).Taken), 1);
    QCOMPARE(int(info().ReclockMask), 0x0004); // the rest stays
    QCOMPARE(GroupsText(groups()), QString("1:o1/i"));
    QCOMPARE(int(preset(0).Stored), 1);
}

void TestEmulatorState::factoryReset()
{
    QCOMPARE(m_emu.sendControl("model 20"), QString("ok"));
    runAllOk({"RTEMP 1 2", "TAKE 1", "RTEMP 2 3", "RCLOCK 3 1", "GADD 1 1 101", "GADD 1 101 4",
              "PRST 1", "PRST 8", "FPLOCK 1", "VISTATE 1", "UPSYS", "IPCONFIG 10 0 0 7",
              "RESETKV F"});
    const SystemInfo s = info();
    QCOMPARE(int(s.ModelCode), 20);
    QCOMPARE(int(s.FrontPanelLock) + int(s.VIState) + int(s.ReclockMask), 0);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(s.IPAddress), 4),
             QByteArray("\xc0\xa8\x01\xc8", 4));
    for (int o : {1, 2, 16}) {
        QCOMPARE(int(routeOf(o).Input), int(UNASSIGNED));
        QCOMPARE(int(routeOf(o).Taken), 1);
        QCOMPARE(previousOf(o), int(UNASSIGNED));
    }
    QCOMPARE(GroupsText(groups()), QString("-"));
    for (int p = 0; p < kPresetCount; ++p)
        QCOMPARE(int(preset(p).Stored), 0);
    runAllOk({"RSYS"}); // the saved settings are the factory ones now
    QCOMPARE(int(info().FrontPanelLock), 0);
}

QTEST_GUILESS_MAIN(TestEmulatorState)
#include "tst_emulator_state.moc"

void TestEmulatorState::frontPanel_data()
{
    QTest::addColumn<QByteArrayList>("before"); // sent by a console
    QTest::addColumn<QString>("panel");         // then made at the front panel
    QTest::addColumn<QByteArrayList>("after");  // then sent by a console
    QTest::addColumn<QString>("routes");        // kvemu's summary of outputs 1-4
    const QByteArrayList none;
    QTest::newRow("taken route") << none << "panel route 3 5" << none << "-,-,5,-";
    QTest::newRow("taken over a pending console route")
        << QByteArrayList{"RTEMP 3 2"} << "panel route 3 5" << none << "-,-,5,-";
    QTest::newRow("temporary waits for a take")
        << QByteArrayList{"RTEMP 1 2", "TAKE 1"} << "panel temp 1 7" << none << "7*2,-,-,-";
    QTest::newRow("a console's TAKE 1 commits it")
        << none << "panel temp 4 9" << QByteArrayList{"TAKE 1"} << "-,-,-,9";
    QTest::newRow("a console's TAKE 0 drops it")
        << none << "panel temp 4 9" << QByteArrayList{"TAKE 0"} << "-,-,-,-";
    QTest::newRow("input 0 takes the output off")
        << QByteArrayList{"RTEMP 2 6", "TAKE 1"} << "panel route 2 0" << none << "-,-,-,-";
}

void TestEmulatorState::frontPanel()
{
    QFETCH(QByteArrayList, before);
    QFETCH(QString, panel);
    QFETCH(QByteArrayList, after);
    QFETCH(QString, routes);
    runAllOk(before);
    QCOMPARE(m_emu.sendControl(panel), QString("ok"));
    runAllOk(after);
    QCOMPARE(m_emu.state().section(' ', 1, 1).mid(7).section(',', 0, 3), routes);
}

void TestEmulatorState::frontPanelRefusals()
{
    QCOMPARE(m_emu.sendControl("panel lock 1"), QString("ok"));
    QCOMPARE(info().FrontPanelLock, std::uint8_t(1));
    QCOMPARE(m_emu.sendControl("panel lock 0"), QString("ok"));
    QCOMPARE(info().FrontPanelLock, std::uint8_t(0));
    QCOMPARE(m_emu.sendControl("model 10"), QString("ok"));
    for (const char *bad : {"panel route 9 1", "panel route 1 9", "panel temp 0 1", "panel lock 2",
                            "panel route 1", "panel route x 1", "panel"})
        QVERIFY2(m_emu.sendControl(bad).startsWith("error"), bad);
    QVERIFY(m_emu.state().contains("routes=-,-,-,-,-,-,-,- "));
}

void TestEmulatorState::frontPanelPace()
{
    EmuProcess paced;
    EmuProcess::Options options;
    options.extraArgs = {"--panel-every", "0.05"};
    QVERIFY2(paced.start(options), qPrintable(paced.errorString()));
    // Every change puts another input on air, so the factory state cannot come back.
    QTRY_VERIFY_WITH_TIMEOUT(!paced.state().contains("routes=-,-,-,-,-,-,-,-,-,-,-,-,-,-,-,- "),
                             5000);
}
