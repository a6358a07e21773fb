// kvsoak: kvconsole run as an operator would leave it on a rack machine (offscreen,
// --connect serial, --follow, --control-port), against kvemu on a pty paced at 57600 baud,
// for a while: four clients sending random routes, locks, labels and PINGs, kvemu's front
// panel routing, and windows in which the switcher is silent or slow. Then everything stops,
// and what the console, each client, kvemu and the route log hold must agree.
//
//   kvsoak [SECONDS] [--seed N] [--keep]    (scripts/soak.sh builds it and runs it)
//
// Exit status 0 when every invariant holds, 1 when one does not, 2 when it could not run.

#include "../Processes.h"
#include "Inspect.h"
#include "SoakClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace kv::soak;
using kv::bench::FreeLoopbackPort;
using kv::bench::StopProcess;

namespace {

constexpr int kClients = 4;
constexpr double kRssGoalMb = 32;
constexpr int kFdSlack = 16; // the clients' sockets and what Qt opens on the way

void Spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool SpinUntil(const std::function<bool()> &done, int ms)
{
    const QDeadlineTimer deadline(ms);
    for (;;) {
        if (done())
            return true;
        if (deadline.hasExpired())
            return false;
        Spin(20);
    }
}

// kvemu with its control commands on standard input, one answer line each.
class Emu {
public:
    bool start(const QString &program, const QStringList &args)
    {
        m_p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_p.start(program, args);
        return SpinUntil([&] { return line().startsWith("ready"); }, 20000);
    }
    QString control(const QString &command)
    {
        m_p.write(command.toUtf8() + '\n');
        QString answer;
        SpinUntil(
            [&] {
                answer = line();
                return !answer.isEmpty() || m_p.state() == QProcess::NotRunning;
            },
            5000);
        return answer;
    }
    bool running() const { return m_p.state() == QProcess::Running; }
    QProcess &process() { return m_p; }

private:
    QString line()
    {
        m_out += m_p.readAllStandardOutput();
        const qsizetype nl = m_out.indexOf('\n');
        if (nl < 0)
            return {};
        const QString l = QString::fromUtf8(m_out.left(nl)).trimmed();
        m_out.remove(0, nl + 1);
        return l;
    }
    QProcess m_p;
    QByteArray m_out;
};

struct Verdicts {
    int failed = 0;
    void check(bool ok, const QString &what, const QString &detail = {})
    {
        failed += ok ? 0 : 1;
        std::printf("%s  %s%s\n", ok ? "PASS" : "FAIL", qPrintable(what),
                    detail.isEmpty() ? "" : qPrintable(QStringLiteral(": ") + detail));
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int seconds = 300;
    quint32 seed = QRandomGenerator::global()->generate() % 100000;
    bool keep = false;
    const QStringList args = app.arguments().mid(1);
    for (int k = 0; k < args.size(); ++k) {
        if (args[k] == QLatin1String("--seed") && k + 1 < args.size())
            seed = args[++k].toUInt();
        else if (args[k] == QLatin1String("--keep"))
            keep = true;
        else if (args[k].toInt() > 0)
            seconds = args[k].toInt();
        else {
            std::fprintf(stderr, "usage: kvsoak [SECONDS] [--seed N] [--keep]\n");
            return 2;
        }
    }
    QRandomGenerator random(seed);
    QTemporaryDir dir;
    dir.setAutoRemove(!keep);
    const QString link = dir.filePath(QStringLiteral("ttyKVsoak"));
    const QString log = dir.filePath(QStringLiteral("kvemu.log"));
    const QString dataDir = dir.filePath(QStringLiteral("data"));
    std::printf("kvsoak: %d s, seed %u, work folder %s%s\n", seconds, seed, qPrintable(dir.path()),
                keep ? " (kept)" : "");
    std::fflush(stdout);

    Emu emu;
    if (!emu.start(QStringLiteral(KV_EMU_BIN),
                   {"--pty", link, "--baud", "57600", "--log", log, "--model", "11"})) {
        std::fprintf(stderr, "kvsoak: kvemu did not start\n");
        return 2;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KV_COM1"), link);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataDir);
    QProcess console;
    console.setProcessEnvironment(env);
    console.setStandardOutputFile(dir.filePath(QStringLiteral("kvconsole.out")));
    console.setStandardErrorFile(dir.filePath(QStringLiteral("kvconsole.err")));
    const quint16 port = FreeLoopbackPort();
    console.start(QStringLiteral(KV_CONSOLE_BIN),
                  {"--connect", "serial", "--follow", "--control-port", QString::number(port)});
    const bool read = SpinUntil(
        [&] {
            QFile f(log);
            return f.open(QIODevice::ReadOnly) && f.readAll().contains("PGINFOKV 7");
        },
        30000);
    if (!read || console.state() != QProcess::Running) {
        std::fprintf(stderr, "kvsoak: kvconsole did not read the switcher\n");
        StopProcess(console);
        return 2;
    }
    Spin(2000); // the start-up read done, following under way
    const qint64 pid = console.processId();
    const double rssStart = ResidentMb(pid);
    const QStringList fdsAtStart = OpenFileTargets(pid);
    const int fdStart = int(fdsAtStart.size());
    double rssPeak = rssStart;
    int fdPeak = fdStart;

    std::vector<std::unique_ptr<SoakClient>> clients;
    for (int k = 0; k < kClients; ++k)
        clients.push_back(std::make_unique<SoakClient>(k, port, seed * 31 + quint32(k)));
    auto allReady = [&] {
        return std::all_of(clients.begin(), clients.end(), [](auto &c) { return c->ready(); });
    };
    if (!SpinUntil(allReady, 10000)) {
        std::fprintf(stderr, "kvsoak: the clients did not get the console's dump\n");
        StopProcess(console);
        return 2;
    }
    const QList<int> initial = clients.front()->view().routes;

    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        rssPeak = std::max(rssPeak, ResidentMb(pid));
        fdPeak = std::max(fdPeak, OpenFiles(pid));
    });
    sampler.start(1000);

