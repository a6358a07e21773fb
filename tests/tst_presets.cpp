// The preset panel driven as an operator drives it against kvemu: saving, previewing,
// confirming and withdrawing a recall, and the immediate recall the sequence uses.

#include "ConsoleFixture.h"
#include "OperatorSteps.h"

#include "control/Presets.h"
#include "ui/Colours.h"
#include "ui/GroupingPage.h"
#include "ui/SequencingPage.h"
#include "ui/SwitchingPage.h"

#include <QTabWidget>
#include <QtTest>
#include <cstring>

using namespace kv;
using namespace kv::test;

namespace {


// The panel's look as one word, or "odd: ..." for a look of no documented state.
QString panelState(ConsoleFixture &f)
{
    const bool shown = !f.find<QWidget>("PresetsPageControl")->isHidden();
    const QString look = QString("%1%2%3%4%5%6")
                             .arg(shown)
                             .arg(f.isEnabled("PresetsSaveButton"))
                             .arg(f.isEnabled("PresetSaveCancelButton"))
                             .arg(f.isEnabled("PresetsRecallButton"))
                             .arg(f.isEnabled("PresetRecallCancelButton"))
                             .arg(f.isEnabled("PresetRecallConfirmButton"));
    const int pending = f.state().PresetPreviewPending;
    if (look == "010100" && !pending)
        return "at rest";
    if (look == "111000" && !pending)
        return "saving";
    if (look == "100110" && !pending)
        return "choosing";
    if (look == "100111" && pending)
        return "previewing";
    return QString("odd: %1 pending %2").arg(look).arg(pending);
}

// Routes of the first n outputs in kvemu's summary form: "3,4*2,-".
QString routesText(const MatrixState &s, int n = 16)
{
    QStringList out;
    auto port = [](std::uint8_t v) {
        return v == UNASSIGNED ? QString("-") : QString::number(v + 1);
    };
    for (int o = 0; o < n; ++o) {
        QString r = port(s.Routes[o].Input);
        if (!s.Routes[o].Taken)
            r += '*' + port(s.PreviousInput[o]);
        out << r;
    }
    return out.join(',');
}

QString reclockText(const MatrixState &s)
{
    QString out;
    for (int o = 0; o < 16; ++o)
        out += s.Reclock[o] ? '1' : '0';
    return out;
}

std::unique_ptr<ConsoleFixture> console(const QString &link, int model = 11)
{
    return ReadOnce(link, EmuProcess::Options().withModel(model));
}

#define CONSOLE(f, ...)                                                                        \
    auto f = console(__VA_ARGS__);                                                             \
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()));                                   \
    f->clearWire()

// Waits for kvemu to have the line: PRST and RPRST go over TCP without waiting, and their
// answers, arriving later, are taken by the next command's wait as its own.
#define WIRE_HAS(f, line) QTRY_VERIFY2((f)->commands().contains(line), qPrintable(line))
// Waits until kvemu has logged everything up to the line, before the wire is cleared.
#define SETTLED(f, line)                                                                       \
    QTRY_VERIFY2(!(f)->commands().isEmpty() && (f)->commands().last() == line, qPrintable(line))

} // namespace

class TestPresets : public QObject {
    Q_OBJECT
private slots:
    void panelStates_data();
    void panelStates();
    void saveStoresTheLiveSetting_data() { links(); }
    void saveStoresTheLiveSetting();
    void saveWhileAnOutputIsPending();
    void recallOffersOnlyStoredPresets();
    void previewThenConfirm_data() { links(); }
    void previewThenConfirm();
    void previewSwitchPresetThenCancel();
    void inputClickWithdrawsPreview();
    void cancelWithoutPreviewLeavesPendingRoutes();
    void immediateRecall_data() { links(); }
    void immediateRecall();
    void eightByEight();
    void busyRefusesPresetButtons();
    void panelShownBesideSwitchingAndSequencingOnly();
    void screenshot();

private:
    void links() { AddLinkRows(); }
};

