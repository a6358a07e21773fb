#include "ConsoleBench.h"

#include "app/MatrixForm.h"
#include "control/Core.h"
#include "control/StatusRead.h"
#include "link/CommandChannel.h"
#include "ui/SetupPage.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <cstdio>

namespace kv::bench {

namespace {

double MsBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

qint64 BytesOut(const QList<WireLine> &lines)
{
    qint64 n = 0;
    for (const WireLine &l : lines)
        n += l.line.size() + 1; // and its CR
    return n;
}

} // namespace

ConsoleBench::~ConsoleBench()
{
    m_form.reset(); // the console lets go of the pty before the switcher goes
    m_emu.stop();
}

void ConsoleBench::onBytesReceived(qint64 n)
{
    m_bytesIn += n;
    m_lastChunk = n;
}

bool ConsoleBench::start(QString *error)
{
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary directory");
        return false;
    }
    QDir::setCurrent(m_dir.path()); // IPSave.ini lands here
    emu::EmulatorOptions o;
    o.ptyLink = m_dir.filePath(QStringLiteral("ttyKVbench"));
    o.tcpPort = 0;
    o.baud = kBaud;
    if (!m_emu.start(o, error))
        return false;
    qputenv("KV_COM1", o.ptyLink.toLocal8Bit());
    qputenv("KV_TCP_PORT", QByteArray::number(m_emu.tcpPort()));

    m_form = std::make_unique<TMatrixForm>(); // the product's waits
    QObject::connect(&m_form->core().channel(), &CommandChannel::serialBytesReceived, m_form.get(),
                     [this](const QByteArray &bytes) {
                         onBytesReceived(bytes.size());
                         if (bytes.contains('#'))
                             m_lastHashAt = Clock::now();
                     });
    m_form->show(); // the start-up question (Yes), the search on COM1 and the first read
    settle();
    if (!m_dialogs.texts.isEmpty() && m_dialogs.texts.first().contains("connect to Kestavion"))
        m_dialogs.texts.removeFirst(); // the start-up question itself
    if (!m_form->core().channel().serialLinkLive() || !m_dialogs.texts.isEmpty()) {
        *error = QStringLiteral("the console did not connect: ") + m_dialogs.texts.join(" | ");
        return false;
    }
    m_emu.takeLines();
    return true;
}

