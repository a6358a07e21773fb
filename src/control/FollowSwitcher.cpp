#include "control/FollowSwitcher.h"

#include "control/Routing.h"
#include "control/StatusRead.h"

#include "control/RouteJournal.h"
#include "link/CommandChannel.h"
#include "link/IpAddress.h"
#include "protocol/Commands.h"
#include "protocol/StatusReader.h"

#include <QStringList>
#include <QTimer>
#include <algorithm>

namespace kv {

namespace {
constexpr int kNoForeign = -1;
const QString kNotAnswering = QStringLiteral("The switcher is not answering");
const QString kHeld = QStringLiteral(
    "Following the switcher: waiting until the change pending here is taken or cancelled");
QString OnOff(bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); }
} // namespace

QString InputWords(int input)
{
    return input == UNASSIGNED ? QStringLiteral("no input")
                               : QStringLiteral("input %1").arg(input + 1);
}

FollowSwitcher::FollowSwitcher(MatrixState &state, CommandChannel &channel, int intervalMs,
                               FollowView &view, Routing &routing, StatusRead &statusRead,
                               RouteJournal &journal, QObject *parent)
    : QObject(parent), m_state(state), m_channel(channel), m_view(view), m_routing(routing),
      m_statusRead(statusRead), m_journal(&journal), m_timer(new QTimer(this))
{
    std::fill(std::begin(m_foreign), std::end(m_foreign), kNoForeign);
    m_timer->setInterval(intervalMs);
    connect(m_timer, &QTimer::timeout, this, &FollowSwitcher::tick);
    connect(&channel, &CommandChannel::pollAnswered, this, &FollowSwitcher::onAnswered);
    connect(&channel, &CommandChannel::pollUnanswered, this, &FollowSwitcher::onUnanswered);
    connect(&channel, &CommandChannel::switcherAnswered, this, &FollowSwitcher::onSwitcherAnswered);
    connect(&channel, &CommandChannel::commandEnded, this, &FollowSwitcher::onCommand);
}

void FollowSwitcher::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    m_paused = false;
    m_misses = 0;
    m_polls = 0;
    m_systemDue = false;
    if (on) {
        takeReadTemporaries(false);
        m_timer->start();
        setLamp(m_channel.linkUp() ? FollowLamp::Waiting : FollowLamp::Stopped,
                m_channel.linkUp() ? QStringLiteral("Following the switcher: starting")
                                   : QStringLiteral("Following the switcher: no link"));
    } else {
        m_timer->stop();
        forgetForeign();
        setLamp(FollowLamp::Off, QString());
    }
}

bool FollowSwitcher::pendingHere() const
{
    if (m_state.PresetPreviewPending != 0)
        return true;
    for (int o = 0; o < OutputsOf(m_state); ++o)
        if (m_state.Routes[o].Taken == 0)
            return true;
    return false;
}

bool FollowSwitcher::mayStart() const
{
    return m_enabled && m_channel.linkUp() && !m_channel.exchangeInProgress() &&
           !m_channel.pollInFlight() && m_state.Busy == 0 && !pendingHere() && m_view.mayPoll();
}

void FollowSwitcher::tick()
{
    if (!m_enabled || m_channel.pollInFlight())
        return;
    if (!m_channel.linkUp()) {
        forgetForeign();
        setLamp(FollowLamp::Stopped, QStringLiteral("Following the switcher: no link"));
        return;
    }
    if (pendingHere()) {
        if (!m_paused)
            setLamp(FollowLamp::Waiting, kHeld);
        return;
    }
    if (m_paused && ++m_pausedTicks % kPausedEvery != 0)
        return;
    if (!mayStart())
        return; // an exchange or a box of the moment: the next interval tries again
    if (m_lamp == FollowLamp::Waiting && m_misses == 0)
        setLamp(FollowLamp::Live, QStringLiteral("Following the switcher: live"));
    if (++m_polls % kSystemEvery == 0)
        m_systemDue = true;
    if (m_channel.startPoll(QueryRoutesText(), OutputsOf(m_state) * int(sizeof(RouteEntry))))
        m_asked = Asked::Routes;
}