// Every transition of the panel, from a console whose preset 1 holds output 1 on input 3 and
// whose live setting is output 1 on input 2, both settled.
void TestPresets::panelStates_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("routes"); // output 1

    QTest::newRow("Save") << "S" << "saving" << QStringList{} << "2";
    QTest::newRow("Save, Cancel") << "S SC" << "at rest" << QStringList{} << "2";
    QTest::newRow("Save, preset 3") << "S p3" << "at rest" << QStringList{"TAKE 1", "PRST 3"}
                                    << "2";
    QTest::newRow("Save again, preset 1") << "S S p1" << "at rest"
                                          << QStringList{"TAKE 1", "PRST 1"} << "2";
    QTest::newRow("Recall") << "R" << "choosing" << QStringList{} << "2";
    QTest::newRow("Recall, Cancel") << "R RC" << "at rest" << QStringList{} << "2";
    QTest::newRow("Recall, preset") << "R p1" << "previewing" << QStringList{} << "3*2";
    QTest::newRow("Recall, preset, Recall") << "R p1 R" << "previewing" << QStringList{} << "3*2";
    QTest::newRow("Recall, preset, Confirm") << "R p1 OK" << "at rest" << QStringList{"RPRST 1 1"}
                                             << "3";
    QTest::newRow("Recall, preset, Take") << "R p1 T" << "at rest" << QStringList{"RPRST 1 1"}
                                          << "3";
    QTest::newRow("Recall, preset, Cancel") << "R p1 RC" << "at rest" << QStringList{} << "2";
    QTest::newRow("Recall, preset, page Cancel") << "R p1 C" << "at rest" << QStringList{}
                                                 << "2";
    QTest::newRow("Recall, preset, Clear All") << "R p1 X" << "at rest" << QStringList{"CLEAR"}
                                               << "-";
    QTest::newRow("Recall, preset, Read") << "R p1 U" << "at rest" << QStringList{} << "2";
    QTest::newRow("Recall, preset, page shown again")
        << "R p1 P" << "at rest" << QStringList{} << "2";
    QTest::newRow("Recall, Take") << "R T" << "choosing" << QStringList{"TAKE 1"} << "2";
    QTest::newRow("Recall, page Cancel") << "R o1 i5 C" << "choosing"
                                         << QStringList{"RTEMP 1 5", "TAKE 0"} << "2";
}

void TestPresets::panelStates()
{
    QFETCH(QString, steps);
    QFETCH(QString, state);
    QFETCH(QStringList, sent);
    QFETCH(QString, routes);

    CONSOLE(f, "pty");
    QVERIFY(Operate(*f, "o1 i3 T S p1 o1 i2 T"));
    QCOMPARE(panelState(*f), QString("at rest"));
    f->clearWire();

    QVERIFY(Operate(*f, steps));
    QCOMPARE(panelState(*f), state);
    QCOMPARE(f->commands(), sent);
    QCOMPARE(routesText(f->state(), 1), routes);
}

void TestPresets::saveStoresTheLiveSetting()
{
    QFETCH(QString, link);
    CONSOLE(f, link);
    // Output 1 on input 3, output 2 on none, reclockers 1 and 3 on, group 1 = output 1 and
    // input 3.
    QVERIFY(Operate(*f, "o1 i3 o2 i4 T o2 i4 T k1 k3 k3 k3"));
    f->showPage("GroupingTabSheet");
    QVERIFY(Operate(*f, "g1 go1 gi3"));
    f->showPage("ControlTabSheet");
    f->state().Presets[5].LastSaved = 1;
    SETTLED(f, "GADD 1 101 3");
    f->clearWire();

    QVERIFY(Operate(*f, "S p3"));
    WIRE_HAS(f, "PRST 3");
    QCOMPARE(f->commands(), (QStringList{"TAKE 1", "PRST 3"}));

    const MatrixState &s = f->state();
    const PresetRecord &p = s.Presets[2];
    QCOMPARE(int(p.Stored), 1);
    QCOMPARE(int(p.LastSaved), 1);
    QCOMPARE(int(s.Presets[5].LastSaved), 0);
    QCOMPARE(int(p.ReclockMask), 0b101);
    QCOMPARE(std::memcmp(p.Routes, s.Routes, sizeof p.Routes), 0);
    QCOMPARE(std::memcmp(&s.PresetGroups[2], &s.Groups, sizeof(GroupTable)), 0);
    QCOMPARE(int(s.SelectedPreset), 2);
    QCOMPARE(f->emuState("presets"), QString("3"));

    // The next Recall offers it.
    QVERIFY(Operate(*f, "R"));
    QVERIFY(f->isEnabled("PresetButton3"));
    QVERIFY(!f->isEnabled("PresetButton2"));
}

