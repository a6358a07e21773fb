// Following the switcher over the pty: the share of the line its polls take at the
// product's pace, and the operator's route clicks while it polls, some of them timed to
// land while a poll's reply is on its way.

#include "ConsoleBench.h"

#include "app/MatrixForm.h"
#include "control/Core.h"
#include "control/FollowSwitcher.h"
#include "link/CommandChannel.h"
#include "ui/SwitchingPage.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTimer>

namespace kv::bench {

namespace {

void RunEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Events run until a poll is on the line, for at most two intervals.
bool AwaitPoll(CommandChannel &ch, int intervalMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!ch.pollInFlight() && clock.elapsed() < 2 * intervalMs)
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 1);
    return ch.pollInFlight();
}

} // namespace

void ConsoleBench::measureFollowing(int seconds, int clicks)
{
    TMatrixForm &f = *m_form;
    f.findChild<QTabWidget *>("MainPageControl")
        ->setCurrentWidget(f.findChild<SwitchingPage *>("ControlTabSheet"));
    settle();
    f.followForThisRun();
    const int interval = f.timeouts().FollowIntervalMs;

    // Idle, following: everything on the line is the polls'.
    m_emu.takeLines();
    const qint64 before = m_bytesIn;
    QElapsedTimer clock;
    clock.start();
    RunEventsFor(seconds * 1000);
    const double elapsedS = double(clock.elapsed()) / 1000.0;
    const QList<WireLine> lines = m_emu.takeLines();
    qint64 out = 0;
    for (const WireLine &l : lines)
        out += l.line.size() + 1;
    const qint64 in = m_bytesIn - before;
    const double lineBytes = kBaud / 10.0 * elapsedS;
    const double share = 100.0 * double(qMax(out, in)) / lineBytes;
    m_table.add({QStringLiteral("following, idle %1 s: share of the %2-baud line (busier way)")
                     .arg(elapsedS, 0, 'f', 1)
                     .arg(kBaud),
                 QStringLiteral("%1 %").arg(share, 0, 'f', 2),
                 QStringLiteral("%1 polls: %2 B out, %3 B in of %4 B each way")
                     .arg(lines.size())
                     .arg(out)
                     .arg(in)
                     .arg(qint64(lineBytes)),
                 QStringLiteral("%1 %").arg(share, 0, 'f', 2), QStringLiteral("<= 2 %"),
                 share <= 2.0});

    // Route clicks while following: one in four waits for a poll to be on the line first.
    Samples last;
    double lineLast = 0;
    int failed = 0, duringPoll = 0;
    QRandomGenerator rng(13);
    for (int i = 0; i < clicks; ++i) {
        const int o = i % 16;
        click(QStringLiteral("OutputButton%1").arg(o + 1));
        const int current = f.core().state().Routes[o].Input;
        const int input = (IsPortIndex(current) ? current + 1 : 0) % 16;
        if (i % 4 == 0) {
            if (AwaitPoll(f.core().channel(), interval))
                ++duringPoll;
        } else {
            RunEventsFor(int(rng.bounded(interval)));
        }
        const Action a = click(QStringLiteral("InputButton%1").arg(input + 1));
        click(QStringLiteral("TakeButton"));
        if (!a.ok) {
            ++failed;
            continue;
        }
        last.add(a.lastByteMs);
        // The route's own line and its answer before the last byte: RTEMP o i CR.
        lineLast =
            double(QStringLiteral("RTEMP %1 %2\r").arg(o + 1).arg(input + 1).size()) * kByteMs;
    }
    f.menu().FollowSwitcher1->setChecked(false);
    // A poll exchange at this pace: OINFOKV CR out, its 39-byte reply in.
    const double pollMs = double(8 + 2 * 16 + 7) * kByteMs;
    m_table.add(
        {QStringLiteral("route while following: click -> last command byte (of %1, %2 "
                        "timed into a poll)%3")
             .arg(last.count())
             .arg(duringPoll)
             .arg(failed ? QStringLiteral(", %1 failed").arg(failed) : QString()),
         Ms(last.median()) + QStringLiteral(" / ") + Ms(last.worst()),
         QStringLiteral("line time %1; a poll exchange %2").arg(Ms(lineLast), Ms(pollMs)),
         Signed(last.median() - lineLast) + QStringLiteral(" / ") + Signed(last.worst() - lineLast),
         QStringLiteral("median <= line + 1 ms, worst <= line + poll"),
         failed == 0 && last.median() - lineLast <= 1.0 && last.worst() - lineLast <= pollMs});
}

} // namespace kv::bench