void FollowSwitcher::startSystemPoll()
{
    if (m_systemDue && mayStart() && m_channel.startPoll(QuerySystemInfoText(), sizeof(SystemInfo)))
        m_asked = Asked::System;
}

void FollowSwitcher::onAnswered(const QByteArray &reply)
{
    const Asked asked = m_asked;
    m_asked = Asked::Nothing;
    if (!m_enabled || asked == Asked::Nothing)
        return;
    // Finished by an exchange that is about to start: what it sends may already differ
    // from what the reply describes, so the next poll tells instead.
    if (m_channel.exchangeOpen())
        return;
    if (asked == Asked::Routes) {
        applyRoutes(reply);
        if (m_systemDue)
            QTimer::singleShot(0, this, &FollowSwitcher::startSystemPoll);
    } else {
        applySystem(reply);
    }
}

void FollowSwitcher::onUnanswered()
{
    m_asked = Asked::Nothing;
    if (!m_enabled || !m_channel.linkUp())
        return;
    ++m_misses;
    if (m_paused)
        return;
    if (m_misses >= kMissesToPause) {
        m_paused = true;
        m_pausedTicks = 0;
        status(QStringLiteral("Following paused: the switcher is not answering"));
        setLamp(FollowLamp::Stopped,
                QStringLiteral("Following the switcher: paused, the switcher is not answering"));
        return;
    }
    status(kNotAnswering);
    setLamp(FollowLamp::Waiting, QStringLiteral("Following the switcher: waiting for an answer"));
}

void FollowSwitcher::onSwitcherAnswered()
{
    m_misses = 0;
    if (!m_enabled)
        return;
    if (m_paused) {
        m_paused = false;
        status(QStringLiteral("Following resumed: the switcher answers again"));
    }
    if (pendingHere())
        setLamp(FollowLamp::Waiting, kHeld);
    else
        setLamp(FollowLamp::Live, QStringLiteral("Following the switcher: live"));
}

void FollowSwitcher::applyRoutes(const QByteArray &reply)
{
    const int outputs = OutputsOf(m_state);
    RouteEntry got[kMaxPorts];
    if (!StatusReader::ParseReply(reinterpret_cast<const std::uint8_t *>(reply.constData()),
                                  int(reply.size()), outputs * int(sizeof(RouteEntry)), got))
        return;
    const QString when = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
    QList<int> changed, corrected;
    QStringList texts, foreign;
    std::uint8_t from[kMaxPorts] = {};
    for (int o = 0; o < outputs; ++o) {
        const bool known = m_switcher.known(o);
        const std::uint8_t onAirBefore = m_switcher.onAir(o);
        const RouteEntry theirs = got[o];
        m_switcher.report(o, theirs);
        RouteEntry &mine = m_state.Routes[o];
        if (mine.Taken == 0)
            continue; // pending here since: the console's own to settle
        if (theirs.Taken == 0) {
            if (m_foreign[o] != theirs.Input) {
                setForeign(o, theirs.Input);
                foreign << QStringLiteral(
                               "Temporary route made elsewhere on output %1: %2, not on air")
                               .arg(o + 1)
                               .arg(InputWords(theirs.Input));
            }
        } else if (known && theirs.Input != onAirBefore) {
            setForeign(o, kNoForeign);
            if (theirs.Input != mine.Input) {
                from[o] = onAirBefore;
                changed << o;
            }
            continue; // moved at the switcher: its scope records it
        } else {
            setForeign(o, kNoForeign);
            if (theirs.Input != mine.Input) {
                mine.Input = theirs.Input;
                m_state.PreviousInput[o] = theirs.Input;
                corrected << o;
                unmarkChanged(o);
                redrawRoute(o);
            }
        }
        // Nothing moved on air here: no line of the switcher's own. After a reset the scope
        // below writes what it changed.
        if (!m_journal->awaitingReport())
            m_journal->adopt(o);
    }
    {
        const RouteJournal::Scope scope(m_journal, QStringLiteral("switcher"));
        for (int o : changed) {
            RouteEntry &mine = m_state.Routes[o];
            const QString what =
                QStringLiteral("%1 to %2").arg(InputWords(from[o]), InputWords(got[o].Input));
            mine.Input = got[o].Input;
            m_state.PreviousInput[o] = got[o].Input;
            texts << QStringLiteral("Output %1 changed at the switcher: %2").arg(o + 1).arg(what);
            redrawRoute(o);
            m_view.markChanged(o,
                               QStringLiteral("Changed at the switcher at %1: %2").arg(when, what));
        }
    }
    if (changed.size() > 1) {
        QStringList numbers;
        for (int o : changed)
            numbers << QString::number(o + 1);
        texts = {QStringLiteral("Outputs %1 changed at the switcher")
                     .arg(numbers.join(QStringLiteral(", ")))};
    }
    const QStringList all = texts + foreign;
    if (!all.isEmpty())
        status(all.join(QStringLiteral("; ")));
    if (!corrected.isEmpty())
        emit routesCorrected(corrected);
    if (!changed.isEmpty())
        emit routesChangedAtSwitcher(changed);
}