void TestPresets::saveWhileAnOutputIsPending()
{
    CONSOLE(f, "pty");
    QVERIFY(Operate(*f, "o2 i5 S p1"));
    QCOMPARE(f->commands(), (QStringList{"RTEMP 2 5", "TAKE 1", "PRST 1"}));
    const MatrixState &s = f->state();
    QCOMPARE(int(s.Presets[0].Routes[1].Input), 4);
    QCOMPARE(int(s.Presets[0].Routes[1].Taken), 0); // kept as it was
    QCOMPARE(routesText(s, 2), QString("-,5"));      // live: committed by the take
    QCOMPARE(f->colour("VideoLabel2"), kLime);
    QCOMPARE(f->emuState("routes").section(',', 0, 1), QString("-,5"));
}

void TestPresets::recallOffersOnlyStoredPresets()
{
    CONSOLE(f, "pty");
    QVERIFY(Operate(*f, "S p1 S p4"));
    // From the switcher's own record, not only the console's.
    std::memset(f->state().Presets, 0, sizeof f->state().Presets);
    f->readAll();
    QVERIFY(Operate(*f, "R"));
    for (int n = 1; n <= 8; ++n)
        QVERIFY2(f->isEnabled(QString("PresetButton%1").arg(n)) == (n == 1 || n == 4),
                 qPrintable(QString::number(n)));
    // Saving may overwrite any of them.
    QVERIFY(Operate(*f, "RC S"));
    for (int n = 1; n <= 8; ++n)
        QVERIFY(f->isEnabled(QString("PresetButton%1").arg(n)));
}

void TestPresets::previewThenConfirm()
{
    QFETCH(QString, link);
    CONSOLE(f, link);
    // Preset 4: output 1 on input 5, output 2 on none. Live: output 1 on 3, output 2 on 4.
    QVERIFY(Operate(*f, "o1 i5 T S p4 o1 i3 o2 i4 T"));
    SETTLED(f, "TAKE 1");
    f->clearWire();

    QVERIFY(Operate(*f, "R p4"));
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(f->text("VideoLabel1"), QString("5"));
    QCOMPARE(f->text("VideoLabel2"), QString("--"));
    for (int n = 1; n <= 16; ++n)
        QCOMPARE(f->colour(QString("VideoLabel%1").arg(n)), kRed);

    QVERIFY(Operate(*f, "OK"));
    WIRE_HAS(f, "RPRST 4 1");
    QCOMPARE(f->commands(), QStringList{"RPRST 4 1"});
    QCOMPARE(f->colour("VideoLabel1"), kLime);
    QCOMPARE(f->colour("VideoLabel2"), buttonFace());
    QCOMPARE(routesText(f->state()), f->emuState("routes"));
    QCOMPARE(int(f->state().PreviousInput[0]), 4);
    QCOMPARE(f->state().PresetPreviewPending, 0);
}

