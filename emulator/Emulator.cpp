#include "Emulator.h"

#include "Links.h"
#include "Reply.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>

namespace kv::emu {

Emulator::Emulator(QObject *parent) : QObject(parent), m_state(kDefaultModel) {}

Emulator::~Emulator() = default;

bool Emulator::start(const EmulatorOptions &o, QString *error)
{
    if (!m_state.setModel(o.model)) {
        *error = QString("unknown model code %1 (10, 11, 12 or 20)").arg(o.model);
        return false;
    }
    for (const Fault &f : o.faults)
        m_faults.add(f);
    m_baud = o.baud;
    if (o.panelEverySec > 0) {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &Emulator::randomPanelRoute);
        timer->start(int(o.panelEverySec * 1000));
    }
    if (!o.logFile.isEmpty()) {
        m_log.setFileName(o.logFile);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append)) {
            *error = QString("cannot open log %1: %2").arg(o.logFile, m_log.errorString());
            return false;
        }
    }
    if (o.ptyLink.isEmpty() && o.tcpPort < 0) {
        *error = "nothing to listen on: give --pty LINK and/or --tcp PORT";
        return false;
    }
    if (!o.ptyLink.isEmpty()) {
        m_pty = new PtyLink(this);
        if (!m_pty->open(o.ptyLink, error))
            return false;
        attach(m_pty);
    }
    if (o.tcpPort >= 0) {
        m_tcp = new TcpListener(this);
        connect(m_tcp, &TcpListener::linkOpened, this, &Emulator::attach);
        if (!m_tcp->listen(quint16(o.tcpPort), error))
            return false;
    }
    return true;
}

quint16 Emulator::tcpPort() const { return m_tcp ? m_tcp->port() : 0; }

QString Emulator::ptySlavePath() const { return m_pty ? m_pty->slavePath() : QString(); }

void Emulator::attach(Link *link)
{
    link->queue().setBaud(m_baud);
    m_links.append(link);
    connect(link, &Link::lineReceived, this, &Emulator::handleLine);
    connect(link, &QObject::destroyed, this, [this, link] { m_links.removeOne(link); });
}

void Emulator::setBaud(int baud)
{
    m_baud = qMax(0, baud);
    for (Link *l : std::as_const(m_links))
        l->queue().setBaud(m_baud);
}

void Emulator::record(const QByteArray &line)
{
    m_received.append(line);
    if (m_log.isOpen()) {
        m_log.write(line + '\n');
        m_log.flush();
    }
    emit lineReceived(line);
}

void Emulator::clearLog()
{
    m_received.clear();
    if (m_log.isOpen()) {
        m_log.resize(0);
        m_log.seek(0);
    }
}

void Emulator::dropOutput()
{
    for (Link *l : std::as_const(m_links))
        l->dropOutput();
}

void Emulator::handleLine(Link *link, const QByteArray &line)
{
    // Recorded before the answer leaves, so a test that has the answer finds the line.
    record(line);
    const Response response = m_state.execute(line);
    link->queue().enqueue(BuildReply(response, m_faults.takeFor(line)));
}

QString Emulator::control(const QString &command)
{
    const QString cmd = command.trimmed();
    const QString word = cmd.section(' ', 0, 0);
    const QString arg = cmd.section(' ', 1).trimmed();
    bool numberOk = false;
    const int number = arg.toInt(&numberOk);

    if (word == "fault") {
        QString why;
        const auto f = ParseFault(arg, &why);
        if (!f)
            return "error: " + why;
        m_faults.add(*f);
    } else if (word == "clear-faults" && arg.isEmpty()) {
        m_faults.clear();
    } else if (word == "faults" && arg.isEmpty()) {
        QStringList list;
        for (const Fault &f : m_faults.all())
            list << FaultText(f);
        return "faults " + (list.isEmpty() ? QString("-") : list.join(' '));
    } else if (word == "model") {
        if (!numberOk || number < 0 || number > 255 || !m_state.setModel(std::uint8_t(number)))
            return "error: model code must be 10, 11, 12 or 20";
    } else if (word == "baud") {
        if (!numberOk || number < 0)
            return "error: baud must be a number, 0 for unpaced";
        setBaud(number);
    } else if (word == "state" && arg.isEmpty()) {
        return "state " + m_state.summary();
    } else if (word == "clear-log" && arg.isEmpty()) {
        clearLog();
    } else if (word == "drop-output" && arg.isEmpty()) {
        dropOutput();
    } else if (word == "reset" && arg.isEmpty()) {
        m_state.factoryReset();
    } else if (word == "panel") {
        return panel(arg.split(' ', Qt::SkipEmptyParts));
    } else if (word == "quit" && arg.isEmpty()) {
        emit quitRequested();
    } else {
        return "error: unknown control command: " + cmd;
    }
    return "ok";
}

QString Emulator::panel(const QStringList &args)
{
    const QString what = args.value(0);
    QList<int> n;
    for (int k = 1; k < args.size(); ++k) {
        bool ok = false;
        n << args[k].toInt(&ok);
        if (!ok)
            return "error: panel arguments are numbers";
    }
    if ((what == "route" || what == "temp") && n.size() == 2) {
        if (!m_state.panelRoute(n[0], n[1], what == "route"))
            return QString("error: no output %1 or input %2 on this model").arg(n[0]).arg(n[1]);
        return "ok";
    }
    if (what == "lock" && n.size() == 1 && (n[0] == 0 || n[0] == 1)) {
        m_state.setFrontPanelLock(n[0] == 1);
        return "ok";
    }
    return "error: panel route O I, panel temp O I or panel lock 0|1";
}

void Emulator::randomPanelRoute()
{
    QRandomGenerator *rng = QRandomGenerator::global();
    const int o = rng->bounded(m_state.outputs());
    const std::uint8_t now = m_state.route(o).Input;
    // Another input than the one on air, so that every change is one to see.
    int i = rng->bounded(m_state.inputs() - 1);
    if (now < m_state.inputs() && i >= now)
        ++i;
    m_state.panelRoute(o + 1, i + 1, true);
}

QString Emulator::controlHelp()
{
    return QStringLiteral(
        "Control commands on standard input, one a line, each answered by one line on\n"
        "standard output (\"ok\", \"error: ...\", or the asked-for text):\n"
        "  fault TEXT      add a fault (syntax below)\n"
        "  faults          list the faults still active: \"faults FAULT ...\" or \"faults -\"\n"
        "  clear-faults    remove every fault\n"
        "  model CODE      become model 10 (8 x 8), 11, 12 or 20 (16 x 16)\n"
        "  baud N          pace the line at N baud from now on; 0 = unpaced\n"
        "  state           \"state model=.. routes=.. reclock=.. groups=.. presets=.. ...\"\n"
        "                  routes: input per output, '-' for none, 'I*P' pending on I,\n"
        "                  back to P; groups: G:oOUT.OUT/iIN.IN\n"
        "  clear-log       forget the received lines and empty the log file\n"
        "  drop-output     forget what is on its way: replies not yet sent (held back,\n"
        "                  delayed, unread in the pty) and lines not yet complete\n"
        "  reset           factory settings (routes, groups, presets, settings)\n"
        "  panel route O I a route taken at the switcher's front panel (1-based, I = 0: none)\n"
        "  panel temp O I  a temporary route made at the front panel, waiting for a TAKE\n"
        "  panel lock 0|1  the front panel locks itself out (1) or is free again (0)\n"
        "  quit            stop\n");
}

} // namespace kv::emu