void ConsoleBench::settle()
{
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

void ConsoleBench::measureSerialRead(int runs)
{
    Samples took;
    qint64 out = 0, in = 0;
    int queries = 0;
    for (int i = 0; i < runs; ++i) {
        settle();
        m_emu.takeLines();
        const qint64 before = m_bytesIn;
        const auto t0 = Clock::now();
        m_form->menu().ReadfromKestavions1->trigger();
        const auto t1 = Clock::now();
        const QList<WireLine> lines = m_emu.takeLines();
        took.add(MsBetween(t0, t1));
        out = BytesOut(lines);
        in = m_bytesIn - before;
        queries = int(lines.size());
    }
    const double floor = double(out + in) * kByteMs;
    const double ratio = took.median() / floor;
    m_table.add({QStringLiteral("full status read, pty %1 baud, %2 queries (median / worst of %3)")
                     .arg(kBaud)
                     .arg(queries)
                     .arg(took.count()),
                 Ms(took.median()) + QStringLiteral(" / ") + Ms(took.worst()),
                 QStringLiteral("line floor %1: (%2 B out + %3 B in) x 10 bits")
                     .arg(Ms(floor))
                     .arg(out)
                     .arg(in),
                 QString::number(ratio, 'f', 3) + QStringLiteral("x"), QStringLiteral("<= 1.15x"),
                 ratio <= 1.15 && m_dialogs.texts.isEmpty()});
}

ConsoleBench::Action ConsoleBench::click(const QString &name)
{
    Action a;
    auto *button = m_form->findChild<QAbstractButton *>(name);
    if (!button || !button->isEnabled())
        return a;
    settle();
    m_emu.takeLines();
    const qint64 before = m_bytesIn;
    m_lastChunk = 0;
    const auto t0 = Clock::now();
    button->click();
    const auto returned = Clock::now();
    settle(); // what the click left queued (repaints) runs before the next click can
    const auto ready = Clock::now();
    const QList<WireLine> lines = m_emu.takeLines();
    if (lines.isEmpty())
        return a;
    a.lastByteMs = MsBetween(t0, lines.last().at);
    a.readyMs = MsBetween(t0, ready);
    if (qEnvironmentVariableIsSet("KV_BENCH_TRACE")) {
        std::fprintf(stderr, "%s: last byte %.2f returned %.2f ready %.2f\n", qPrintable(name),
                     a.lastByteMs, MsBetween(t0, returned), a.readyMs);
        // Between two lines: the answer (7 B) and the next line on the line, and the rest.
        for (qsizetype k = 1; k < lines.size(); ++k)
            std::fprintf(stderr, "  %-12s +%.2f ms beyond the line\n", lines[k].line.constData(),
                         MsBetween(lines[k - 1].at, lines[k].at) -
                             double(7 + lines[k].line.size() + 1) * kByteMs);
    }
    a.out = BytesOut(lines);
    a.in = m_bytesIn - before;
    a.lastReplyIn = m_lastChunk;
    a.lines = int(lines.size());
    a.ok = true;
    return a;
}

void ConsoleBench::clickRows(const QString &what, const QList<Action> &actions, double goalMs)
{
    Samples last, ready;
    qint64 out = 0, in = 0, lastReply = 0;
    int lines = 0;
    int failed = 0;
    for (const Action &a : actions) {
        if (!a.ok) {
            ++failed;
            continue;
        }
        last.add(a.lastByteMs);
        ready.add(a.readyMs);
        out = a.out;
        in = a.in;
        lastReply = a.lastReplyIn;
        lines = a.lines;
    }
    const double lineLast = double(out + in - lastReply) * kByteMs;
    const double lineAll = double(out + in) * kByteMs;
    const QString counts = QStringLiteral("%1 line%2, %3 B out + %4 B in")
                               .arg(lines)
                               .arg(lines == 1 ? "" : "s")
                               .arg(out)
                               .arg(in);
    const QString fails =
        failed ? QStringLiteral(" (%1 of %2 failed)").arg(failed).arg(actions.size()) : QString();
    m_table.add(
        {what + QStringLiteral(": click -> last command byte (of %1)").arg(last.count()) + fails,
         Ms(last.median()) + QStringLiteral(" / ") + Ms(last.worst()),
         QStringLiteral("line time to it %1 (%2)").arg(Ms(lineLast), counts),
         Signed(last.median() - lineLast), QStringLiteral("median <= line + %1").arg(Ms(goalMs)),
         failed == 0 && last.median() - lineLast <= goalMs});
    m_table.add({what + QStringLiteral(": click -> ready for the next"),
                 Ms(ready.median()) + QStringLiteral(" / ") + Ms(ready.worst()),
                 QStringLiteral("line time of all its bytes %1").arg(Ms(lineAll)),
                 Signed(ready.median() - lineAll),
                 QStringLiteral("median <= line + %1").arg(Ms(goalMs)),
                 failed == 0 && ready.median() - lineAll <= goalMs});
}

bool ConsoleBench::switchToEthernet(QString *error)
{
    // A real switcher answers Ethernet at network speed: the line pace is the serial port's.
    m_emu.control(QStringLiteral("baud 0"));
    m_form->findChild<QTabWidget *>("MainPageControl")
        ->setCurrentWidget(m_form->findChild<SetupPage *>("SetupTabSheet"));
    auto *address = m_form->findChild<QLineEdit *>(QStringLiteral("IPAddrEdit"));
    address->setText(QStringLiteral("127.0.0.1"));
    m_dialogs.texts.clear();
    auto *ethernet = m_form->findChild<QAbstractButton *>(QStringLiteral("SerialModeEthernet"));
    if (!ethernet) {
        *error = QStringLiteral("no SerialModeEthernet");
        return false;
    }
    ethernet->click(); // connect, probe and the first read over TCP
    settle();
    if (!m_dialogs.texts.isEmpty() && m_dialogs.texts.first().contains("try the Ethernet"))
        m_dialogs.texts.removeFirst(); // the question that leaves the serial link
    if (m_form->core().state().EthernetConnected != 1 || !m_dialogs.texts.isEmpty()) {
        *error =
            QStringLiteral("the console did not connect over TCP: ") + m_dialogs.texts.join(" | ");
        return false;
    }
    m_emu.takeLines();
    return true;
}

void ConsoleBench::measureEthernetRead(int runs)
{
    Samples took;
    int queries = 0;
    for (int i = 0; i < runs; ++i) {
        settle();
        m_emu.takeLines();
        const auto t0 = Clock::now();
        m_form->menu().ReadfromKestavions1->trigger();
        const auto t1 = Clock::now();
        took.add(MsBetween(t0, t1));
        queries = int(m_emu.takeLines().size());
    }
    const double floor = double(queries) * m_form->timeouts().QueryPauseMs;
    const double ratio = took.median() / floor;
    m_table.add({QStringLiteral("full status read, TCP loopback, %1 queries (median / worst of %2)")
                     .arg(queries)
                     .arg(took.count()),
                 Ms(took.median()) + QStringLiteral(" / ") + Ms(took.worst()),
                 QStringLiteral("documented waits %1: %2 x %3 ms pause before a query")
                     .arg(Ms(floor))
                     .arg(queries)
                     .arg(m_form->timeouts().QueryPauseMs),
                 QString::number(ratio, 'f', 3) + QStringLiteral("x"), QStringLiteral("<= 1.05x"),
                 ratio <= 1.05 && m_dialogs.texts.isEmpty()});
}

} // namespace kv::bench
