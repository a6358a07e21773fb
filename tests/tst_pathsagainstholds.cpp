// Every way of committing a route change, against every hold that may stand in its way, one
// row each, against kvemu. After every row the console, its route log, a remote client and
// the switcher must tell the same routes on air, and the console's groups and presets must
// be the switcher's.
//
// The starting point of every row: outputs 1 and 2 on air on inputs 4 and 5; preset 1 holds
// 1 and 2 there, preset 2 holds 4 and 5; the last take moved 1 to 4 and 2 to 5, so an undo
// moves both back. Every path moves output 2, the held one.

#include "EmuChecks.h"
#include "HubClient.h"
#include "RemoteSteps.h"

#include "control/CommitPath.h"

#include <QMap>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QtTest>

using namespace kv;
using namespace kv::test;

namespace {

// What the path prepares before the hold is taken, and what it then does; "sequence" and
// "salvo" are run by the test itself.
struct Path {
    QString before;
    QString act;
};
const QMap<QString, Path> kPaths = {
    {"click", {"", "o2 i3"}},          {"Take", {"o2 i3", "T"}},
    {"Cancel", {"o2 i3", "C"}},        {"Confirm", {"", "R p1 OK"}},
    {"preview Take", {"", "R p1 T"}},  {"Save", {"o2 i3", "S p2"}},
    {"Clear All", {"", "X"}},          {"sequence", {"", ""}},
    {"undo", {"", "Z T"}},             {"salvo", {"", ""}},
};

// The input on air per output (0-based, -1 none) as each view tells it.
QList<int> OnAirOfConsole(ConsoleFixture &f)
{
    const MatrixState &s = f.state();
    QList<int> out;
    for (int o = 0; o < OutputsOf(s); ++o) {
        const int i = OnAirInput(s, o);
        out << (i == UNASSIGNED ? -1 : i);
    }
    return out;
}

QList<int> OnAirOfJournal(int outputs)
{
    QList<int> out(outputs, -1);
    for (const QString &line : JournalLines(DefaultRouteLogFolder())) {
        const QStringList part = line.split(',');
        const int o = part.value(0).toInt() - 1;
        if (part.value(3) == "taken" && o >= 0 && o < outputs)
            out[o] = part.value(2).isEmpty() ? -1 : part.value(2).toInt() - 1;
    }
    return out;
}

QList<int> OnAirOfSwitcher(ConsoleFixture &f)
{
    QList<int> out;
    for (const QString &r : f.emuState("routes").split(',')) {
        const QString onAir = r.contains('*') ? r.section('*', 1) : r;
        out << (onAir == "-" ? -1 : onAir.toInt() - 1);
    }
    return out.mid(0, OutputsOf(f.state()));
}

// A client's view: the dump's routing, moved on by every routing block the server sent since.
class Watcher {
public:
    bool connectTo(quint16 port)
    {
        if (!m_client.connectTo(port))
            return false;
        take(m_client.dump());
        return true;
    }
    QList<int> onAir(int outputs)
    {
        for (QByteArray b = m_client.next(1, 0); !b.isEmpty(); b = m_client.next(1, 0))
            take(b);
        QList<int> out(outputs, -1);
        for (auto it = m_routes.cbegin(); it != m_routes.cend(); ++it)
            if (it.key() >= 0 && it.key() < outputs)
                out[it.key()] = it.value();
        return out;
    }

private:
    void take(const QByteArray &text)
    {
        bool routing = false;
        for (const QByteArray &line : text.split('\n')) {
            if (line.endsWith(':'))
                routing = line == "VIDEO OUTPUT ROUTING:";
            else if (routing && !line.isEmpty())
                m_routes[line.split(' ').value(0).toInt()] = line.split(' ').value(1).toInt();
        }
    }
    HubClient m_client;
    QMap<int, int> m_routes;
};

// The inputs of every stored preset, "1:1,2,-,..."; a preset keeps no pending state worth
// comparing.
QStringList PresetInputs(const MatrixState &s)
{
    QStringList out;
    for (int p = 0; p < kPresetCount; ++p) {
        if (!s.Presets[p].Stored)
            continue;
        QStringList inputs;
        for (int o = 0; o < OutputsOf(s); ++o) {
            const int i = s.Presets[p].Routes[o].Input;
            inputs << (i == UNASSIGNED ? QString("-") : QString::number(i + 1));
        }
        out << QString::number(p + 1) + ":" + inputs.join(',');
    }
    return out;
}

// Empty when the four views agree, else what each says.
QString Disagreement(ConsoleFixture &f, Watcher &w)
{
    const int outputs = OutputsOf(f.state());
    const QList<int> console = OnAirOfConsole(f), journal = OnAirOfJournal(outputs),
                     emu = OnAirOfSwitcher(f);
    QList<int> client = w.onAir(outputs);
    // The protocol has no line for an output on no input: the client keeps what it had.
    for (int o = 0; o < outputs; ++o)
        if (console[o] < 0)
            client[o] = -1;
    if (console == journal && console == client && console == emu)
        return {};
    auto text = [](const QList<int> &l) {
        QStringList s;
        for (int i : l)
            s << (i < 0 ? QString("-") : QString::number(i + 1));
        return s.join(',');
    };
    return QString("console %1, route log %2, client %3, switcher %4")
        .arg(text(console), text(journal), text(client), text(emu));
}

} // namespace

