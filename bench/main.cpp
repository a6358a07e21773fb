// kvbench: the console against the physical limits of its links, one table.
//
//   kvbench [--quick]          (scripts/bench.sh builds it in Release and runs it)
//   kvbench --clicks-only      only the clicks over the pty, to run under a profiler
//   kvbench --serving-only     only the remote clients' figures while the switcher is slow
//   KV_BENCH_TRACE=1           every click on stderr, with the time each line spent beyond
//                              the line rate
//
// Nothing here is asserted: the figures are printed beside their references, and the exit
// code says only whether the benchmark could run.

#include "ConsoleBench.h"
#include "ProcessBench.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>
#include <QSysInfo>
#include <QThread>
#include <cstdio>
#include <cstring>
#include <thread>

using namespace kv::bench;

namespace {

QString CpuModel()
{
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : f.readAll().split('\n')) {
            if (line.startsWith("model name"))
                return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
        }
    }
    return QSysInfo::currentCpuArchitecture();
}

QString LoadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly)
               ? QString::fromLatin1(f.readAll().split(' ').mid(0, 3).join(' '))
               : QStringLiteral("?");
}

// How late a thread wakes from a short sleep here: kvemu's line model sleeps to the point
// twice an exchange (the command's last byte in, the reply's out), so this much of every
// exchange is the emulator's, not the console's.
double SleepLatenessUs()
{
    Samples late;
    for (int i = 0; i < 200; ++i) {
        const auto due = Clock::now() + std::chrono::microseconds(1500);
        std::this_thread::sleep_until(due);
        late.add(std::chrono::duration<double, std::micro>(Clock::now() - due).count());
    }
    return late.median();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--empty-window") == 0)
        return RunEmptyWindow(argc, argv);
    Runs runs;
    const char *mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "--quick") == 0)
        runs = {2, 20, 5, 5, 2, 10, 5, 8, 1, 3};
    // For a profiler: only the operator's clicks, many of them.
    const bool clicksOnly = std::strcmp(mode, "--clicks-only") == 0;
    const bool servingOnly = std::strcmp(mode, "--serving-only") == 0;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvask Delvane Kestavion"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    const QString loadBefore = LoadAverage();
    Table table;
    {
        ConsoleBench bench(table);
        QString error;
        if (!bench.start(&error)) {
            std::fprintf(stderr, "kvbench: %s\n", qPrintable(error));
            return 1;
        }
        if (clicksOnly) {
            bench.measureClicks(runs.clicks, runs.recalls);
            std::fputs(qPrintable(table.render()), stdout);
            return 0;
        }
        if (servingOnly) {
            bench.measureServing(runs.silent, runs.bursts);
            MeasureServingMemory(table, QStringLiteral(KV_CONSOLE_BIN), QStringLiteral(KV_EMU_BIN));
            std::fputs(qPrintable(table.render()), stdout);
            return 0;
        }
        bench.measureSerialRead(runs.reads);
        bench.measureClicks(runs.clicks, runs.recalls);
        bench.measureFollowing(runs.followSeconds, runs.followClicks);
        bench.measureConfigFile(runs.files);
        bench.measureRemote(runs.remote);
        bench.measureServing(runs.silent, runs.bursts);
        if (!bench.switchToEthernet(&error)) {
            std::fprintf(stderr, "kvbench: %s\n", qPrintable(error));
            return 1;
        }
        bench.measureEthernetRead(runs.reads);
    }
    MeasureProcesses(table, QStringLiteral(KV_CONSOLE_BIN), QStringLiteral(KV_EMU_BIN),
                     QCoreApplication::applicationFilePath(), runs.starts);
    MeasureServingMemory(table, QStringLiteral(KV_CONSOLE_BIN), QStringLiteral(KV_EMU_BIN));
    std::printf("kvbench (%s build, Qt %s) on %s, %d cores, %s\n"
                "load average (1, 5, 15 min): %s at start, %s at end\n\n",
                KV_BUILD_TYPE, qVersion(), qPrintable(CpuModel()), QThread::idealThreadCount(),
                qPrintable(QSysInfo::prettyProductName()), qPrintable(loadBefore),
                qPrintable(LoadAverage()));
    table.note(QStringLiteral(
                   "kvemu paces the pty at %1 baud both ways (a line arrives when its last byte "
                   "would have; a reply leaves at the line's pace). A short sleep wakes %2 us "
                   "late here, twice an exchange, and that lateness is in the click figures.")
                   .arg(kBaud)
                   .arg(SleepLatenessUs(), 0, 'f', 0));
    std::fputs(qPrintable(table.render()), stdout);
    return 0;
}