// Preset 4 and then preset 1 previewed, then withdrawn: the routes (one of them pending from
// before), the reclockers and the groups are back; only the boxes that change back send.
void TestPresets::previewSwitchPresetThenCancel()
{
    CONSOLE(f, "pty");
    auto *pages = f->find<QTabWidget>("MainPageControl");
    auto groupsPage = [&](const QString &steps) {
        pages->setCurrentWidget(f->find<GroupingPage>("GroupingTabSheet"));
        const bool ok = Operate(*f, steps);
        pages->setCurrentWidget(f->find<SwitchingPage>("ControlTabSheet"));
        return ok;
    };
    // Preset 4: outputs 1-3 on 6, 7, 8; reclockers 1, 2 on; group 2 = output 3.
    QVERIFY(Operate(*f, "o1 i6 o2 i7 o3 i8 T k1 k2"));
    QVERIFY(groupsPage("g2 go3"));
    QVERIFY(Operate(*f, "S p4"));
    // Preset 1: output 1 on 9; reclockers 2, 4 on; no groups.
    QVERIFY(groupsPage("GA"));
    QVERIFY(Operate(*f, "o1 i9 T k1 k4 S p1"));
    // Live: group 1 = output 1 and input 2; outputs 1-3 on 2, 3, 4, output 5 pending on 7
    // with 5 to fall back to; reclockers 3, 4 on.
    QVERIFY(groupsPage("g1 go1 gi2"));
    QVERIFY(Operate(*f, "o1 i2 o2 i3 o3 i4 o5 i5 T k2 k3 o5 i7"));
    const MatrixState before = f->state();
    QCOMPARE(routesText(before, 5), QString("2,3,4,-,7*5"));
    QCOMPARE(reclockText(before), QString("0011000000000000"));
    f->clearWire();

    QVERIFY(Operate(*f, "R p4 p1"));
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(reclockText(f->state()), QString("0101000000000000"));
    QVERIFY(f->isChecked("ReclockerCheckBox2"));
    QVERIFY(!f->isChecked("GroupExistCheckBox1"));

    QVERIFY(Operate(*f, "RC"));
    QCOMPARE(f->commands(), (QStringList{"RCLOCK 2 0", "RCLOCK 3 1"}));
    QCOMPARE(routesText(f->state(), 5), routesText(before, 5));
    QCOMPARE(reclockText(f->state()), reclockText(before));
    QCOMPARE(std::memcmp(&f->state().Groups, &before.Groups, sizeof(GroupTable)), 0);
    QVERIFY(f->isChecked("GroupExistCheckBox1"));
    QCOMPARE(f->colour("VideoLabel5"), kRed);
    QCOMPARE(f->text("VideoLabel5"), QString("7"));

    // The restored pending route still falls back where the switcher does.
    QVERIFY(Operate(*f, "C"));
    QCOMPARE(routesText(f->state(), 5), QString("2,3,4,-,5"));
    QCOMPARE(f->emuState("routes").section(',', 0, 4), QString("2,3,4,-,5"));
}

// Any input clicked during a preview withdraws it as Cancel does and routes nothing: a Take
// afterwards must not put the preset on air behind the console's back.
void TestPresets::inputClickWithdrawsPreview()
{
    CONSOLE(f, "tcp");
    QVERIFY(Operate(*f, "o1 i5 T S p4 o1 i3 T"));
    SETTLED(f, "TAKE 1");
    f->clearWire();

    QVERIFY(Operate(*f, "R p4 o2 i6"));
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(f->state().PresetPreviewPending, 0);
    QVERIFY(!f->isEnabled("PresetRecallConfirmButton"));
    QCOMPARE(routesText(f->state(), 2), QString("3,-"));
    QCOMPARE(f->colour("VideoLabel1"), kLime);

    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->commands(), QStringList{"TAKE 1"});
    QCOMPARE(routesText(f->state()), f->emuState("routes"));
}

void TestPresets::cancelWithoutPreviewLeavesPendingRoutes()
{
    CONSOLE(f, "pty");
    QVERIFY(Operate(*f, "o1 i3 T o1 i7 R RC"));
    QCOMPARE(routesText(f->state(), 1), QString("7*3"));
    QCOMPARE(f->colour("VideoLabel1"), kRed);
    QCOMPARE(f->commands(), QStringList({"RTEMP 1 3", "TAKE 1", "RTEMP 1 7"}));
    QVERIFY(Operate(*f, "C"));
    QCOMPARE(routesText(f->state(), 1), QString("3"));
    QCOMPARE(f->emuState("routes").section(',', 0, 0), QString("3"));
}

