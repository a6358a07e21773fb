// The console goes on serving while the switcher is slow or silent: clients get their answers
// and the window repaints while an exchange waits, and nothing else gets through the gate.

#include "ConsoleFixture.h"
#include "HubClient.h"
#include "RemoteSteps.h"
#include "RouteTestSteps.h"

#include "config/RouteLogFile.h"
#include "control/Core.h"
#include "ui/Dialogs.h"

#include <QTimer>
#include <QtTest>
#include <memory>

using namespace kv;
using namespace kv::test;

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class tst_Serving : public QObject {
    Q_OBJECT
private slots:
    void init() { FreshRouteLogFolder(); }
    void servedWhileTheSwitcherWaits_data();
    void servedWhileTheSwitcherWaits();
    void unattendedBoxAnswersItself();
};

void tst_Serving::servedWhileTheSwitcherWaits_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("clients");
    QTest::addColumn<bool>("operatorStarts"); // else the first client's route does
    // A route asked for while the operator's own waits for Take is refused, as always.
    QTest::addColumn<QString>("routeAnswer");
    QTest::newRow("pty: silent, 2 clients, operator") << "pty" << "silence:RTEMP@1" << 2 << true << "NAK";
    QTest::newRow("pty: silent, 8 clients, remote") << "pty" << "silence:RTEMP@1" << 8 << false << "ACK";
    QTest::newRow("pty: slow, 3 clients, remote") << "pty" << "delay:RTEMP=300" << 3 << false << "ACK";
    QTest::newRow("tcp: silent, 2 clients, remote") << "tcp" << "silence:RTEMP@1" << 2 << false << "ACK";
    QTest::newRow("tcp: slow, 8 clients, operator") << "tcp" << "delay:RTEMP=300" << 8 << true << "NAK";
}

// While a command waits on the switcher, every client's PING is answered at once and a route
// another client asks for is answered too; an acknowledged one is held, to go on the wire
// only after that exchange has ended.
void tst_Serving::servedWhileTheSwitcherWaits()
{
    QFETCH(QString, link);
    QFETCH(QString, fault);
    QFETCH(int, clients);
    QFETCH(bool, operatorStarts);
    QFETCH(QString, routeAnswer);
    SERVING(f, link);
    std::vector<std::unique_ptr<HubClient>> cs;
    for (int k = 0; k < clients; ++k) {
        cs.push_back(std::make_unique<HubClient>());
        QVERIFY(cs.back()->connectTo(PortOf(*f)));
    }
    QCOMPARE(f->emu().sendControl("fault " + fault), QString("ok"));
    const CommandChannel &channel = f->form().core().channel();
    PaintCounter painted;
    f->form().installEventFilter(&painted);

    HubClient &starter = *cs[0];
    HubClient &asker = *cs[1];
    f->form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&f->form()));
    QStringList answers;
    bool done = false, inside = false;
    int paintsInside = 0;
    QTimer::singleShot(20, [&] {
        done = true;
        if (!channel.exchangeInProgress())
            return;
        f->form().update();
        for (auto &c : cs)
            c->send("PING:\n\n");
        asker.send("VIDEO OUTPUT ROUTING:\n4 5\n\n");
        for (auto &c : cs)
            answers << QString::fromLatin1(c->next(&c == &cs[0] && !operatorStarts ? 2 : 1, 250));
        answers << QString::fromLatin1(asker.next(1, 250));
        paintsInside = painted.paints;
        inside = channel.exchangeInProgress();
        f->emu().sendControl("clear-faults");
    });
    if (operatorStarts)
        QVERIFY(Operate(*f, "o1 i3"));
    else
        starter.send("VIDEO OUTPUT ROUTING:\n0 2\n\n");
    QTRY_VERIFY(done);

    QVERIFY2(inside, "the answers came only after the exchange");
    QStringList expected(clients, "ACK\n\n");
    if (!operatorStarts)
        expected[0] = "ACK\n\nACK\n\n"; // its route's, then its PING's
    expected << routeAnswer + "\n\n";
    QCOMPARE(answers, expected);
    QVERIFY(paintsInside > 0);
    QCOMPARE(f->wire().value(0), QString("RTEMP 1 3"));
    if (routeAnswer == "ACK") {
        QTRY_VERIFY(f->wire().contains("RTEMP 5 6"));
        QVERIFY(f->wire().indexOf("RTEMP 5 6") > f->wire().indexOf("TAKE 1"));
    }
}

// Nobody is at the console and the switcher falls silent under a client's salvo: the retry
// box answers itself with Cancel, the route log says so, and a route another client asked
// for meanwhile is refused with what its output still carries, never sent.
void tst_Serving::unattendedBoxAnswersItself()
{
    SERVING(f, "pty");
    QVERIFY(Operate(*f, "o5 i2 T"));
    HubClient starter, asker;
    QVERIFY(starter.connectTo(PortOf(*f)));
    QVERIFY(asker.connectTo(PortOf(*f)));
    Dialogs::install(nullptr); // the real boxes
    f->form().runUnattended(300);
    QCOMPARE(f->emu().sendControl("fault silence"), QString("ok"));

    // Read as it comes, never waited for: a wait here would hold the exchange's own.
    QByteArray heard;
    bool refusedInside = false;
    QTimer listen;
    QObject::connect(&listen, &QTimer::timeout, [&] {
        heard += asker.socket().readAll();
        if (heard.contains("ROUTING") && !refusedInside)
            refusedInside = f->form().core().channel().exchangeInProgress();
    });
    listen.start(10);
    QTimer::singleShot(50, [&] { asker.send("VIDEO OUTPUT ROUTING:\n4 5\n\n"); });
    starter.send("VIDEO OUTPUT ROUTING:\n0 2\n\n");
    QTRY_VERIFY2_WITH_TIMEOUT(heard.contains("ROUTING"), heard.constData(), 10000);
    f->emu().sendControl("clear-faults");
    Dialogs::answerUnattendedAfter(0, {});
    Dialogs::install(&f->dialogs);

    QVERIFY(refusedInside);
    QCOMPARE(heard, QByteArray("ACK\n\nVIDEO OUTPUT ROUTING:\n4 1\n\n"));
    QVERIFY(!f->wire().contains("RTEMP 5 6"));
    QFile log(DefaultRouteLogFolder() + "/" + RouteLogFileName(QDate::currentDate()));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray lines = log.readAll();
    QVERIFY2(lines.contains(",unattended,\"remote 127.0.0.1: \"\"COM Port error\"\" answered Cancel\""),
             lines.constData());
}

QTEST_MAIN(tst_Serving)
#include "tst_serving.moc"
