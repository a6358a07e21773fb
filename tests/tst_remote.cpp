// The remote-control server in the real console against kvemu, with scripted clients on
// loopback: the dump, the answers and their order, salvos on the wire, the refusals, locks
// between two clients and the operator, labels both ways, and the updates every client gets
// whatever made the change.

#include "ConsoleFixture.h"
#include "HubClient.h"
#include "RemoteSteps.h"
#include "RouteTestSteps.h"

#include "control/ProtectedOutputs.h"
#include "control/Sequencer.h"
#include "remote/RemoteServer.h"
#include "ui/Colours.h"
#include "ui/LabelingPage.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QtTest>
#include <thread>

using namespace kv;
using namespace kv::test;

namespace {

// A console read from a fresh kvemu, its server listening on a free loopback port.

#define CLIENT(c, f)                                                                           \
    HubClient c;                                                                               \
    QVERIFY(c.connectTo(PortOf(*f)))

QByteArray Lines(const char *header, const QStringList &lines)
{
    QByteArray text = QByteArray(header) + ":\n";
    for (const QString &l : lines)
        text += l.toUtf8() + '\n';
    return text + '\n';
}

QStringList Numbered(int count, const QString &first = {})
{
    QStringList lines;
    for (int n = 0; n < count; ++n)
        lines << QStringLiteral("%1 %2").arg(n).arg(n == 0 && !first.isEmpty() ? first : QString::number(n + 1));
    return lines;
}

void TypeLabel(ConsoleFixture &f, const QString &edit, const QString &text)
{
    auto *e = f.find<QLineEdit>(edit);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Return);
}

} // namespace

class tst_Remote : public QObject {
    Q_OBJECT
private slots:
    void init() { FreshRouteLogFolder(); }
    void dump();
    void salvoOnTheWire_data() { AddLinkRows(); }
    void salvoOnTheWire();
    void ackComesBeforeTheExchange();
    void refusals_data();
    void refusals();
    void refusedWhileOperatorPending_data();
    void refusedWhileOperatorPending();
    void refusedWhenItsTurnCame_data();
    void refusedWhenItsTurnCame();
    void readOnly();
    void locks();
    void operatorForcesALockFree_data();
    void operatorForcesALockFree();
    void lockedOutputsAskFirst_data();
    void lockedOutputsAskFirst();
    void sequenceStepSkippedWhileLocked();
    void protectShowsAsLock();
    void labelsBothWays();
    void updatesForEveryKindOfChange();
};

void tst_Remote::dump()
{
    SERVING(f);
    TypeLabel(*f, "InputLabelEdit1", "CAM 1");
    CLIENT(c, f);
    const QString id = ReadSetting(ConsoleSettings(), settings::RemoteUniqueId);
    QCOMPARE(id.size(), 12);
    const QByteArray expected =
        Lines("PROTOCOL PREAMBLE", {"Version: 2.8"}) +
        Lines("VIDEOHUB DEVICE",
              {"Device present: true", "Model name: Kestavion KV Control HD SDI (8 x 8)",
               "Friendly name: Kestavion Console", "Unique ID: " + id, "Video inputs: 8",
               "Video processing units: 0", "Video outputs: 8", "Video monitoring outputs: 0",
               "Serial ports: 0"}) +
        Lines("INPUT LABELS", Numbered(8, "CAM 1")) + Lines("OUTPUT LABELS", Numbered(8)) +
        Lines("VIDEO OUTPUT LOCKS", {"0 U", "1 U", "2 U", "3 U", "4 U", "5 U", "6 U", "7 U"}) +
        Lines("VIDEO OUTPUT ROUTING", {}) + Lines("CONFIGURATION", {"Take Mode: false"}) +
        Lines("END PRELUDE", {});
    QCOMPARE(c.dump(), expected);

    // Routed outputs appear 0-based, the rest is left out; the same ID on a new console.
    QVERIFY(Operate(*f, "o2 i4 T"));
    HubClient again;
    QVERIFY(again.connectTo(PortOf(*f)));
    QVERIFY(again.dump().contains(Lines("VIDEO OUTPUT ROUTING", {"1 3"})));
    TMatrixForm other;
    QVERIFY(other.remoteServer()->listen(QHostAddress::LocalHost, 0));
    HubClient third;
    QVERIFY(third.connectTo(other.remoteServer()->port()));
    QVERIFY(third.dump().contains("Unique ID: " + id.toUtf8() + '\n'));
    QVERIFY(third.dump().contains("Device present: false\n"));
}

