// kvemu: a Kestavion switcher stand-in on a pseudo-terminal and/or TCP loopback.
#include "Emulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace kv::emu;

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

void say(const QString &line)
{
    std::fputs(qPrintable(line + '\n'), stdout);
    std::fflush(stdout);
}

const char *kUsage =
    "Usage: kvemu [--pty LINK] [--tcp PORT] [options]\n"
    "A Kestavion switcher emulator. It answers every line ended by CR with text ending in\n"
    "\"#\": \"\\r\\nOK\\r\\n#\" for a command, \"\\r\\nERR\\r\\n#\" for a line it refuses "
    "(unknown,\n"
    "bad or out-of-range arguments; nothing changes), \"\\r\\n#\" for an empty line, and\n"
    "\"\\r\\n\" 1 0 BLOCK \"\\r\\n#\" for MINFOKV, OINFOKV, OPINFOKV, GINFOKV, PINFOKV p and\n"
    "PGINFOKV p. LF bytes are ignored.\n"
    "\n"
    "Options:\n"
    "  --pty LINK      create a pseudo-terminal and make LINK a symbolic link to it\n"
    "  --tcp PORT      listen on 127.0.0.1:PORT; 0 picks a free port\n"
    "  --model CODE    10 (8 x 8), 11 (default), 12 or 20 (16 x 16)\n"
    "  --baud N        pace the line at N baud both ways, 10 bits a byte (default: unpaced)\n"
    "  --log FILE      append every received line to FILE (without its CR), at once\n"
    "  --fault TEXT    inject a fault (repeatable; see below)\n"
    "  --quit-on-eof   stop when standard input closes (for test harnesses)\n"
    "  --panel-every SECONDS\n"
    "                  make a random front-panel route change at this pace (demos, training)\n"
    "  --help          this text\n"
    "\n"
    "The switcher starts with its factory settings: no routes, reclockers off, no groups,\n"
    "no presets, front panel free, VI state 0, IP 192.168.1.200, firmware \"2.05\".\n"
    "RTEMP o i routes temporarily (i = 0: none); TAKE 1 commits every temporary route,\n"
    "TAKE 0 drops them all. A port belongs to one group at most, a group takes inputs only\n"
    "once it has an output, and GDEL of its last output dissolves it. PRST n stores the\n"
    "routes (pending ones as pending), reclockers and groups; RPRST n f puts a stored\n"
    "preset on air, committed, whatever f; an empty preset answers ERR. UPSYS saves the\n"
    "front-panel lock and VI state, RSYS recalls them; RESETKV R drops temporary routes and\n"
    "recalls them too; RESETKV F restores the factory settings (the model stays).\n"
    "Routes are not checked against the groups: the console does that.\n"
    "\n"
    "On start it prints \"tcp PORT\" and \"pty DEVICE\" for the transports it opened, then\n"
    "\"ready\". It runs until SIGTERM, SIGINT or the control command quit, and then removes\n"
    "the pty link.\n"
    "\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({
        {"pty", "", "LINK"},
        {"tcp", "", "PORT"},
        {"model", "", "CODE", "11"},
        {"baud", "", "N", "0"},
        {"log", "", "FILE"},
        {"fault", "", "TEXT"},
        {"quit-on-eof", ""},
        {"panel-every", "", "SECONDS"},
        {{"h", "help"}, ""},
    });
    auto usage = [] { return QString(kUsage) + Emulator::controlHelp() + '\n' + FaultHelp(); };
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "kvemu: %s\n\n%s", qPrintable(parser.errorText()),
                     qPrintable(usage()));
        return 2;
    }
    if (parser.isSet("help")) {
        std::fputs(qPrintable(usage()), stdout);
        return 0;
    }

    EmulatorOptions o;
    bool ok = true, numOk = false;
    o.ptyLink = parser.value("pty");
    if (parser.isSet("tcp")) {
        o.tcpPort = parser.value("tcp").toInt(&numOk);
        ok = ok && numOk && o.tcpPort >= 0 && o.tcpPort <= 65535;
    }
    const int model = parser.value("model").toInt(&numOk);
    ok = ok && numOk && model >= 0 && model <= 255;
    o.model = std::uint8_t(model);
    o.baud = parser.value("baud").toInt(&numOk);
    ok = ok && numOk && o.baud >= 0;
    o.logFile = parser.value("log");
    if (parser.isSet("panel-every")) {
        o.panelEverySec = parser.value("panel-every").toDouble(&numOk);
        ok = ok && numOk && o.panelEverySec > 0;
    }
    for (const QString &text : parser.values("fault")) {
        QString why;
        const auto f = ParseFault(text, &why);
        if (!f) {
            std::fprintf(stderr, "kvemu: %s\n", qPrintable(why));
            return 2;
        }
        o.faults.append(*f);
    }
    if (!ok) {
        std::fprintf(stderr, "kvemu: bad number in --tcp, --model, --baud or --panel-every\n");
        return 2;
    }

    // Signals end the event loop through a pipe, so that the pty link is removed on the way out.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return 1;
    QSocketNotifier signalNote(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNote, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    Emulator emu;
    QString error;
    if (!emu.start(o, &error)) {
        std::fprintf(stderr, "kvemu: %s\n", qPrintable(error));
        return 1;
    }
    QObject::connect(&emu, &Emulator::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    const bool quitOnEof = parser.isSet("quit-on-eof");
    QByteArray pending;
    QSocketNotifier stdinNote(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinNote, &QSocketNotifier::activated, &app, [&] {
        char buf[4096];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            stdinNote.setEnabled(false);
            if (quitOnEof)
                app.quit();
            return;
        }
        pending.append(buf, n);
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(pending.left(nl)).trimmed();
            pending.remove(0, nl + 1);
            if (!line.isEmpty())
                say(emu.control(line));
        }
    });

    if (o.tcpPort >= 0)
        say(QString("tcp %1").arg(emu.tcpPort()));
    if (!o.ptyLink.isEmpty())
        say("pty " + emu.ptySlavePath());
    say("ready");
    return app.exec();
}