class TestPathsAgainstHolds : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        FreshRouteLogFolder();
        QSettings(kSettingsOrganization, kSettingsApplication).clear();
    }
    void everyPathAgainstEveryHold_data();
    void everyPathAgainstEveryHold();
};

void TestPathsAgainstHolds::everyPathAgainstEveryHold_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("hold");
    QTest::addColumn<QString>("answer");
    // A question asked (ends in "?"), the status text, or the salvo's answer; empty: none.
    QTest::addColumn<QString>("said");
    // kvemu's routes of outputs 1 to 3 afterwards: input, or "pending*on air".
    QTest::addColumn<QString>("routes");

    const QString locked = "would change output(s) 2 locked by remote client %L. Force the "
                           "lock(s) free?";
    const QString elsewhere = "The switcher holds temporary routes made elsewhere on outputs 3. ";
    auto row = [](const QString &path, const QString &hold, const QString &answer,
                  const QString &said, const QString &routes) {
        QTest::newRow(qPrintable(path + " / " + hold + (answer.isEmpty() ? "" : " / " + answer)))
            << path << hold << answer << said << routes;
    };
    // Where the operator is asked, both answers.
    auto asked = [&](const QString &path, const QString &hold, const QString &said,
                     const QString &yes, const QString &no) {
        row(path, hold, "Yes", said, yes);
        row(path, hold, "No", said, no);
    };

    row("click", "protect", "", "Output 2 is protected", "4,5,-");
    row("click", "lock", "", "Output 2 is locked by remote client %L", "4,5,-");
    row("click", "group", "", "", "4,5,-");
    row("click", "elsewhere", "", "", "4,3*5,6*-");
    row("click", "undo", "", "", "4,3*5,-");
    row("click", "preview", "", "", "4,5,-");

    asked("Take", "protect", "Take would change protected output(s) 2. Take it anyway?", "4,3,-",
          "4,3*5,-");
    asked("Take", "lock", "Take " + locked, "4,3,-", "4,3*5,-");
    row("Take", "group", "", "", "4,3,-");
    asked("Take", "elsewhere", elsewhere + "Take commits them too. Take anyway?", "4,3,6",
          "4,3*5,6*-");
    row("Take", "undo", "", "", "1,3,-");
    row("Take", "preview", "", "", "1,2,-");

    for (const char *hold : {"protect", "lock", "group", "elsewhere", "undo"})
        row("Cancel", hold, "", "", "4,5,-");
    row("Cancel", "preview", "", "", "4,3*5,-");

    for (const char *path : {"Confirm", "preview Take"}) {
        asked(path, "protect", "Preset 1 would change protected output(s) 2. Recall it anyway?",
              "1,2,-", "4,5,-");
        asked(path, "lock", "Preset 1 " + locked, "1,2,-", "4,5,-");
        for (const char *hold : {"group", "elsewhere", "undo", "preview"})
            row(path, hold, "", "", "1,2,-");
    }

    asked("Save", "protect", "Saving preset 2 would change protected output(s) 2. Save it anyway?",
          "4,3,-", "4,3*5,-");
    asked("Save", "lock", "Saving preset 2 " + locked, "4,3,-", "4,3*5,-");
    row("Save", "group", "", "", "4,3,-");
    asked("Save", "elsewhere", elsewhere + "Saving preset 2 commits them too. Save anyway?",
          "4,3,6", "4,3*5,6*-");
    row("Save", "undo", "", "Take or Cancel the pending change first", "4,3*5,-");
    row("Save", "preview", "", "", "4,3*5,-");

    row("Clear All", "protect", "", "All routing cleared except protected output(s) 2", "-,5,-");
    row("Clear All", "lock", "", "All routing cleared except protected or locked output(s) 2",
        "-,5,-");
    row("Clear All", "group", "", "", "-,-,-");
    asked("Clear All", "elsewhere",
          elsewhere + "Clear All Routing commits them too. Clear anyway?", "-,-,-", "4,5,6*-");
    row("Clear All", "undo", "", "", "-,-,-");
    row("Clear All", "preview", "", "", "-,-,-");

    row("sequence", "protect", "", "Sequence step 2 skipped: output(s) 2 protected", "4,5,-");
    row("sequence", "lock", "", "Sequence step 2 skipped: output(s) 2 locked by remote client %L",
        "4,5,-");
    for (const char *hold : {"group", "elsewhere", "undo", "preview"})
        row("sequence", hold, "", "", "1,2,-");

    asked("undo", "protect", "The undo would change protected output(s) 2. Take it anyway?",
          "1,2,-", "4,5,-");
    asked("undo", "lock", "The undo " + locked, "1,2,-", "4,5,-");
    row("undo", "group", "", "Input 2 is not in the group of output 2", "4,5,-");
    asked("undo", "elsewhere", elsewhere + "The undo commits them too. Take anyway?", "1,2,6",
          "4,5,6*-");
    row("undo", "undo", "", "", "1,2,-");
    row("undo", "preview", "", "", "1,2,-");

    for (const char *hold : {"protect", "lock", "group", "undo", "preview"})
        row("salvo", hold, "", "NAK", "4,5,-");
    row("salvo", "elsewhere", "", "ACK", "4,3,6");
}

