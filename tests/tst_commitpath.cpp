// Where the ways of changing routes meet the holds on outputs, against kvemu: a hold taken
// while a question is up, and one taken while a sequence runs.

#include "HubClient.h"
#include "RemoteSteps.h"

#include "control/CommitPath.h"
#include "control/ProtectedOutputs.h"
#include "control/Sequencer.h"

#include <QLineEdit>
#include <QSettings>
#include <QtTest>

using namespace kv;
using namespace kv::test;

class TestCommitPath : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        FreshRouteLogFolder();
        QSettings(kSettingsOrganization, kSettingsApplication).clear();
    }
    void holdTakenWhileAskingIsAskedToo_data();
    void holdTakenWhileAskingIsAskedToo();
    void sequenceStepSkippedOverANewProtect();
    void clientsSeeAppliedLabelsOnly();
    void takeOverMadeElsewhereAsks_data();
    void takeOverMadeElsewhereAsks();
    void clientsToldOnlyWhatTheSwitcherAnswered();
};

void TestCommitPath::holdTakenWhileAskingIsAskedToo_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("subject");
    QTest::newRow("preset Confirm") << "R p1 OK" << "Preset 1";
    QTest::newRow("undo") << "Z T" << "The undo";
}

// The answer covers the outputs it named: a lock a client takes meanwhile is asked about
// before anything is sent, and No leaves it where it is.
void TestCommitPath::holdTakenWhileAskingIsAskedToo()
{
    QFETCH(QString, action);
    QFETCH(QString, subject);
    SERVING(f);
    // Preset 1 and the undo both move outputs 1 and 2.
    QVERIFY(Operate(*f, "o1 i1 o2 i2 T S p1 o1 i4 o2 i5 T"));
    HubClient a;
    QVERIFY(a.connectTo(PortOf(*f)));
    a.send("VIDEO OUTPUT LOCKS:\n1 O\n\n");
    QTRY_VERIFY(!f->form().core().holds().lockOwner(1).isEmpty());
    const QString owner = f->form().core().holds().lockOwner(1);
    f->clearWire();
    f->dialogs.onShow = [&](const ShownBox &) {
        f->dialogs.onShow = nullptr;
        a.send("VIDEO OUTPUT LOCKS:\n0 O\n\n");
        QTRY_VERIFY(!f->form().core().holds().lockOwner(0).isEmpty());
    };
    f->dialogs.answer(Dialogs::Answer::Yes);
    f->dialogs.answer(Dialogs::Answer::No);
    QVERIFY(Operate(*f, action));
    QCOMPARE(f->dialogs.texts(),
             (QStringList{subject + " would change output(s) 2 locked by remote client " + owner +
                              ". Force the lock(s) free?",
                          subject + " would change output(s) 1 locked by remote client " + owner +
                              ". Force the lock(s) free?"}));
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(f->form().core().holds().lockOwner(0), owner);
    QCOMPARE(f->emuState("routes").section(',', 0, 1), "4,5");
}

// A protect set while a sequence runs holds as a lock does: the steps that would move it are
// left out, with a word, and the run goes on without a question.
void TestCommitPath::sequenceStepSkippedOverANewProtect()
{
    CONNECT(f, "pty");
    // Presets 1 and 2 differ on output 2 only.
    QVERIFY(Operate(*f, "o2 i2 T S p1 o2 i5 T S p2"));
    SetSequenceSteps(*f, "1:1:5,2:2:5");
    QVERIFY(f->click("PresetSeqStartButton"));
    QTRY_VERIFY(f->commands().contains("RPRST 2 0"));
    f->form().core().holds().protects().setProtected(1, true);
    QTRY_VERIFY2(StatusText(*f).endsWith(" skipped: output(s) 2 protected"), qPrintable(StatusText(*f)));
    const QString held = f->emuState("routes").section(',', 1, 1);
    f->clearWire();
    QTest::qWait(20 * f->form().timeouts().SeqSecondMs);
    QVERIFY(f->form().core().sequencer().running());
    QCOMPARE(f->emuState("routes").section(',', 1, 1), held);
    QVERIFY(!f->commands().filter("RPRST").isEmpty());
    QVERIFY(f->dialogs.texts().isEmpty());
    QVERIFY(f->click("PresetSeqStopButton"));
}