void tst_Remote::salvoOnTheWire()
{
    QFETCH(QString, link);
    SERVING(f, link);
    CLIENT(c, f);
    CLIENT(other, f);
    c.send("VIDEO OUTPUT ROUTING:\n0 2\n3 5\n\n");
    QCOMPARE(c.next(2), QByteArray("ACK\n\nVIDEO OUTPUT ROUTING:\n0 2\n3 5\n\n"));
    QCOMPARE(other.next(), QByteArray("VIDEO OUTPUT ROUTING:\n0 2\n3 5\n\n"));
    QCOMPARE(f->commands(), (QStringList{"RTEMP 1 3", "RTEMP 4 6", "TAKE 1"}));
    QCOMPARE(f->emuState("routes").section(',', 0, 3), "3,-,-,6");
    QCOMPARE(f->text("VideoLabel1"), "3");
    QCOMPARE(f->colour("VideoLabel4"), kLime);
    QCOMPARE(JournalLines(DefaultRouteLogFolder()),
             (QStringList{"1,,3,taken,remote 127.0.0.1", "4,,6,taken,remote 127.0.0.1"}));

    // The operator routes on as before.
    f->clearWire();
    QVERIFY(Operate(*f, "o1 i7 T"));
    QCOMPARE(f->commands(), (QStringList{"RTEMP 1 7", "TAKE 1"}));
    QCOMPARE(c.next(), QByteArray("VIDEO OUTPUT ROUTING:\n0 6\n\n"));
}

void tst_Remote::ackComesBeforeTheExchange()
{
    // Each RTEMP is answered late; the answer to the client must not wait for them.
    SERVING(f, "pty", 10, EmuProcess::Options().withFault("delay:RTEMP=400"));
    const quint16 port = PortOf(*f);
    QStringList wireAtAck;
    bool acked = false;
    std::thread client([&] {
        QTcpSocket s;
        if (!ConnectPastPrelude(s, port))
            return;
        QByteArray got;
        s.write("VIDEO OUTPUT ROUTING:\n0 1\n1 2\n\n");
        s.flush();
        got.clear();
        while (!got.contains("\n\n") && s.waitForReadyRead(5000))
            got += s.readAll();
        wireAtAck = f->wire();
        acked = got.startsWith("ACK\n\n");
    });
    QTRY_VERIFY_WITH_TIMEOUT(f->commands().contains("TAKE 1"), 10000);
    client.join();
    QVERIFY(acked);
    QVERIFY2(!wireAtAck.contains("TAKE 1"), qPrintable(wireAtAck.join(' ')));
}

void tst_Remote::refusals_data()
{
    QTest::addColumn<QByteArray>("request");
    // 8 x 8; group 1 holds output 1 and input 2; output 8 is protected.
    QTest::newRow("output out of range") << QByteArray("VIDEO OUTPUT ROUTING:\n8 0\n\n");
    QTest::newRow("input out of range") << QByteArray("VIDEO OUTPUT ROUTING:\n1 8\n\n");
    QTest::newRow("one bad line of two") << QByteArray("VIDEO OUTPUT ROUTING:\n1 3\n2 x\n\n");
    QTest::newRow("input of another group") << QByteArray("VIDEO OUTPUT ROUTING:\n1 1\n2 1\n\n");
    QTest::newRow("grouped output, free input") << QByteArray("VIDEO OUTPUT ROUTING:\n0 3\n\n");
    QTest::newRow("protected output") << QByteArray("VIDEO OUTPUT ROUTING:\n7 0\n\n");
    QTest::newRow("unknown block") << QByteArray("VIDEO MONITORING OUTPUT ROUTING:\n0 1\n\n");
    QTest::newRow("no colon") << QByteArray("HELLO\n\n");
    QTest::newRow("bad lock") << QByteArray("VIDEO OUTPUT LOCKS:\n0 X\n\n");
    QTest::newRow("label out of range") << QByteArray("INPUT LABELS:\n9 X\n\n");
    QTest::newRow("take mode true") << QByteArray("CONFIGURATION:\nTake Mode: true\n\n");
}