// The recall the sequence makes: RPRST n 0, every reclocker in order, then one more for every
// box the redraw changes; the outputs are settled on the recalled inputs.
void TestPresets::immediateRecall()
{
    QFETCH(QString, link);
    CONSOLE(f, link);
    // Preset 2: output 1 on 5, output 2 pending on 6 when saved; reclockers 1 and 16 on.
    QVERIFY(Operate(*f, "o1 i5 T k1 k16 o2 i6 S p2"));
    // Live: output 1 on 3; reclockers 1 and 4 on.
    QVERIFY(Operate(*f, "o1 i3 T k16 k4"));
    SETTLED(f, "RCLOCK 4 1");
    f->clearWire();

    f->form().core().presets().RecallPreset(1, false);
    QStringList expected{"RPRST 2 0"};
    for (int o = 1; o <= 16; ++o)
        expected << QString("RCLOCK %1 %2").arg(o).arg(o == 1 || o == 16 ? 1 : 0);
    expected << "RCLOCK 4 0" << "RCLOCK 16 1"; // the boxes the redraw changes
    QTRY_COMPARE(f->commands(), expected);

    const MatrixState &s = f->state();
    QCOMPARE(routesText(s, 2), QString("5,6"));
    QCOMPARE(f->emuState("routes").section(',', 0, 1), QString("5,6"));
    QCOMPARE(f->colour("VideoLabel1"), kLime);
    QCOMPARE(f->colour("VideoLabel2"), kLime);
    QCOMPARE(s.PresetPreviewPending, 0);

    // Settled on 5: clicking 5 again disconnects output 1; it is no pending route withdrawn.
    f->clearWire();
    QVERIFY(Operate(*f, "o1 i5"));
    QTRY_COMPARE(f->commands(), QStringList{"RTEMP 1 0"});
}

void TestPresets::eightByEight()
{
    CONSOLE(f, "pty", 10);
    QVERIFY(Operate(*f, "k2 k8"));
    std::memset(f->state().Reclock + 8, 1, 8); // left over from a larger model
    QVERIFY(Operate(*f, "S p5"));
    QCOMPARE(int(f->state().Presets[4].ReclockMask), 0b10000010);

    f->clearWire();
    f->form().core().presets().RecallPreset(4, false);
    QStringList expected{"RPRST 5 0"};
    for (int o = 1; o <= 8; ++o)
        expected << QString("RCLOCK %1 %2").arg(o).arg(o == 2 || o == 8 ? 1 : 0);
    QTRY_COMPARE(f->commands(), expected);
}

void TestPresets::busyRefusesPresetButtons()
{
    CONSOLE(f, "pty");
    QVERIFY(Operate(*f, "S"));
    f->state().Busy = 1;
    QVERIFY(Operate(*f, "p2"));
    f->state().Busy = 0;
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(int(f->state().Presets[1].Stored), 0);
    QCOMPARE(panelState(*f), QString("saving"));
}

void TestPresets::panelShownBesideSwitchingAndSequencingOnly()
{
    ConsoleFixture f;
    QTabWidget *pages = f.find<QTabWidget>("MainPageControl");
    QWidget *panel = f.find<QWidget>("PresetsGroupBox");
    QCOMPARE(panel->geometry(), QRect(584, 27, 145, 430));
    QVERIFY(f.find<QWidget>("PresetsPageControl")->isHidden());
    const QStringList shownWith{"ControlTabSheet", "SequencingTabSheet"};
    for (int k : {1, 2, 3, 4, 5, 0, 3, 2}) {
        pages->setCurrentIndex(k);
        const QString page = pages->currentWidget()->objectName();
        QVERIFY2(panel->isHidden() != shownWith.contains(page), qPrintable(page));
    }
}

// Not a check: with KV_SCREENSHOT=FILE set (scripts/screenshot.sh), saves a picture of the
// Video Switching page with a recalled preset previewed. Skipped otherwise.
void TestPresets::screenshot()
{
    const QString file = qEnvironmentVariable("KV_SCREENSHOT");
    if (file.isEmpty())
        QSKIP("KV_SCREENSHOT not set");
    CONSOLE(f, "pty");
    QVERIFY(Operate(*f, "o1 i4 o2 i4 o3 i1 o5 i7 o6 i2 o9 i16 o10 i12 o13 i9 T k1 k5 k9 S p3"));
    QVERIFY(Operate(*f, "o1 i2 o2 i3 o3 i3 o9 i1 T S p6 S p7"));
    QVERIFY(Operate(*f, "R p3"));
    f->form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f->form()));
    QVERIFY2(f->form().grab().save(file), qPrintable(file));
    qInfo("Preset preview: %s", qPrintable(file));
}

QTEST_MAIN(TestPresets)
#include "tst_presets.moc"
