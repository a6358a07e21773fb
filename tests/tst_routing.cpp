// The Video Switching page driven as an operator drives it, against kvemu over a pty and
// over TCP: what goes on the wire, what MatrixState holds and what the page shows.

#include "ConsoleFixture.h"
#include "OperatorSteps.h"
#include "Texts.h"

#include "app/InfoForm.h"
#include "control/Routing.h"
#include "link/CommandChannel.h"
#include "protocol/Commands.h"
#include "ui/Colours.h"
#include "ui/Lamp.h"

#include <QTabWidget>
#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

// The numbers of the yellow input buttons, "7" or "3,4" or "".
QString yellowInputs(ConsoleFixture &f)
{
    QStringList yellow;
    for (int n = 1; n <= 16; ++n) {
        if (f.colour(QString("InputButton%1").arg(n)) == kYellow)
            yellow << QString::number(n);
    }
    return yellow.join(',');
}

// 1-based number on screen, 0 for none.
int shown(std::uint8_t index) { return index == UNASSIGNED ? 0 : index + 1; }

} // namespace

class TestRouting : public QObject {
    Q_OBJECT
private slots:
    void stateTable_data();
    void stateTable();
    void severalOutputsPending_data() { links(); }
    void severalOutputsPending();
    void secondClickRevertsEveryPendingOutput_data() { links(); }
    void secondClickRevertsEveryPendingOutput();
    void reclockers_data();
    void reclockers();
    void groupRestriction();
    void eightByEightDealsWithItsOwnRowsOnly();
    void previewRedirectsTakeCancelAndClear();
    void busyRefusesGuardedHandlers();
    void screenshot();

private:
    void links() { AddLinkRows(); }
};

// Output 3 through every transition of its route; i = 5 (its settled input), j = 7, k = 9.
void TestRouting::stateTable_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QColor>("shade");
    QTest::addColumn<int>("input"); // Routes[2], 1-based, 0 = none
    QTest::addColumn<int>("taken");
    QTest::addColumn<int>("previous");
    QTest::addColumn<QString>("yellow"); // yellow input buttons
    QTest::addColumn<bool>("selected");  // output 3 still selected
    QTest::addColumn<QString>("emu");    // kvemu's route of output 3

    const QColor red = kRed, lime = kLime, face = buttonFace();
    struct Row {
        const char *name, *setup, *action;
        QStringList sent;
        const char *label;
        QColor shade;
        int input, taken, previous;
        const char *yellow;
        bool selected;
        const char *emu;
    };
    const Row rows[] = {
        {"settled i, click j", "o3 i5 T", "i7", {"RTEMP 3 7"}, "7", red, 7, 0, 5, "7", true, "7*5"},
        {"settled i, click i", "o3 i5 T", "i5", {"RTEMP 3 0"}, "--", red, 0, 0, 5, "", true, "-*5"},
        {"settled none, click j", "o3", "i7", {"RTEMP 3 7"}, "7", red, 7, 0, 0, "7", true, "7*-"},
        {"pending j, click k", "o3 i5 T i7", "i9", {"RTEMP 3 9"}, "9", red, 9, 0, 5, "9", true, "9*5"},
        {"pending none, click k", "o3 i5 T i5", "i9", {"RTEMP 3 9"}, "9", red, 9, 0, 5, "9", true, "9*5"},
        {"pending j, click i", "o3 i5 T i7", "i5", {"RTEMP 3 5"}, "5", red, 5, 0, 5, "5", true, "5*5"},
        {"pending none, click i", "o3 i5 T i5", "i5", {"RTEMP 3 5"}, "5", red, 5, 0, 5, "5", true, "5*5"},
        {"pending j, click j", "o3 i5 T i7", "i7", {"TAKE 0"}, "5", lime, 5, 1, 5, "5", true, "5"},
        {"pending i back to i, click i", "o3 i5 T i7 i5", "i5", {"RTEMP 3 0"}, "--", red, 0, 0, 5, "", true, "-*5"},
        {"pending, Take", "o3 i5 T i7", "T", {"TAKE 1"}, "7", lime, 7, 1, 7, "7", true, "7"},
        {"pending none, Take", "o3 i5 T i5", "T", {"TAKE 1"}, "--", face, 0, 1, 0, "", true, "-"},
        {"pending i back to i, Take", "o3 i5 T i7 i5", "T", {"TAKE 1"}, "5", lime, 5, 1, 5, "5", true, "5"},
        {"nothing pending, Take", "o3 i5 T", "T", {"TAKE 1"}, "5", lime, 5, 1, 5, "5", true, "5"},
        {"pending, Cancel", "o3 i5 T i7", "C", {"TAKE 0"}, "5", lime, 5, 1, 5, "", false, "5"},
        {"pending i back to i, Cancel", "o3 i5 T i7 i5", "C", {"TAKE 0"}, "5", lime, 5, 1, 5, "", false, "5"},
        {"nothing pending, Cancel", "o3 i5 T", "C", {}, "5", lime, 5, 1, 5, "", false, "5"},
        {"pending, Clear All Routing", "o3 i5 T i7", "X", {"TAKE 0", "CLEAR"}, "--", face, 0, 1, 0, "", false, "-"},
        {"settled, Clear All Routing", "o3 i5 T", "X", {"CLEAR"}, "--", face, 0, 1, 0, "", false, "-"},
        {"pending, page shown again", "o3 i5 T i7", "PL", {"TAKE 0"}, "5", lime, 5, 1, 5, "", false, "5"},
        {"pending, Read", "o3 i5 T i7", "U", {"TAKE 0"}, "5", lime, 5, 1, 5, "", false, "5"},
        {"no output selected, click", "", "i5", {}, "--", face, 0, 1, 0, "", false, "-"},
        {"selected output again", "o3 i5 T", "o3", {}, "5", lime, 5, 1, 5, "5", true, "5"},
    };
    for (const QString &link : kLinks) {
        for (const Row &r : rows) {
            QTest::addRow("%s: %s", qPrintable(link), r.name)
                << link << QString(r.setup) << QString(r.action) << r.sent << QString(r.label)
                << r.shade << r.input << r.taken << r.previous << QString(r.yellow) << r.selected
                << QString(r.emu);
        }
    }
}

