// "Undo Last Take" against kvemu: the inverse of the last taken change is shown pending,
// Take puts the old routes back on the switcher, Cancel sends nothing.

#include "ConsoleFixture.h"
#include "RouteTestSteps.h"

#include "ui/Colours.h"
#include "ui/GroupingPage.h"

#include <QtTest>

using namespace kv;
using namespace kv::test;

class TestUndoTake : public QObject {
    Q_OBJECT
private slots:
    void init() { FreshRouteLogFolder(); }
    void takeOfTheUndoPutsOldRoutesBack_data();
    void takeOfTheUndoPutsOldRoutesBack();
    void undoThenCancelSendsNothing();
    void nothingToUndo();
    void undoHeldBackByTheRules();
    void switcherPreviousInputsAfterARestart();
};

void TestUndoTake::takeOfTheUndoPutsOldRoutesBack_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("routes"); // outputs 1-4 on kvemu afterwards

    for (const QString &link : kLinks) {
        auto row = [&](const char *name, const char *script, const QStringList &sent, const char *routes) {
            QTest::addRow("%s %s", name, qPrintable(link)) << link << QString(script) << sent << QString(routes);
        };
        row("one route", "o3 i5 T o3 i7 T", {"RTEMP 3 5", "TAKE 1"}, "-,-,5,-");
        row("a Take of several routes", "o1 i1 o2 i2 T o1 i3 o2 i4 o4 i8 T",
            {"RTEMP 1 1", "RTEMP 2 2", "RTEMP 4 0", "TAKE 1"}, "1,2,-,-");
        row("a preset recall", "o1 i1 o2 i2 T S p1 o1 i5 o2 i6 T R p1 OK",
            {"RTEMP 1 5", "RTEMP 2 6", "TAKE 1"}, "5,6,-,-");
        row("Clear All Routing", "o1 i1 o2 i2 T X", {"RTEMP 1 1", "RTEMP 2 2", "TAKE 1"}, "1,2,-,-");
        row("a disconnect", "o4 i2 T o4 i2 T", {"RTEMP 4 2", "TAKE 1"}, "-,-,-,2");
        // The undo's own Take is the last take: a second undo brings the change back.
        row("the undo itself", "o3 i5 T o3 i7 T Z T", {"RTEMP 3 7", "TAKE 1"}, "-,-,7,-");
    }
}

void TestUndoTake::takeOfTheUndoPutsOldRoutesBack()
{
    QFETCH(QString, link);
    QFETCH(QString, script);
    QFETCH(QStringList, sent);
    QFETCH(QString, routes);
    CONNECT(f, link);
    QVERIFY(Operate(*f, script));
    // Over TCP a preset command is not awaited: a read behind it makes sure it has arrived
    // before the wire is cleared. The read finds the console's own routes: no undo changes.
    f->readAll();
    f->clearWire();
    QVERIFY(Operate(*f, "Z"));
    QCOMPARE(f->commands(), QStringList{}); // shown, not sent
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->commands(), sent);
    QCOMPARE(f->emuState("routes").section(',', 0, 3), routes);
    for (int o = 0; o < 4; ++o)
        QCOMPARE(f->state().Routes[o].Taken, 1);
}

void TestUndoTake::undoThenCancelSendsNothing()
{
    CONNECT(f, "pty");
    QVERIFY(Operate(*f, "o3 i5 T o3 i7 o2 i4 T"));
    f->clearWire();
    QVERIFY(Operate(*f, "Z"));
    // Shown as a preview is: red labels with the old inputs.
    QCOMPARE(f->text("VideoLabel3"), "5");
    QCOMPARE(f->colour("VideoLabel3"), kRed);
    QCOMPARE(f->text("VideoLabel2"), "--");
    QCOMPARE(f->colour("VideoLabel2"), kRed);
    QVERIFY(Operate(*f, "C"));
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(f->text("VideoLabel3"), "7");
    QCOMPARE(f->colour("VideoLabel3"), kLime);
    QCOMPARE(f->text("VideoLabel2"), "4");
    QCOMPARE(f->emuState("routes").section(',', 0, 2), "-,4,7");
    // Withdrawn, it is not taken by the next Take.
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->commands(), QStringList{"TAKE 1"});
    QCOMPARE(f->emuState("routes").section(',', 0, 2), "-,4,7");
}

void TestUndoTake::nothingToUndo()
{
    CONNECT(f, "pty");
    f->clearWire();
    QVERIFY(Operate(*f, "Z"));
    QCOMPARE(StatusText(*f), "Nothing to undo");
    // A pending route must be taken or cancelled first.
    QVERIFY(Operate(*f, "o1 i2 T o1 i3 Z"));
    QCOMPARE(StatusText(*f), "Take or Cancel the pending change first");
    QCOMPARE(f->text("VideoLabel1"), "3");
    QCOMPARE(f->commands(), (QStringList{"RTEMP 1 2", "TAKE 1", "RTEMP 1 3"}));
}

// A shown undo is not on the switcher: saving a preset over it is refused. An undo that a
// group no longer allows is refused as the click would be.
void TestUndoTake::undoHeldBackByTheRules()
{
    CONNECT(f, "pty");
    QVERIFY(Operate(*f, "o3 i5 T o3 i7 T Z"));
    f->clearWire();
    QVERIFY(Operate(*f, "S p1"));
    QCOMPARE(StatusText(*f), "Take or Cancel the pending change first");
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(f->state().Presets[0].Stored, 0);
    QVERIFY(Operate(*f, "SC C"));
    QCOMPARE(f->emuState("routes").section(',', 2, 2), "7");

    QVERIFY(Operate(*f, "o1 i7 T o1 i3 T"));
    auto *pages = f->find<QTabWidget>("MainPageControl");
    pages->setCurrentWidget(f->find<GroupingPage>("GroupingTabSheet"));
    QVERIFY(Operate(*f, "g1 go1 gi3"));
    pages->setCurrentWidget(f->find<SwitchingPage>("ControlTabSheet"));
    f->clearWire();
    QVERIFY(Operate(*f, "Z"));
    QCOMPARE(StatusText(*f), "Input 7 is not in the group of output 1");
    QCOMPARE(f->text("VideoLabel1"), "3");
    QCOMPARE(f->colour("VideoLabel1"), kLime);
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->commands(), QStringList{"TAKE 1"});
    QCOMPARE(f->emuState("routes").section(',', 0, 0), "3");
}

void TestUndoTake::switcherPreviousInputsAfterARestart()
{
    // A console that has taken nothing yet (just started) falls back on the previous inputs
    // the read brought. kvemu reports a settled output's previous input as its input, so
    // the read's result is given one that remembers input 3 on output 2.
    CONNECT(f, "pty");
    f->state().PreviousInput[1] = 2;
    f->clearWire();
    QVERIFY(Operate(*f, "Z"));
    QCOMPARE(f->text("VideoLabel2"), "3");
    QCOMPARE(f->colour("VideoLabel2"), kRed);
    QVERIFY(Operate(*f, "T"));
    QCOMPARE(f->commands(), (QStringList{"RTEMP 2 3", "TAKE 1"}));
    QCOMPARE(f->emuState("routes").section(',', 1, 1), "3");
    // That Take is this console's own now: the next undo goes back through the journal.
    QVERIFY(Operate(*f, "Z T"));
    QCOMPARE(f->emuState("routes").section(',', 1, 1), "-");
}

QTEST_MAIN(TestUndoTake)
#include "tst_undotake.moc"