// A label still being typed is nobody's yet: clients get it once its edit is left.
void TestCommitPath::clientsSeeAppliedLabelsOnly()
{
    SERVING(f);
    auto *edit = f->find<QLineEdit>("InputLabelEdit1");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "CAM 9");
    HubClient a;
    QVERIFY(a.connectTo(PortOf(*f)));
    QVERIFY(a.dump().contains("INPUT LABELS:\n0 1\n"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(a.next(), QByteArray("INPUT LABELS:\n0 CAM 9\n\n"));
}

void TestCommitPath::takeOverMadeElsewhereAsks_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("verb");
    QTest::newRow("Take") << "T" << "Take" << "Take";
    QTest::newRow("Clear All Routing") << "X" << "Clear All Routing" << "Clear";
    QTest::newRow("Preset Save") << "S p1" << "Saving preset 1" << "Save";
    QTest::newRow("remote salvo") << "salvo" << "" << "";
}

// Output 2 protected on input 3, and a temporary route 2 to 5 made at the front panel: every
// way whose "TAKE 1" would put it on air asks about both, or is refused when nobody can be
// asked, and nothing is sent.
void TestCommitPath::takeOverMadeElsewhereAsks()
{
    QFETCH(QString, action);
    QFETCH(QString, what);
    QFETCH(QString, verb);
    SERVING(f);
    f->form().followForThisRun();
    QVERIFY(Operate(*f, "o2 i3 T"));
    f->form().core().holds().protects().setProtected(1, true);
    QCOMPARE(f->emu().sendControl("panel temp 2 5"), "ok");
    QTRY_VERIFY(f->form().core().commits().madeElsewhere() == QList<int>{1});
    f->clearWire();
    if (action == "salvo") {
        HubClient a;
        QVERIFY(a.connectTo(PortOf(*f)));
        a.send("VIDEO OUTPUT ROUTING:\n0 1\n\n");
        QCOMPARE(a.next(), QByteArray("NAK\n\n"));
    } else {
        f->dialogs.answer(Dialogs::Answer::Yes);
        f->dialogs.answer(Dialogs::Answer::No);
        QVERIFY(Operate(*f, action));
        QCOMPARE(f->dialogs.texts(),
                 (QStringList{"The switcher holds temporary routes made elsewhere on outputs 2. " +
                                  what + " commits them too. " + verb + " anyway?",
                              what + " would change protected output(s) 2. " + verb + " it anyway?"}));
    }
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(f->emuState("routes").section(',', 1, 1), "5*3");
    QCOMPARE(f->state().Presets[0].Stored, 0);
}

// A Take the switcher never answered is not told to the clients as on air; a read tells
// them what it holds.
void TestCommitPath::clientsToldOnlyWhatTheSwitcherAnswered()
{
    SERVING(f, "tcp");
    HubClient a;
    QVERIFY(a.connectTo(PortOf(*f)));
    QCOMPARE(f->emu().sendControl("fault silence"), "ok");
    QVERIFY(Operate(*f, "o1 i3 T"));
    QVERIFY(a.quiet());
    QCOMPARE(JournalLines(DefaultRouteLogFolder()),
             (QStringList{"1,,3,failed,operator", "1,,3,failed,operator"}));
    QCOMPARE(f->emu().sendControl("clear-faults"), "ok");
    f->readAll();
    QCOMPARE(a.next(), QByteArray("VIDEO OUTPUT ROUTING:\n0 2\n\n"));
}

QTEST_MAIN(TestCommitPath)
#include "tst_commitpath.moc"