void TestRouting::stateTable()
{
    QFETCH(QString, link);
    QFETCH(QString, setup);
    QFETCH(QString, action);
    CONNECT(f, link);

    QVERIFY(Operate(*f, setup));
    f->clearWire();
    QVERIFY(Operate(*f, action));

    QTEST(f->commands(), "sent");
    QTEST(f->text("VideoLabel3"), "label");
    QTEST(f->colour("VideoLabel3"), "shade");
    const MatrixState &s = f->state();
    QTEST(shown(s.Routes[2].Input), "input");
    QTEST(int(s.Routes[2].Taken), "taken");
    QTEST(shown(s.PreviousInput[2]), "previous");
    QTEST(yellowInputs(*f), "yellow");
    QFETCH(bool, selected);
    QCOMPARE(s.SelectedOutput, selected ? 2 : int(UNASSIGNED));
    QCOMPARE(f->colour("OutputButton3"), selected ? kYellow : buttonFace());
    QTEST(f->emuState("routes").section(',', 2, 2), "emu");
}

// One Take commits every pending output and one Cancel withdraws them all; Clear All
// Routing with outputs pending cancels them first and then clears every route.
void TestRouting::severalOutputsPending()
{
    QFETCH(QString, link);
    CONNECT(f, link);
    QVERIFY(Operate(*f, "o1 i1 o2 i2 o4 i4 T"));

    f->clearWire();
    QVERIFY(Operate(*f, "o1 i3 o2 i2 o4 i6 T"));
    QCOMPARE(f->commands(), QStringList({"RTEMP 1 3", "RTEMP 2 0", "RTEMP 4 6", "TAKE 1"}));
    QCOMPARE(f->text("VideoLabel1"), "3");
    QCOMPARE(f->colour("VideoLabel1"), kLime);
    QCOMPARE(f->text("VideoLabel2"), "--");
    QCOMPARE(f->colour("VideoLabel2"), buttonFace());
    QCOMPARE(f->text("VideoLabel4"), "6");
    QCOMPARE(f->colour("VideoLabel4"), kLime);
    QCOMPARE(f->emuState("routes").section(',', 0, 3), "3,-,-,6");

    f->clearWire();
    QVERIFY(Operate(*f, "o1 i5 o2 i7 o4 i8 C"));
    QCOMPARE(f->commands(), QStringList({"RTEMP 1 5", "RTEMP 2 7", "RTEMP 4 8", "TAKE 0"}));
    QCOMPARE(f->text("VideoLabel1"), "3");
    QCOMPARE(f->text("VideoLabel2"), "--");
    QCOMPARE(f->text("VideoLabel4"), "6");
    QCOMPARE(f->colour("VideoLabel1"), kLime);
    QCOMPARE(f->colour("VideoLabel2"), buttonFace());
    QCOMPARE(f->emuState("routes").section(',', 0, 3), "3,-,-,6");
    QCOMPARE(yellowInputs(*f), QString());
    for (int n = 1; n <= 16; ++n)
        QCOMPARE(f->colour(QString("OutputButton%1").arg(n)), buttonFace());

    f->clearWire();
    QVERIFY(Operate(*f, "o1 i5 o4 i8 X"));
    QCOMPARE(f->commands(), QStringList({"RTEMP 1 5", "RTEMP 4 8", "TAKE 0", "CLEAR"}));
    for (int o = 0; o < 16; ++o) {
        const QString label = QString("VideoLabel%1").arg(o + 1);
        QCOMPARE(f->text(label), "--");
        QCOMPARE(f->colour(label), buttonFace());
        QCOMPARE(f->state().Routes[o].Input, UNASSIGNED);
        QCOMPARE(f->state().PreviousInput[o], UNASSIGNED);
    }
    QCOMPARE(f->emuState("routes"), QStringList(16, "-").join(','));
}