void tst_Remote::refusals()
{
    QFETCH(QByteArray, request);
    SERVING(f);
    QVERIFY(f->click("GroupOutputButton1"));
    QVERIFY(f->click("GroupInputButton2"));
    f->form().core().holds().protects().setProtected(7, true);
    CLIENT(c, f);
    f->clearWire();
    c.send(request);
    QCOMPARE(c.next(), QByteArray("NAK\n\n"));
    QVERIFY(c.quiet());
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(f->text("InputLabelEdit2"), "2");
    // The group's own input is fine.
    c.send("VIDEO OUTPUT ROUTING:\n0 1\n\n");
    QCOMPARE(c.next(2), QByteArray("ACK\n\nVIDEO OUTPUT ROUTING:\n0 1\n\n"));
}

void tst_Remote::refusedWhileOperatorPending_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("take");
    QTest::addColumn<QStringList>("operatorCommands");
    QTest::newRow("pending route") << "o1 i2" << "T" << QStringList{"TAKE 1"};
    QTest::newRow("preset preview") << "R p1" << "OK" << QStringList{"RPRST 1 1"};
}

void tst_Remote::refusedWhileOperatorPending()
{
    QFETCH(QString, steps);
    QFETCH(QString, take);
    QFETCH(QStringList, operatorCommands);
    SERVING(f);
    QVERIFY(Operate(*f, "o1 i5 T S p1 o1 i6 T"));
    CLIENT(c, f);
    QVERIFY(Operate(*f, steps));
    f->clearWire();
    c.send("VIDEO OUTPUT ROUTING:\n3 3\n\n");
    QCOMPARE(c.next(), QByteArray("NAK\n\n"));
    QVERIFY(c.quiet());
    QCOMPARE(f->commands(), QStringList{});
    // The operator's own Take commits only the operator's work.
    QVERIFY(Operate(*f, take));
    QCOMPARE(f->commands(), operatorCommands);
    QVERIFY(c.next().startsWith("VIDEO OUTPUT ROUTING:\n0 "));
    c.send("VIDEO OUTPUT ROUTING:\n3 3\n\n");
    QCOMPARE(c.next(2), QByteArray("ACK\n\nVIDEO OUTPUT ROUTING:\n3 3\n\n"));
}

void tst_Remote::refusedWhenItsTurnCame_data()
{
    QTest::addColumn<bool>("lock");
    QTest::addColumn<QString>("why");
    QTest::newRow("another client's lock") << true << "output(s) 1 locked by remote client ";
    QTest::newRow("operator's protect") << false << "output(s) 1 protected";
}

// A route answered ACK waits out a slow status read; a lock or a protect comes meanwhile.
// When its turn comes nothing is sent: its client hears the routing its output still has,
// and the status bar says why.
void tst_Remote::refusedWhenItsTurnCame()
{
    QFETCH(bool, lock);
    QFETCH(QString, why);
    SERVING(f, "pty", 10, EmuProcess::Options().withFault("delay:GINFOKV=400"));
    QVERIFY(Operate(*f, "o1 i5 T"));
    CLIENT(a, f);
    CLIENT(b, f);
    QVERIFY(a.dump().contains("VIDEO OUTPUT ROUTING:\n0 4\n\n"));
    f->clearWire();
    a.send("VIDEO OUTPUT ROUTING:\n0 2\n\n");
    QTimer::singleShot(250, f->form().remoteServer(), [&] {
        if (lock)
            b.send("VIDEO OUTPUT LOCKS:\n0 O\n\n");
        else
            f->form().core().holds().protects().setProtected(0, true);
    });
    f->readAll();
    QCOMPARE(a.next(3), QByteArray("ACK\n\nVIDEO OUTPUT LOCKS:\n0 L\n\nVIDEO OUTPUT ROUTING:\n0 4\n\n"));
    QVERIFY(a.quiet());
    QCOMPARE(f->commands(), QStringList{});
    const QString owner = f->form().core().holds().lockOwner(0);
    QCOMPARE(StatusText(*f), "Remote route from 127.0.0.1 refused: " + why + owner);
}