    int panelChanges = 0, panelTemps = 0, silentWindows = 0, longWindows = 0, slowWindows = 0;
    QTimer panel;
    panel.setSingleShot(true);
    QObject::connect(&panel, &QTimer::timeout, [&] {
        // Now and then a temporary route at the panel, left for someone's TAKE 1 to commit.
        const bool temporary = random.bounded(4) == 0;
        emu.control(QStringLiteral("panel %1 %2 %3")
                        .arg(temporary ? "temp" : "route")
                        .arg(random.bounded(1, 17))
                        .arg(random.bounded(1, 17)));
        ++(temporary ? panelTemps : panelChanges);
        panel.start(random.bounded(1000, 5000));
    });
    panel.start(random.bounded(1000, 5000));

    // Most silent windows are shorter than a command's wait for its answer, so the console's
    // bare carriage-return tries meet the switcher again; one in four outlasts the tries and
    // the probe, and the console, with nobody to ask, gives the command up.
    QTimer faults, faultEnd;
    faults.setSingleShot(true);
    faultEnd.setSingleShot(true);
    QObject::connect(&faults, &QTimer::timeout, [&] {
        if (random.bounded(2)) {
            emu.control(QStringLiteral("fault silence"));
            const bool outlasting = random.bounded(4) == 0;
            ++(outlasting ? longWindows : silentWindows);
            faultEnd.start(outlasting ? random.bounded(15000, 20000) : random.bounded(500, 3000));
        } else {
            emu.control(QStringLiteral("fault delay=%1").arg(random.bounded(200, 1500)));
            ++slowWindows;
            faultEnd.start(random.bounded(2000, 5000));
        }
    });
    QObject::connect(&faultEnd, &QTimer::timeout, [&] {
        emu.control(QStringLiteral("clear-faults"));
        faults.start(random.bounded(10000, 25000));
    });
    faults.start(random.bounded(5000, 15000));

    for (auto &c : clients)
        c->setActive(true);
    const QDeadlineTimer end(qint64(seconds) * 1000);
    int lastReport = 0;
    while (!end.hasExpired() && console.state() == QProcess::Running) {
        Spin(200);
        const int elapsed = seconds - int(end.remainingTime() / 1000);
        if (elapsed - lastReport >= 30) {
            lastReport = elapsed;
            int sent = 0;
            for (auto &c : clients)
                sent += c->sent;
            std::fprintf(stderr, "kvsoak: %d s, %d requests, RSS %.1f MB, %d fds\n", elapsed, sent,
                         ResidentMb(pid), OpenFiles(pid));
        }
    }

    // Quiesce: no more requests, panel changes or faults; every request answered.
    for (auto &c : clients)
        c->setActive(false);
    panel.stop();
    faults.stop();
    faultEnd.stop();
    emu.control(QStringLiteral("clear-faults"));
    // What the panel left temporary is taken there, so that there is one truth to agree on.
    const QStringList pending = PendingRoutes(emu.control(QStringLiteral("state")));
    for (const QString &route : pending)
        emu.control(QStringLiteral("panel route ") + route);
    SpinUntil(
        [&] {
            return std::all_of(clients.begin(), clients.end(),
                               [](auto &c) { return c->outstanding() == 0 || !c->connected(); });
        },
        60000);

    // Following catches up with the last front-panel change (a paused follow tries again
    // every ten seconds), after a box that came up in the last silent window has answered
    // itself (30 s): until the console's routes are the switcher's, 90 s at most.
    QList<int> consoleRoutes, switcherRoutes;
    std::unique_ptr<SoakClient> checker;
    QElapsedTimer settling;
    settling.start();
    bool agreed = false;
    while (!agreed && settling.elapsed() < 90000) {
        Spin(1000);
        checker = std::make_unique<SoakClient>(kClients, port, 0);
        SpinUntil([&] { return checker->ready(); }, 5000);
        consoleRoutes.clear();
        for (int r : checker->view().routes)
            consoleRoutes << r + 1;
        switcherRoutes = EmuRoutes(emu.control(QStringLiteral("state")));
        agreed = checker->ready() && consoleRoutes == switcherRoutes;
    }
    Spin(500); // updates still on their way to the clients
    rssPeak = std::max(rssPeak, ResidentMb(pid));
    fdPeak = std::max(fdPeak, OpenFiles(pid));
    const double rssEnd = ResidentMb(pid);