// "TAKE 0" drops every temporary route on the switcher, so withdrawing one pending route by
// clicking its input again settles every pending output on the console too.
void TestRouting::secondClickRevertsEveryPendingOutput()
{
    QFETCH(QString, link);
    CONNECT(f, link);
    QVERIFY(Operate(*f, "o1 i1 o2 i2 o3 i3 T"));

    f->clearWire();
    QVERIFY(Operate(*f, "o1 i5 o3 i7 o2 i6 i6"));
    QCOMPARE(f->commands(),
             QStringList({"RTEMP 1 5", "RTEMP 3 7", "RTEMP 2 6", "TAKE 0"}));
    for (int o = 0; o < 3; ++o) {
        const QString label = QString("VideoLabel%1").arg(o + 1);
        QCOMPARE(f->text(label), QString::number(o + 1));
        QCOMPARE(f->colour(label), kLime);
        QCOMPARE(f->state().Routes[o].Input, std::uint8_t(o));
        QCOMPARE(f->state().Routes[o].Taken, std::uint8_t(1));
    }
    // The page now shows exactly what the switcher holds.
    QCOMPARE(f->emuState("routes").section(',', 0, 2), "1,2,3");
    QCOMPARE(yellowInputs(*f), "2");
    QCOMPARE(f->state().SelectedOutput, 1);

    // A later Cancel has nothing left to withdraw.
    f->clearWire();
    QVERIFY(Operate(*f, "C"));
    QCOMPARE(f->commands(), QStringList());
}

void TestRouting::reclockers_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("suppress");
    QTest::addColumn<int>("busy");
    QTest::addColumn<QStringList>("sent");
    for (const QString &link : kLinks) {
        QTest::addRow("%s: live", qPrintable(link))
            << link << 0 << 0 << QStringList({"RCLOCK 4 0", "RCLOCK 4 1"});
        QTest::addRow("%s: SuppressCommands", qPrintable(link)) << link << 1 << 0 << QStringList();
        QTest::addRow("%s: Busy", qPrintable(link)) << link << 0 << 1 << QStringList();
    }
}

void TestRouting::reclockers()
{
    QFETCH(QString, link);
    QFETCH(int, suppress);
    QFETCH(int, busy);
    CONNECT(f, link);
    f->state().Reclock[3] = 1;
    f->state().SuppressCommands = std::uint8_t(suppress);
    f->state().Busy = busy;
    f->clearWire();

    QVERIFY(f->isChecked("ReclockerCheckBox4"));
    QVERIFY(f->click("ReclockerCheckBox4")); // untick
    const int afterUntick = f->state().Reclock[3];
    QVERIFY(f->click("ReclockerCheckBox4")); // tick again
    QTEST(f->commands(), "sent");
    const bool silent = suppress || busy;
    QCOMPARE(afterUntick, silent ? 1 : 0);
    QCOMPARE(f->state().Reclock[3], std::uint8_t(1));
    QCOMPARE(f->emuState("reclock"), silent ? "0x0000" : "0x0008");

    // The console's own change of the tick goes the same way as a click.
    f->clearWire();
    f->state().Reclock[3] = 0;
    f->form().core().routing().UpdateReclockerCheckBox(3);
    QVERIFY(!f->isChecked("ReclockerCheckBox4"));
    QCOMPARE(f->commands(), silent ? QStringList() : QStringList{"RCLOCK 4 0"});
}