void tst_Remote::readOnly()
{
    SERVING(f);
    f->form().remoteServer()->setReadOnly(true);
    CLIENT(c, f);
    for (const QByteArray &change : {QByteArray("VIDEO OUTPUT ROUTING:\n0 1\n\n"),
                                     QByteArray("INPUT LABELS:\n0 X\n\n"),
                                     QByteArray("VIDEO OUTPUT LOCKS:\n0 O\n\n")}) {
        c.send(change);
        QCOMPARE(c.next(), QByteArray("NAK\n\n"));
    }
    c.send("PING:\n\nVIDEO OUTPUT LOCKS:\n\n");
    QCOMPARE(c.next(3), QByteArray("ACK\n\nACK\n\n") +
                            Lines("VIDEO OUTPUT LOCKS", {"0 U", "1 U", "2 U", "3 U", "4 U", "5 U", "6 U", "7 U"}));
    QCOMPARE(f->commands(), QStringList{});
    QCOMPARE(f->text("InputLabelEdit1"), "1");
    // Clients still watch.
    QVERIFY(Operate(*f, "o1 i2 T"));
    QCOMPARE(c.next(), QByteArray("VIDEO OUTPUT ROUTING:\n0 1\n\n"));
}

void tst_Remote::locks()
{
    SERVING(f);
    CLIENT(a, f);
    CLIENT(b, f);
    a.send("VIDEO OUTPUT LOCKS:\n2 O\n\n");
    QCOMPARE(a.next(2), QByteArray("ACK\n\nVIDEO OUTPUT LOCKS:\n2 O\n\n"));
    QCOMPARE(b.next(), QByteArray("VIDEO OUTPUT LOCKS:\n2 L\n\n"));
    const QString owner = f->form().core().holds().lockOwner(2);
    QVERIFY(owner.startsWith("127.0.0.1:"));

    // Only the owner routes it; the operator is refused too, and told by whom.
    b.send("VIDEO OUTPUT ROUTING:\n2 1\n\n");
    QCOMPARE(b.next(), QByteArray("NAK\n\n"));
    QVERIFY(Operate(*f, "o3 i1"));
    QCOMPARE(StatusText(*f), "Output 3 is locked by remote client " + owner);
    QCOMPARE(f->commands(), QStringList{});
    a.send("VIDEO OUTPUT ROUTING:\n2 4\n\n");
    QCOMPARE(a.next(2), QByteArray("ACK\n\nVIDEO OUTPUT ROUTING:\n2 4\n\n"));
    QCOMPARE(b.next(), QByteArray("VIDEO OUTPUT ROUTING:\n2 4\n\n"));
    QCOMPARE(f->commands(), (QStringList{"RTEMP 3 5", "TAKE 1"}));

    // Clear All Routing leaves the locked output alone.
    f->clearWire();
    QVERIFY(f->click("ClearAllRoutingButton"));
    QCOMPARE(f->commands(), (QStringList{"RTEMP 1 0", "RTEMP 2 0", "RTEMP 4 0", "RTEMP 5 0", "RTEMP 6 0",
                                         "RTEMP 7 0", "RTEMP 8 0", "TAKE 1"}));
    QCOMPARE(StatusText(*f), "All routing cleared except protected or locked output(s) 3");

    // U is the owner's; F frees it for anyone.
    b.send("VIDEO OUTPUT LOCKS:\n2 U\n\n");
    QCOMPARE(b.next(), QByteArray("NAK\n\n"));
    b.send("VIDEO OUTPUT LOCKS:\n2 F\n\n");
    QCOMPARE(b.next(2), QByteArray("ACK\n\nVIDEO OUTPUT LOCKS:\n2 U\n\n"));
    QCOMPARE(a.next(), QByteArray("VIDEO OUTPUT LOCKS:\n2 U\n\n"));

    // A client's locks go with it.
    b.send("VIDEO OUTPUT LOCKS:\n5 O\n\n");
    QCOMPARE(b.next(2), QByteArray("ACK\n\nVIDEO OUTPUT LOCKS:\n5 O\n\n"));
    QCOMPARE(a.next(), QByteArray("VIDEO OUTPUT LOCKS:\n5 L\n\n"));
    b.close();
    QCOMPARE(a.next(), QByteArray("VIDEO OUTPUT LOCKS:\n5 U\n\n"));
}

void tst_Remote::operatorForcesALockFree_data()
{
    QTest::addColumn<bool>("fromPage");
    QTest::newRow("Remote Control dialog") << false;
    QTest::newRow("output button's menu") << true;
}

