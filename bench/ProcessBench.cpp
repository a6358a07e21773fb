#include "Processes.h"
#include "ProcessBench.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

namespace kv::bench {

namespace {

constexpr int kWaitMs = 20000;

// Waits for a line on the child's stderr that contains `marker`: ms since `clock`, or -1.
double WaitForMarker(QProcess &p, const QByteArray &marker, const QElapsedTimer &clock)
{
    QByteArray seen;
    if (!p.waitForStarted(kWaitMs))
        return -1;
    const QDeadlineTimer deadline(kWaitMs);
    while (!deadline.hasExpired() && p.state() == QProcess::Running) {
        if (p.waitForReadyRead(50))
            seen += p.readAllStandardError();
        if (seen.contains(marker))
            return double(clock.nsecsElapsed()) / 1e6;
    }
    return -1;
}

int CountLines(const QString &path, const QByteArray &line)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return int(f.readAll().split('\n').count(line));
}

struct Started {
    double shownMs = -1;
    double residentMb = -1;
};

Started StartOnce(const QString &program, const QStringList &args, const QByteArray &marker,
                  const QProcessEnvironment &env, const QString &log)
{
    Started s;
    QProcess p;
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setReadChannel(QProcess::StandardError);
    const int readsBefore = log.isEmpty() ? 0 : CountLines(log, "PGINFOKV 7");
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    s.shownMs = WaitForMarker(p, marker, clock);
    if (s.shownMs >= 0) {
        if (!log.isEmpty()) {
            // The start-up search and the whole read: its last query, then quiet.
            const QDeadlineTimer deadline(kWaitMs);
            while (CountLines(log, "PGINFOKV 7") == readsBefore && !deadline.hasExpired())
                QThread::msleep(20);
        }
        WaitIdle(p.processId());
        s.residentMb = ResidentMb(p.processId());
    }
    StopProcess(p);
    return s;
}

} // namespace

QByteArray StatusField(qint64 pid, const QByteArray &field)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed();
    }
    return {};
}

double ResidentMb(qint64 pid)
{
    const QByteArray kb = StatusField(pid, "VmRSS").split(' ').value(0);
    return kb.toDouble() / 1024.0;
}

// User plus system time of a process, in clock ticks.
static qint64 CpuTicks(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> rest = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return rest.size() > 12 ? rest[11].toLongLong() + rest[12].toLongLong() : -1;
}

// Until the process has used no processor time for a quarter of a second.
void WaitIdle(qint64 pid)
{
    qint64 last = CpuTicks(pid);
    const QDeadlineTimer deadline(kWaitMs);
    while (!deadline.hasExpired()) {
        QThread::msleep(250);
        const qint64 now = CpuTicks(pid);
        if (now == last)
            return;
        last = now;
    }
}

int RunEmptyWindow(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QMainWindow window;
    window.resize(735, 529);
    window.show();
    std::fprintf(stderr, "shown\n");
    return app.exec();
}

void MeasureProcesses(Table &table, const QString &console, const QString &emulator,
                      const QString &self, int runs)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyKVstart"));
    const QString log = dir.filePath(QStringLiteral("kvemu.log"));
    QProcess emu;
    emu.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    emu.start(emulator, {"--pty", link, "--baud", "57600", "--log", log, "--quit-on-eof"});
    QByteArray out;
    const QDeadlineTimer deadline(kWaitMs);
    while (!out.contains("ready") && !deadline.hasExpired() &&
           emu.state() != QProcess::NotRunning) {
        emu.waitForReadyRead(100);
        out += emu.readAllStandardOutput();
    }
    if (!out.contains("ready")) {
        std::fprintf(stderr, "kvemu did not start\n");
        return;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcessEnvironment consoleEnv = env;
    // The demo mode answers the start-up question with Yes and echoes it on stderr: the
    // question comes up as the window is first shown.
    consoleEnv.insert(QStringLiteral("KV_DEMO_AUTOCONNECT"), QStringLiteral("1"));
    consoleEnv.insert(QStringLiteral("KV_COM1"), link);
    consoleEnv.remove(QStringLiteral("KV_DEMO_SCREENSHOT"));

    Samples shown, resident, bareShown, bareResident;
    for (int i = 0; i < runs; ++i) {
        const Started c = StartOnce(console, {}, "Establish COM port", consoleEnv, log);
        const Started b = StartOnce(self, {QStringLiteral("--empty-window")}, "shown", env, {});
        if (c.shownMs >= 0) {
            shown.add(c.shownMs);
            resident.add(c.residentMb);
        }
        if (b.shownMs >= 0) {
            bareShown.add(b.shownMs);
            bareResident.add(b.residentMb);
        }
    }
    emu.closeWriteChannel();
    if (!emu.waitForFinished(3000))
        StopProcess(emu);

    const QString of = QStringLiteral(" (median / worst of %1)").arg(shown.count());
    table.add({QStringLiteral("kvconsole start-up to first shown window") + of,
               Ms(shown.median()) + QStringLiteral(" / ") + Ms(shown.worst()),
               QStringLiteral("a bare Qt window: %1").arg(Ms(bareShown.median())),
               Signed(shown.median() - bareShown.median()), QStringLiteral("< 300 ms"),
               shown.count() == runs && shown.median() < 300});
    auto mb = [](double v) { return QString::number(v, 'f', 1) + QStringLiteral(" MB"); };
    table.add({QStringLiteral("kvconsole resident memory after a full read") + of,
               mb(resident.median()) + QStringLiteral(" / ") + mb(resident.worst()),
               QStringLiteral("a bare Qt window: %1").arg(mb(bareResident.median())),
               QStringLiteral("+") + mb(resident.median() - bareResident.median()),
               QStringLiteral("< 60 MB"), resident.count() == runs && resident.worst() < 60});
}

} // namespace kv::bench