// Group 1 holds outputs 1 and 2 and inputs 3 and 4; output 5 is in no group; output 6 names
// a group the switcher should never report.
void TestRouting::groupRestriction()
{
    ConsoleFixture f;
    GroupTable &g = f.state().Groups;
    g.GroupMemberCount[0] = 4;
    g.GroupOutputCount[0] = 2;
    g.GroupInputCount[0] = 2;
    g.OutputGroup[0] = g.OutputGroup[1] = 0;
    g.GroupInputs[0][2] = g.GroupInputs[0][3] = 0;
    g.OutputGroup[5] = 200;
    g.OutputGroup[6] = 1; // group 2 has no inputs

    auto enabledInputs = [&f] {
        QStringList on;
        for (int n = 1; n <= 16; ++n) {
            if (f.isEnabled(QString("InputButton%1").arg(n)))
                on << QString::number(n);
        }
        return on.join(',');
    };
    const QString ungrouped = "1,2,5,6,7,8,9,10,11,12,13,14,15,16";

    QVERIFY(f.click("OutputButton1"));
    QCOMPARE(enabledInputs(), "3,4");
    QVERIFY(f.click("OutputButton5"));
    QCOMPARE(enabledInputs(), ungrouped);
    QVERIFY(f.click("OutputButton6"));
    QCOMPARE(enabledInputs(), ungrouped);
    QVERIFY(f.click("OutputButton7"));
    QCOMPARE(enabledInputs(), ungrouped);
    // Cancel leaves the enabling alone; a redraw enables every input of the model.
    QVERIFY(f.click("OutputButton2"));
    QVERIFY(f.click("CancelTakeButton"));
    QCOMPARE(enabledInputs(), "3,4");
    f.form().core().routing().RefreshRoutingPage();
    QCOMPARE(enabledInputs(), "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16");
}

// On an 8 x 8 model the rows and inputs 9-16 are disabled and never named on the wire, even
// where MatrixState holds stale pending routes for them.
void TestRouting::eightByEightDealsWithItsOwnRowsOnly()
{
    CONNECT(f, "pty", EmuProcess::Options().withModel(10));
    f->readAll();
    f->state().Routes[9] = RouteEntry{4, 0}; // a stale pending route beyond the model
    QCOMPARE(f->state().OutputCount, std::int16_t(8));
    QCOMPARE(f->form().windowTitle(), texts::Caption(10));
    for (int n = 1; n <= 16; ++n) {
        const bool on = n <= 8;
        QCOMPARE(f->isEnabled(QString("OutputButton%1").arg(n)), on);
        QCOMPARE(f->isEnabled(QString("VideoLabel%1").arg(n)), on);
        QCOMPARE(f->isEnabled(QString("ReclockerCheckBox%1").arg(n)), on);
        QCOMPARE(f->isEnabled(QString("InputButton%1").arg(n)), on);
    }
    QVERIFY(!f->click("OutputButton9"));
    QVERIFY(!f->click("InputButton9"));

    f->clearWire();
    QVERIFY(Operate(*f, "o8 i8 T o2 i3 C X"));
    QCOMPARE(f->commands(),
             QStringList({"RTEMP 8 8", "TAKE 1", "RTEMP 2 3", "TAKE 0", "CLEAR"}));
    QCOMPARE(f->state().Routes[9].Input, std::uint8_t(4));
    QCOMPARE(f->state().Routes[9].Taken, std::uint8_t(0));
}