void tst_Remote::operatorForcesALockFree()
{
    QFETCH(bool, fromPage);
    SERVING(f);
    CLIENT(a, f);
    a.send("VIDEO OUTPUT LOCKS:\n1 O\n\n");
    QCOMPARE(a.next(2), QByteArray("ACK\n\nVIDEO OUTPUT LOCKS:\n1 O\n\n"));
    const QString owner = f->form().core().holds().lockOwner(1);
    // The operator sees the lock on the page, and who holds it.
    auto *button = f->find<QPushButton>("OutputButton2");
    QVERIFY(!button->icon().isNull());
    QCOMPARE(button->toolTip(), "Keys: 2 Enter\nLocked by remote client " + owner);
    QVERIFY(f->find<QAction>("ForceUnlockAction2")->isVisible());
    QVERIFY(!f->find<QAction>("ForceUnlockAction3")->isVisible());

    QListWidget *list = nullptr;
    const auto force = [&] {
        if (fromPage)
            return f->click("ForceUnlockAction2");
        list->setCurrentRow(0);
        return f->click("RemoteForceUnlockButton");
    };
    if (!fromPage) {
        QVERIFY(f->click("RemoteControl1"));
        list = f->find<QListWidget>("RemoteLockList");
        QVERIFY(list);
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), "Output 2: locked by " + owner);
    }
    // Asked first: No keeps the lock, Yes frees it.
    QVERIFY(force());
    QCOMPARE(f->dialogs.texts().last(), "Output 2 is locked by remote client " + owner + ". Force the lock free?");
    QVERIFY(a.quiet());
    f->dialogs.answer(Dialogs::Answer::Yes);
    QVERIFY(force());
    QCOMPARE(a.next(), QByteArray("VIDEO OUTPUT LOCKS:\n1 U\n\n"));
    if (list)
        QCOMPARE(list->count(), 0);
    QVERIFY(button->icon().isNull());
    QCOMPARE(button->toolTip(), "Keys: 2 Enter");
    QVERIFY(!f->find<QAction>("ForceUnlockAction2")->isVisible());
}

void tst_Remote::lockedOutputsAskFirst_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("firstSent");
    QTest::newRow("Confirm, No") << "" << "R p1 OK" << false << "Preset 1" << "";
    QTest::newRow("Confirm, Yes") << "" << "R p1 OK" << true << "Preset 1" << "RPRST 1 1";
    QTest::newRow("Take of a preview, No") << "" << "R p1 T" << false << "Preset 1" << "";
    QTest::newRow("sequence Start, No") << "" << "start" << false << "The preset sequence" << "";
    QTest::newRow("sequence Start, Yes") << "" << "start" << true << "The preset sequence" << "RPRST 1 0";
    QTest::newRow("undo, No") << "" << "Z T" << false << "The undo" << "";
    QTest::newRow("undo, Yes") << "" << "Z T" << true << "The undo" << "RTEMP 2 2";
    QTest::newRow("route made before the lock, No") << "o2 i3" << "T" << false << "Take" << "";
    QTest::newRow("route made before the lock, Yes") << "o2 i3" << "T" << true << "Take" << "TAKE 1";
}