void TestPathsAgainstHolds::everyPathAgainstEveryHold()
{
    QFETCH(QString, path);
    QFETCH(QString, hold);
    QFETCH(QString, answer);
    QFETCH(QString, said);
    QFETCH(QString, routes);
    SERVING(f);
    QVERIFY(Operate(*f, "o1 i1 o2 i2 T S p1 o1 i4 o2 i5 T S p2 C"));
    QCOMPARE(f->emuState("routes").section(',', 0, 2), "4,5,-");
    Watcher watcher;
    QVERIFY(watcher.connectTo(PortOf(*f)));
    HubClient locker, sender;
    QString owner;

    auto takeHold = [&] {
        if (hold == "protect") {
            f->form().core().holds().protects().setProtected(1, true);
        } else if (hold == "lock") {
            QVERIFY(locker.connectTo(PortOf(*f)));
            locker.send("VIDEO OUTPUT LOCKS:\n1 O\n\n");
            QTRY_VERIFY(!f->form().core().holds().lockOwner(1).isEmpty());
            owner = f->form().core().holds().lockOwner(1);
        } else if (hold == "group") {
            // Output 2 may take input 6 alone.
            QVERIFY(Operate(*f, "g1 go2 gi6"));
        } else if (hold == "elsewhere") {
            f->form().followForThisRun();
            QCOMPARE(f->emu().sendControl("panel temp 3 6"), "ok");
            QTRY_COMPARE(f->form().core().commits().madeElsewhere(), QList<int>{2});
        } else if (hold == "undo") {
            QVERIFY(Operate(*f, "Z"));
        } else if (hold == "preview") {
            QVERIFY(Operate(*f, "R p1"));
        }
    };

    QString reply;
    QSignalSpy statuses(f->find<QStatusBar>("MainStatusBar"), &QStatusBar::messageChanged);
    if (path == "sequence") {
        // The hold comes while the run goes on, between its first step and its second.
        SetSequenceSteps(*f, "1:2:50,2:1:50");
        QVERIFY(f->click("PresetSeqStartButton"));
        QTRY_VERIFY(f->commands().contains("RPRST 2 0"));
        takeHold();
        f->clearWire();
        f->dialogs.clear();
        statuses.clear();
        QTRY_VERIFY(StatusText(*f).startsWith("Sequence step 2") ||
                    f->commands().contains("RPRST 1 0"));
        QVERIFY(f->click("PresetSeqStopButton"));
    } else {
        // A temporary route made elsewhere, and an undo shown, come before the path's own
        // pending route; the others after it.
        const bool first = hold == "elsewhere" || hold == "undo";
        if (first)
            takeHold();
        QVERIFY(Operate(*f, kPaths.value(path).before));
        if (!first)
            takeHold();
        f->clearWire();
        f->dialogs.clear();
        statuses.clear();
        if (answer == "Yes")
            f->dialogs.answer(Dialogs::Answer::Yes);
        else if (answer == "No")
            f->dialogs.answer(Dialogs::Answer::No);
        if (path == "salvo") {
            QVERIFY(sender.connectTo(PortOf(*f)));
            sender.send("VIDEO OUTPUT ROUTING:\n1 2\n\n");
            reply = QString::fromLatin1(sender.next()).trimmed();
        } else {
            // A step whose control is disabled is refused as the operator would find it.
            Operate(*f, kPaths.value(path).act);
        }
    }

    said.replace("%L", owner);
    if (said.endsWith('?')) {
        QCOMPARE(f->dialogs.texts(), QStringList{said});
    } else {
        QCOMPARE(f->dialogs.texts(), QStringList{});
        if (said == "ACK" || said == "NAK")
            QCOMPARE(reply, said);
        else if (!said.isEmpty())
            QVERIFY2(statuses.contains({said}), qPrintable(StatusText(*f)));
    }
    // A click withdraws a preview as Cancel does, and routes nothing.
    if (path == "click" && hold == "preview") {
        QCOMPARE(f->state().PresetPreviewPending, 0);
        QCOMPARE(f->commands(), QStringList{});
    }
    QTRY_COMPARE(f->emuState("routes").section(',', 0, 2), routes);
    QTRY_VERIFY2(Disagreement(*f, watcher).isEmpty(), qPrintable(Disagreement(*f, watcher)));
    // A preview shows its preset's groups; otherwise the groups are the switcher's.
    if (f->state().PresetPreviewPending == 0)
        QCOMPARE(GroupsText(f->state().Groups), f->emuState("groups"));
    // The presets held here are the switcher's, as a read brings them.
    const QStringList presets = PresetInputs(f->state());
    f->readAll();
    QCOMPARE(PresetInputs(f->state()), presets);
}

QTEST_MAIN(TestPathsAgainstHolds)
#include "tst_pathsagainstholds.moc"