void FollowSwitcher::onCommand(CommandOutcome outcome, const QByteArray &line)
{
    // This console's route replaced whatever was made or changed elsewhere there, and what
    // the read found.
    for (int o : m_switcher.command(outcome, line, OutputsOf(m_state))) {
        setForeign(o, kNoForeign);
        unmarkChanged(o);
        m_readTemporary[o] = false;
    }
    if (outcome != CommandOutcome::NotSent && line.startsWith("TAKE"))
        std::fill(std::begin(m_readTemporary), std::end(m_readTemporary), false);
}

void FollowSwitcher::switcherRead()
{
    m_switcher.reportRead(m_state);
    for (int o = 0; o < OutputsOf(m_state); ++o) {
        m_readTemporary[o] = m_state.Routes[o].Taken == 0;
        setForeign(o, kNoForeign);
    }
    if (m_enabled)
        takeReadTemporaries(true);
}

void FollowSwitcher::takeReadTemporaries(bool inRead)
{
    for (int o = 0; o < OutputsOf(m_state); ++o) {
        RouteEntry &r = m_state.Routes[o];
        const RouteEntry found = m_switcher.route(o);
        if (!m_readTemporary[o] || r.Taken != 0 || r.Input != found.Input ||
            m_state.PresetPreviewPending != 0)
            continue;
        // A read withdraws what this console had pending before it asks, so a temporary
        // route it found was made elsewhere: on air is still the earlier input.
        m_readTemporary[o] = false;
        setForeign(o, r.Input);
        r = RouteEntry{m_state.PreviousInput[o], 1};
        // The read recorded it as temporary; no route moved since.
        if (!inRead)
            m_journal->adopt(o);
        redrawRoute(o);
    }
}

void FollowSwitcher::catchUp()
{
    // Paused, the switcher is not answering: the commit finds that out on its own.
    if (!m_enabled || m_paused || !m_channel.linkUp())
        return;
    const CommandChannel::Exchange exchange(m_channel);
    const QueryReply reply =
        m_channel.runQuery(QueryRoutesText(), OutputsOf(m_state) * int(sizeof(RouteEntry)));
    if (!reply.failed)
        applyRoutes(reply.bytes);
}

bool FollowSwitcher::readRoutes(RouteEntry *got)
{
    const CommandChannel::Exchange exchange(m_channel);
    const int size = OutputsOf(m_state) * int(sizeof(RouteEntry));
    const QueryReply reply = m_channel.runQuery(QueryRoutesText(), size);
    return !reply.failed &&
           StatusReader::ParseReply(reinterpret_cast<const std::uint8_t *>(reply.bytes.constData()),
                                    int(reply.bytes.size()), size, got);
}

void FollowSwitcher::unmarkChanged(int output) { m_view.unmarkChanged(output); }