// A client's lock holds against the operator's recalls, sequences, undo and Take too; the
// operator may force it free after one question.
void tst_Remote::lockedOutputsAskFirst()
{
    QFETCH(QString, before);
    QFETCH(QString, action);
    QFETCH(bool, yes);
    QFETCH(QString, subject);
    QFETCH(QString, firstSent);
    SERVING(f);
    // Preset 1 has output 2 on input 2; the switcher then has it on input 5.
    QVERIFY(Operate(*f, "o1 i1 o2 i2 T S p1 o2 i5 T " + before));
    CLIENT(a, f);
    a.send("VIDEO OUTPUT LOCKS:\n1 O\n\n");
    QCOMPARE(a.next(2), QByteArray("ACK\n\nVIDEO OUTPUT LOCKS:\n1 O\n\n"));
    const QString owner = f->form().core().holds().lockOwner(1);
    f->clearWire();
    f->dialogs.answer(yes ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    if (action == "start") {
        SetSequenceSteps(*f, "1:1:5");
        QVERIFY(f->click("PresetSeqStartButton"));
        QCOMPARE(f->form().core().sequencer().running(), yes);
    } else {
        QVERIFY(Operate(*f, action));
    }
    QCOMPARE(f->dialogs.texts(),
             QStringList{subject + " would change output(s) 2 locked by remote client " + owner +
                         ". Force the lock(s) free?"});
    QCOMPARE(f->commands().value(0), firstSent);
    QCOMPARE(f->form().core().holds().lockOwner(1), yes ? QString() : owner);
    if (yes) {
        QCOMPARE(a.next(), QByteArray("VIDEO OUTPUT LOCKS:\n1 U\n\n"));
        QVERIFY(a.next().startsWith("VIDEO OUTPUT ROUTING:\n"));
    } else {
        QCOMPARE(f->emuState("routes").section(',', 1, 1).section('*', -1), "5"); // taken, any temporary
        QVERIFY(a.quiet());
    }
    f->click("PresetSeqStopButton");
}

// A lock taken while a sequence runs: the steps that would move it are left out, the run
// goes on, and they come back once the lock is gone.
void tst_Remote::sequenceStepSkippedWhileLocked()
{
    SERVING(f);
    // Presets 1 and 2 differ on output 2 only.
    QVERIFY(Operate(*f, "o2 i2 T S p1 o2 i5 T S p2"));
    CLIENT(a, f);
    SetSequenceSteps(*f, "1:1:5,2:2:5");
    QVERIFY(f->click("PresetSeqStartButton"));
    QTRY_VERIFY2(f->commands().contains("RPRST 2 0"), qPrintable(f->commands().join('|') + StatusText(*f)));
    // Updates of the steps come and go meanwhile; the lock is read from the console.
    a.send("VIDEO OUTPUT LOCKS:\n1 O\n\n");
    QTRY_VERIFY(!f->form().core().holds().lockOwner(1).isEmpty());
    const QString owner = f->form().core().holds().lockOwner(1);
    QTRY_VERIFY(StatusText(*f).startsWith("Sequence step "));
    QVERIFY2(StatusText(*f).endsWith(" skipped: output(s) 2 locked by remote client " + owner),
             qPrintable(StatusText(*f)));
    // Output 2 stays where it is; the step that leaves it there still runs.
    const QString held = f->emuState("routes").section(',', 1, 1);
    f->clearWire();
    QTest::qWait(20 * f->form().timeouts().SeqSecondMs); // several steps
    QVERIFY(f->form().core().sequencer().running());
    QCOMPARE(f->emuState("routes").section(',', 1, 1), held);
    const QStringList recalls = f->commands().filter("RPRST");
    QVERIFY(!recalls.isEmpty());
    QCOMPARE(QSet<QString>(recalls.begin(), recalls.end()).size(), 1);
    QVERIFY(f->dialogs.texts().isEmpty());
    a.send("VIDEO OUTPUT LOCKS:\n1 U\n\n");
    QTRY_VERIFY(f->emuState("routes").section(',', 1, 1) != held);
    QVERIFY(f->click("PresetSeqStopButton"));
}

void tst_Remote::protectShowsAsLock()
{
    SERVING(f);
    CLIENT(c, f);
    f->form().core().holds().protects().setProtected(4, true);
    QCOMPARE(c.next(), QByteArray("VIDEO OUTPUT LOCKS:\n4 L\n\n"));
    for (const QByteArray &request : {QByteArray("VIDEO OUTPUT LOCKS:\n4 O\n\n"),
                                      QByteArray("VIDEO OUTPUT LOCKS:\n4 F\n\n"),
                                      QByteArray("VIDEO OUTPUT ROUTING:\n4 1\n\n")}) {
        c.send(request);
        QCOMPARE(c.next(), QByteArray("NAK\n\n"));
    }
    f->form().core().holds().protects().setProtected(4, false);
    QCOMPARE(c.next(), QByteArray("VIDEO OUTPUT LOCKS:\n4 U\n\n"));
    QCOMPARE(f->commands(), QStringList{});
}

void tst_Remote::labelsBothWays()
{
    SERVING(f);
    CLIENT(a, f);
    CLIENT(b, f);
    // Six characters at most, as the edit takes them; every client hears what was stored.
    a.send("INPUT LABELS:\n0 CAMERA ONE\n2 VT\n\n");
    QCOMPARE(a.next(2), QByteArray("ACK\n\nINPUT LABELS:\n0 CAMERA\n2 VT\n\n"));
    QCOMPARE(b.next(), QByteArray("INPUT LABELS:\n0 CAMERA\n2 VT\n\n"));
    QCOMPARE(f->text("InputLabelEdit1"), "CAMERA");
    QCOMPARE(f->text("InputButton1"), "CAMERA");
    QCOMPARE(f->text("GroupInputButton3"), "VT");
    b.send("OUTPUT LABELS:\n7 MON\n\n");
    QCOMPARE(b.next(2), QByteArray("ACK\n\nOUTPUT LABELS:\n7 MON\n\n"));
    QCOMPARE(a.next(), QByteArray("OUTPUT LABELS:\n7 MON\n\n"));
    QCOMPARE(f->text("OutputButton8"), "MON");
    QCOMPARE(f->commands(), QStringList{});

    // The operator's typing, and a Reset.
    f->form().show();
    TypeLabel(*f, "OutputLabelEdit2", "STUDIO");
    QCOMPARE(a.next(), QByteArray("OUTPUT LABELS:\n1 STUDIO\n\n"));
    QVERIFY(f->click("ResetInputLabelsButton"));
    QCOMPARE(b.next(2), QByteArray("OUTPUT LABELS:\n1 STUDIO\n\nINPUT LABELS:\n0 1\n2 3\n\n"));
}

void tst_Remote::updatesForEveryKindOfChange()
{
    SERVING(f);
    QList<std::shared_ptr<HubClient>> clients;
    for (int k = 0; k < 3; ++k) {
        clients << std::make_shared<HubClient>();
        QVERIFY(clients.last()->connectTo(PortOf(*f)));
    }
    auto everyoneGets = [&](const QByteArray &text) {
        for (auto &c : clients)
            if (c->next() != text)
                return false;
        return true;
    };
    const QString config = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                               .filePath("remote_updates.kvc");

    QVERIFY(Operate(*f, "o1 i3 o2 i4 T"));
    QVERIFY(everyoneGets("VIDEO OUTPUT ROUTING:\n0 2\n1 3\n\n"));
    QVERIFY(Operate(*f, "S p1"));
    f->dialogs.nextFileName(config);
    QVERIFY(f->click("SaveConfigurationtoFile1"));
    QVERIFY(Operate(*f, "o1 i5 T"));
    QVERIFY(everyoneGets("VIDEO OUTPUT ROUTING:\n0 4\n\n"));

    // A preset confirmed, a sequence step, a configuration file, a status read.
    QVERIFY(Operate(*f, "R p1 OK"));
    QVERIFY(everyoneGets("VIDEO OUTPUT ROUTING:\n0 2\n\n"));
    QVERIFY(Operate(*f, "o1 i6 T"));
    QVERIFY(everyoneGets("VIDEO OUTPUT ROUTING:\n0 5\n\n"));
    SetSequenceSteps(*f, "1:1:5");
    QVERIFY(f->click("PresetSeqStartButton"));
    QVERIFY(everyoneGets("VIDEO OUTPUT ROUTING:\n0 2\n\n"));
    QVERIFY(f->click("PresetSeqStopButton"));
    QVERIFY(Operate(*f, "o1 i8 T"));
    QVERIFY(everyoneGets("VIDEO OUTPUT ROUTING:\n0 7\n\n"));
    f->dialogs.nextFileName(config);
    QVERIFY(f->click("OpenConfigurationFile1"));
    QVERIFY(everyoneGets("VIDEO OUTPUT ROUTING:\n0 2\n\n")); // the file's, not yet the switcher's
    f->readAll();
    QVERIFY(everyoneGets("VIDEO OUTPUT ROUTING:\n0 7\n\n"));
    // A remote client's route reaches the others.
    clients[0]->send("VIDEO OUTPUT ROUTING:\n1 0\n\n");
    QCOMPARE(clients[0]->next(), QByteArray("ACK\n\n"));
    QVERIFY(everyoneGets("VIDEO OUTPUT ROUTING:\n1 0\n\n"));
    // The link going down: the device block and the rest again, without the preamble.
    QVERIFY(f->click("DisconnectSerialCommunication1"));
    for (auto &c : clients) {
        const QByteArray again = c->next(7);
        QVERIFY2(again.startsWith("VIDEOHUB DEVICE:\nDevice present: false\n"), again.constData());
        QVERIFY(again.endsWith("END PRELUDE:\n\n"));
    }
    QFile::remove(config);
}

QTEST_MAIN(tst_Remote)
#include "tst_remote.moc"
