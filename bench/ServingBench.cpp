// The remote-control server while the switcher is slow or silent: a client's PING while
// another client's route waits on a silent switcher, and a client's route while another
// bursts 500. Clients run on threads of their own, so that their clocks keep running
// whatever holds up the console's thread.

#include "ConsoleBench.h"
#include "ThreadClient.h"

#include "remote/RemoteServer.h"

#include <QApplication>
#include <memory>

namespace kv::bench {

namespace {

constexpr int kReplyBytes = 7; // the switcher's answer to a command, CR LF "#" included
constexpr int kBurst = 500;

double MsBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Events until done() or the deadline; one turn may itself take as long as an exchange.
void PumpUntil(const std::function<bool()> &done, int ms)
{
    const auto start = Clock::now();
    while (!done() && MsBetween(start, Clock::now()) < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool BothReady(ThreadClient &a, ThreadClient &b)
{
    PumpUntil([&] { return (a.ready() && b.ready()) || a.failed() || b.failed(); }, 5000);
    return a.ready() && b.ready();
}

// A route as the switcher sees it: RTEMP o i and TAKE 1, each with its answer.
double RouteLineMs(int output, int input)
{
    const qsizetype rtemp = QStringLiteral("RTEMP %1 %2").arg(output).arg(input).size() + 1;
    const qsizetype take = QByteArray("TAKE 1").size() + 1;
    return double(rtemp + take + 2 * kReplyBytes) * kByteMs;
}

} // namespace

void ConsoleBench::measureServing(int silentRuns, int bursts)
{
    RemoteServer *server = m_form->remoteServer();
    if (!server->listen(QHostAddress::LocalHost, 0))
        return;
    settle();
    const quint16 port = server->port();

    // A PING while another client's route waits on the silent switcher. The switcher speaks
    // again once the console has given up on it and asks the operator: the console holds
    // on to the silent switcher for one whole exchange, its tries and probe included.
    m_dialogs.asked = [this](const QString &text) {
        if (text.contains(QLatin1String("COM Port communication")))
            m_emu.control(QStringLiteral("clear-faults"));
    };
    Samples ping;
    int unanswered = 0;
    for (int k = 0; k < silentRuns; ++k) {
        ThreadClient router(port), pinger(port);
        if (!BothReady(router, pinger)) {
            ++unanswered;
            continue;
        }
        m_emu.takeLines();
        m_emu.control(QStringLiteral("fault silence"));
        router.send(QStringLiteral("VIDEO OUTPUT ROUTING:\n4 %1\n\n").arg(k % 2 + 2).toLatin1());
        // Once the route is on the wire (and the console waits for its answer).
        pinger.send("PING:\n\n", [&] { return router.count("ACK") > 0 && m_emu.lineCount() > 0; });
        auto answered = [&] { return pinger.count("ACK") > 0; };
        const auto start = Clock::now();
        // The console's thread may be held here for as long as the switcher's waits last.
        PumpUntil([&] { return answered() || MsBetween(start, Clock::now()) > 40000; }, 40000);
        m_emu.control(QStringLiteral("clear-faults"));
        if (answered() && pinger.sent()) {
            ping.add(MsBetween(pinger.sentAt(), pinger.arrivals().constFirst().at));
        } else {
            ++unanswered;
        }
        // The route's own waits run out before the next run.
        PumpUntil([] { return false; }, 300);
        settle();
        m_emu.takeLines();
    }
    m_dialogs.asked = {};
    m_dialogs.texts.clear(); // the retry box the silent switcher brought up
    m_table.add({QStringLiteral("PING while another client's route waits on a silent switcher "
                                "(median / worst of %1)")
                     .arg(ping.count()),
                 ping.count() ? Ms(ping.median()) + QStringLiteral(" / ") + Ms(ping.worst())
                              : QStringLiteral("none answered"),
                 QStringLiteral("silent until the retry box: 3 tries of %1 and a probe%2")
                     .arg(Ms(m_form->timeouts().ticksToMs(m_form->timeouts().NormalTicks)),
                          unanswered ? QStringLiteral("; %1 unanswered within 40 s").arg(unanswered)
                                     : QString()),
                 QString(), QStringLiteral("worst <= 100 ms"),
                 unanswered == 0 && ping.count() > 0 && ping.worst() <= 100});

    // A route while another client bursts 500 in one write.
    Samples took, ahead;
    int lost = 0;
    // Every request's route and the burst's are of one length each.
    const double limit = RouteLineMs(12, 10) + RouteLineMs(8, 8);
    for (int k = 0; k < bursts; ++k) {
        ThreadClient burster(port), router(port);
        if (!BothReady(burster, router)) {
            ++lost;
            continue;
        }
        settle();
        m_emu.takeLines();
        QByteArray burst;
        for (int n = 0; n < kBurst; ++n)
            burst += QStringLiteral("VIDEO OUTPUT ROUTING:\n%1 %2\n\n")
                         .arg(n % 8)
                         .arg((n + k) % 8)
                         .toLatin1();
        const int input = 10 + k % 4; // output 12, an input no burst route uses
        burster.send(burst);
        router.send(QStringLiteral("VIDEO OUTPUT ROUTING:\n11 %1\n\n").arg(input - 1).toLatin1(),
                    [&] { return burster.count("ACK") > 0 && m_emu.lineCount() > 0; });
        auto answers = [&] { return burster.count("ACK") + burster.count("NAK"); };
        const auto start = Clock::now();
        int lines = -1;
        // Until the burst is answered and its routes have left the wire.
        PumpUntil(
            [&] {
                if (MsBetween(start, Clock::now()) < 200 || answers() < kBurst ||
                    router.count("ACK") == 0)
                    return false;
                const int now = m_emu.lineCount();
                const bool quiet = now == lines;
                lines = now;
                return quiet;
            },
            15000);
        const QList<WireLine> wire = m_emu.takeLines();
        const QByteArray rtemp = QStringLiteral("RTEMP 12 %1").arg(input).toLatin1();
        qsizetype at = -1;
        for (qsizetype n = 0; n < wire.size() && at < 0; ++n)
            if (wire[n].line == rtemp)
                at = n;
        while (at >= 0 && at < wire.size() && wire[at].line != "TAKE 1")
            ++at;
        if (at < 0 || at >= wire.size() || !router.sent()) {
            ++lost;
            continue;
        }
        took.add(MsBetween(router.sentAt(), wire[at].at));
        // The burst's routes that reached the switcher after the request and before it.
        int before = 0;
        for (qsizetype n = 0; n < at; ++n)
            before += wire[n].at > router.sentAt() && wire[n].line.startsWith("RTEMP ") &&
                              wire[n].line != rtemp
                          ? 1
                          : 0;
        ahead.add(before);
        // Updates the burst left queued run before the next.
        PumpUntil([] { return false; }, 100);
    }
    server->stop();
    settle();
    m_table.add({QStringLiteral("remote route while another client bursts %1: request -> last "
                                "byte of TAKE 1 (of %2)")
                     .arg(kBurst)
                     .arg(took.count()),
                 took.count() ? Ms(took.median()) + QStringLiteral(" / ") + Ms(took.worst())
                              : QStringLiteral("none on the wire"),
                 QStringLiteral("line time %1: its route %2 + one of the burst's %3; the burst's "
                                "routes on the wire before it: %4 median, %5 worst%6")
                     .arg(Ms(limit), Ms(RouteLineMs(12, 10)), Ms(RouteLineMs(8, 8)))
                     .arg(ahead.median())
                     .arg(ahead.worst())
                     .arg(lost ? QStringLiteral("; %1 not on the wire").arg(lost) : QString()),
                 took.count() ? Signed(took.worst() - limit) : QString(),
                 QStringLiteral("worst <= that line time"),
                 lost == 0 && took.count() > 0 && took.worst() <= limit});
}

} // namespace kv::bench