void FollowSwitcher::applySystem(const QByteArray &reply)
{
    m_systemDue = false;
    SystemInfo got;
    if (!StatusReader::ParseReply(reinterpret_cast<const std::uint8_t *>(reply.constData()),
                                  int(reply.size()), sizeof got, &got))
        return;
    SystemInfo &mine = m_state.Info;
    QStringList texts;
    if ((got.FrontPanelLock != 0) != (mine.FrontPanelLock != 0))
        texts << QStringLiteral("Front panel lockout changed at the switcher: %1")
                     .arg(OnOff(got.FrontPanelLock != 0));
    if ((got.VIState != 0) != (mine.VIState != 0))
        texts << QStringLiteral("Vertical switching changed at the switcher: %1")
                     .arg(OnOff(got.VIState != 0));
    if (!std::equal(std::begin(got.IPAddress), std::end(got.IPAddress), std::begin(mine.IPAddress)))
        texts << QStringLiteral("IP address changed at the switcher: %1")
                     .arg(FormatIpAddress(got.IPAddress));
    if (texts.isEmpty())
        return;
    mine.FrontPanelLock = got.FrontPanelLock;
    mine.VIState = got.VIState;
    std::copy(std::begin(got.IPAddress), std::end(got.IPAddress), std::begin(mine.IPAddress));
    {
        // The boxes' handlers run as they are set; they must not send what came from there.
        const std::uint8_t saved = m_state.SuppressCommands;
        m_state.SuppressCommands = 1;
        m_statusRead.ShowSystemInfo();
        m_state.SuppressCommands = saved;
    }
    status(texts.join(QStringLiteral("; ")));
}

QList<int> FollowSwitcher::foreignTemporaryOutputs() const
{
    QList<int> out;
    for (int o = 0; o < OutputsOf(m_state); ++o)
        if (m_foreign[o] != kNoForeign && m_state.Routes[o].Taken != 0)
            out << o;
    return out;
}

int FollowSwitcher::foreignInput(int output) const
{
    return IsPortIndex(output) ? m_foreign[output] : kNoForeign;
}

void FollowSwitcher::foreignTaken()
{
    const QList<int> outputs = foreignTemporaryOutputs();
    if (outputs.isEmpty())
        return;
    // The front panel may have changed them since the last poll.
    RouteEntry got[kMaxPorts];
    const bool read = readRoutes(got);
    for (int o : outputs) {
        const bool sure = read && got[o].Taken != 0;
        const std::uint8_t input = sure ? got[o].Input : std::uint8_t(m_foreign[o]);
        m_state.Routes[o] = RouteEntry{input, 1};
        m_state.PreviousInput[o] = input;
        setForeign(o, kNoForeign);
        redrawRoute(o);
    }
    for (int o = 0; o < OutputsOf(m_state); ++o) {
        if (read)
            m_switcher.report(o, got[o]);
        else
            m_switcher.forget(o);
    }
}

void FollowSwitcher::foreignDropped()
{
    for (int o : foreignTemporaryOutputs())
        setForeign(o, kNoForeign);
}

void FollowSwitcher::setForeign(int output, int input)
{
    if (m_foreign[output] == input)
        return;
    m_foreign[output] = input;
    m_view.markForeign(output, input);
}

void FollowSwitcher::forgetForeign()
{
    for (int o = 0; o < kMaxPorts; ++o)
        setForeign(o, kNoForeign);
}

void FollowSwitcher::setLamp(FollowLamp lamp, const QString &why)
{
    if (lamp == m_lamp && why == m_lampWhy)
        return;
    m_lamp = lamp;
    m_lampWhy = why;
    emit lampChanged(lamp, why);
}

void FollowSwitcher::status(const QString &text) { m_view.showFollowStatus(text); }

void FollowSwitcher::redrawRoute(int output)
{
    m_routing.UpdateVideoLabelText(output);
    m_routing.UpdateVideoLabelColour(output);
    if (m_state.SelectedOutput == output)
        m_routing.HighlightRoutedInput(output);
}

} // namespace kv