    std::printf("\n");
    int sent = 0, acks = 0, naks = 0, pings = 0;
    double worstPing = 0;
    for (auto &c : clients) {
        sent += c->sent;
        acks += c->acks;
        naks += c->naks;
        pings += c->pings;
        worstPing = std::max(worstPing, c->worstPingMs);
    }
    std::printf("%d requests (%d ACK, %d NAK), %d PINGs (worst answer %.0f ms), %d front-panel "
                "routes and %d temporary ones (%d left pending, taken at the panel), %d short "
                "and %d long silent windows, %d slow ones\n",
                sent, acks, naks, pings, worstPing, panelChanges, panelTemps, int(pending.size()),
                silentWindows, longWindows, slowWindows);
    QFile err(dir.filePath(QStringLiteral("kvconsole.err")));
    QStringList boxes;
    if (err.open(QIODevice::ReadOnly))
        for (const QByteArray &line : err.readAll().split('\n'))
            if (line.startsWith("Unattended: "))
                boxes << QString::fromUtf8(line.mid(12, line.indexOf(" after ") - 12));
    const int answeredBoxes = int(boxes.size());
    boxes.removeDuplicates();
    std::printf("boxes kvconsole answered itself (stderr): %d %s\n", answeredBoxes,
                qPrintable(boxes.join(QStringLiteral(", "))));
    Verdicts v;
    v.check(console.state() == QProcess::Running && emu.running(), "kvconsole and kvemu running");
    bool answered = true;
    for (auto &c : clients)
        answered = answered && c->connected() && c->outstanding() == 0 && c->extraAnswers == 0;
    v.check(answered, "every client connected, each request answered once");
    v.check(!switcherRoutes.contains(-1), "kvemu holds no temporary route",
            QStringLiteral("routes %1").arg(Join(switcherRoutes)));
    v.check(agreed, "console's routes are kvemu's",
            QStringLiteral("console %1, kvemu %2 (%3 s to agree)")
                .arg(Join(consoleRoutes), Join(switcherRoutes))
                .arg(settling.elapsed() / 1000));
    const View &truth = checker->view();
    for (int k = 0; k < kClients; ++k) {
        const View &seen = clients[std::size_t(k)]->view();
        QList<QChar> locks = seen.locks;
        for (QChar &c : locks)
            c = c == u'O' ? u'L' : c; // its own locks are locked to everyone else
        QStringList differ;
        if (seen.routes != truth.routes)
            differ << QStringLiteral("routes %1").arg(Join(seen.routes));
        if (seen.inputLabels != truth.inputLabels || seen.outputLabels != truth.outputLabels)
            differ << QStringLiteral("labels");
        if (locks != truth.locks)
            differ << QStringLiteral("locks %1 against %2")
                          .arg(QString(locks.constData(), locks.size()),
                               QString(truth.locks.constData(), truth.locks.size()));
        v.check(differ.isEmpty(), QStringLiteral("client %1's view is the console's").arg(k + 1),
                differ.join(QStringLiteral("; ")));
    }
    QList<int> start;
    for (int r : initial)
        start << r + 1;
    QMap<QString, int> states;
    const QList<int> logged = LoggedRoutes(dataDir, start, &states);
    QStringList counts;
    for (auto it = states.cbegin(); it != states.cend(); ++it)
        counts << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
    v.check(logged == consoleRoutes, "route log's last taken routes are the console's",
            QStringLiteral("log %1 (%2)").arg(Join(logged), counts.join(QStringLiteral(", "))));

    clients.clear();
    checker.reset();
    Spin(1500);
    const QStringList fdsAtEnd = OpenFileTargets(pid);
    const int fdEnd = int(fdsAtEnd.size());
    QStringList opened = fdsAtEnd;
    for (const QString &t : fdsAtStart)
        opened.removeOne(t);
    std::printf("kvconsole RSS start %.1f MB, peak %.1f MB, end %.1f MB; open files start %d, "
                "peak %d, end %d (clients gone)\n",
                rssStart, rssPeak, rssEnd, fdStart, fdPeak, fdEnd);
    v.check(rssPeak - rssStart <= kRssGoalMb,
            QStringLiteral("RSS peak within start + %1 MB").arg(kRssGoalMb));
    // The route log's file stays open once written; a socket left behind is a leak.
    v.check(
        fdPeak <= fdStart + kFdSlack && Sockets(fdsAtEnd) <= Sockets(fdsAtStart),
        QStringLiteral("open files: peak within start + %1, no socket left open").arg(kFdSlack),
        QStringLiteral("opened since the start: %1")
            .arg(opened.isEmpty() ? QStringLiteral("none") : opened.join(QStringLiteral(", "))));

    emu.control(QStringLiteral("quit"));
    StopProcess(console);
    StopProcess(emu.process());
    std::printf("%s\n", v.failed ? "soak FAILED" : "soak passed");
    return v.failed ? 1 : 0;
}