// While a preset preview is pending, Take confirms it, Cancel withdraws it, and Clear All
// Routing, the page shown again and Read withdraw it before their own work.
void TestRouting::previewRedirectsTakeCancelAndClear()
{
    CONNECT(f, "tcp");
    auto *lamp = f->find<Lamp>("ApdStatusLight1");
    QVERIFY(lamp);
    // Preset 1 has output 1 on input 2; live, output 1 is on input 3.
    QVERIFY(Operate(*f, "o1 i2 T S p1 o1 i3 T"));
    f->readAll(); // the preset's save has reached the switcher
    auto preview = [&] {
        f->clearWire();
        return Operate(*f, "R p1") && f->state().PresetPreviewPending == 1;
    };

    // Take confirms: a question on the way shows the lamp lit meanwhile.
    f->form().core().holds().protects().setProtected(0, true);
    bool lampLitDuringConfirm = false;
    f->dialogs.onShow = [&](const ShownBox &) { lampLitDuringConfirm = lamp->lit(); };
    f->dialogs.answer(Dialogs::Answer::Yes);
    QVERIFY(preview());
    QVERIFY(Operate(*f, "T"));
    f->dialogs.onShow = nullptr;
    f->form().core().holds().protects().setProtected(0, false);
    QVERIFY(lampLitDuringConfirm);
    QVERIFY(!lamp->lit());
    QCOMPARE(f->commands(), QStringList{"RPRST 1 1"}); // no TAKE 1: the preset panel confirms
    QCOMPARE(f->state().PresetPreviewPending, 0);

    QVERIFY(Operate(*f, "o1 i3 T"));
    QVERIFY(preview());
    QVERIFY(Operate(*f, "C"));
    QCOMPARE(f->commands(), QStringList()); // the routes are the panel's business
    QCOMPARE(f->state().PresetPreviewPending, 0);
    QCOMPARE(f->text("VideoLabel1"), "3");

    for (const char *step : {"X", "PL", "U"}) {
        QVERIFY(preview());
        QVERIFY(Operate(*f, step));
        QCOMPARE(f->state().PresetPreviewPending, 0);
        QVERIFY(!f->commands().contains("RPRST 1 1"));
    }

    // Recall without a preset chosen: Take and Cancel act on the routes.
    QVERIFY(Operate(*f, "R o1 i4"));
    f->clearWire();
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->commands(), QStringList{"TAKE 1"});
    QVERIFY(Operate(*f, "RC"));
}

// A guarded handler reached while another operation holds Busy does nothing at all.
void TestRouting::busyRefusesGuardedHandlers()
{
    CONNECT(f, "pty");
    QVERIFY(Operate(*f, "o1 i2"));
    f->clearWire();
    f->state().Busy = 1;
    QVERIFY(Operate(*f, "o3 i5 X"));
    QCOMPARE(f->commands(), QStringList());
    QCOMPARE(f->state().SelectedOutput, 0);
    QCOMPARE(f->state().Routes[0].Input, std::uint8_t(1));
    // Take does not consult Busy.
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->commands(), QStringList{"TAKE 1"});
    f->state().Busy = 0;
}

// Not a check: with KV_SCREENSHOT=FILE set (scripts/screenshot.sh), saves a picture of the
// window on the Video Switching page in a typical state. Skipped otherwise.
void TestRouting::screenshot()
{
    const QString file = qEnvironmentVariable("KV_SCREENSHOT");
    if (file.isEmpty())
        QSKIP("KV_SCREENSHOT not set");
    CONNECT(f, "pty");
    // Settled routes, reclockers as read, one output selected with a route pending.
    QVERIFY(Operate(*f, "o1 i1 o2 i3 o3 i3 o4 i2 o5 i8 o7 i6 o9 i12 o10 i9 o12 i16 o16 i4 T"));
    CommandChannel &ch = f->form().core().channel();
    for (int o : {0, 1, 2, 4, 8, 9, 15})
        SendReclock(ch, o, 1);
    f->readAll();
    QVERIFY(Operate(*f, "o6 i2 o4 i5"));
    f->form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f->form()));
    QVERIFY2(f->form().grab().save(file), qPrintable(file));
    qInfo("Video Switching page: %s (%dx%d)", qPrintable(file), f->form().width(),
          f->form().height());

    // The progress window halfway through a read, beside it.
    TInfoForm *info = f->form().infoForm();
    info->setMessage(texts::kQuerying);
    info->setProgress("....");
    const QString progress = QFileInfo(file).dir().filePath("progress.png");
    QVERIFY2(info->grab().save(progress), qPrintable(progress));
    qInfo("Progress window: %s (%dx%d)", qPrintable(progress), info->width(), info->height());
}

QTEST_MAIN(TestRouting)
#include "tst_routing.moc"
