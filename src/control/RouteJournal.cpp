#include "control/RouteJournal.h"

#include "config/RouteLogFile.h"

namespace kv {

bool IsConsoleOrigin(const QString &origin)
{
    return origin == QLatin1String("operator") || origin.startsWith(QLatin1String("preset ")) ||
           origin.startsWith(QLatin1String("sequence step "));
}

bool IsReportedOrigin(const QString &origin)
{
    return origin == QLatin1String("status read") || origin == QLatin1String("switcher");
}

RouteJournal::RouteJournal(const MatrixState &state, QObject *parent)
    : QObject(parent), m_state(state)
{
}

RouteJournal::~RouteJournal() = default;

void RouteJournal::writeTo(const QString &folder)
{
    m_writer = std::make_unique<RouteLogWriter>(folder);
}

QString RouteJournal::writeError() const { return m_writer ? m_writer->error() : QString(); }

QDateTime RouteJournal::now() const { return m_clock ? m_clock() : QDateTime::currentDateTime(); }

bool RouteJournal::write(const RouteChange &change)
{
    return !m_writer || m_writer->append(change);
}

RouteJournal::Scope::Scope(RouteJournal *journal, const QString &origin) : m_journal(journal)
{
    if (m_journal)
        m_journal->enter(origin);
}

RouteJournal::Scope::~Scope()
{
    if (m_journal)
        m_journal->leave();
}

void RouteJournal::enter(const QString &origin)
{
    // The table compared with is the switcher's as last recorded, not the console's: what a
    // scope changed without sending anything is not on the switcher.
    if (!m_baselined) {
        snapshot();
        m_baselined = true;
    }
    if (!m_frames.isEmpty())
        checkpoint(m_frames.last());
    m_frames.append({origin});
}

void RouteJournal::leave()
{
    if (m_frames.isEmpty())
        return;
    Frame frame = m_frames.takeLast();
    checkpoint(frame);
}

void RouteJournal::noteCommand(CommandOutcome outcome)
{
    if (m_frames.isEmpty() || outcome == CommandOutcome::NotSent)
        return;
    ++m_frames.last().sent;
    if (outcome == CommandOutcome::Unanswered)
        ++m_frames.last().unanswered;
}

namespace {
// Inputs count from 1 in the journal; anything out of range (as a switcher may report) is
// written as no input rather than as a number no button has.
int Number(std::uint8_t input) { return input < kMaxPorts ? input + 1 : 0; }
} // namespace

void RouteJournal::adopt(int output)
{
    if (!m_baselined || !IsPortIndex(output))
        return;
    if (m_unconfirmed[output]) {
        // The switcher was found holding the route an unanswered command asked for (or
        // another): the log's last word on the output must be what it holds.
        m_unconfirmed[output] = false;
        const int from = Number(std::uint8_t(confirmedOnAir(output)));
        const int to = Number(std::uint8_t(OnAirInput(m_state, output)));
        if (from != to)
            record({this->now(), output + 1, from, to, QStringLiteral("taken"),
                    QStringLiteral("switcher")});
    }
    m_routes[output] = m_state.Routes[output];
    m_previous[output] = m_state.PreviousInput[output];
}

void RouteJournal::snapshot(const QList<int> &kept)
{
    // An output whose last command went unanswered keeps what the switcher last confirmed.
    for (int o = 0; o < kMaxPorts; ++o) {
        if (m_unconfirmed[o] || kept.contains(o))
            continue;
        m_routes[o] = m_state.Routes[o];
        m_previous[o] = m_state.PreviousInput[o];
    }
}

bool RouteJournal::unconfirmed(int output) const
{
    return IsPortIndex(output) && m_unconfirmed[output];
}

int RouteJournal::confirmedOnAir(int output) const
{
    if (!IsPortIndex(output))
        return UNASSIGNED;
    return m_routes[output].Taken != 0 ? m_routes[output].Input : m_previous[output];
}

void RouteJournal::checkpoint(Frame &frame)
{
    const bool reported = IsReportedOrigin(frame.origin);
    const QString origin = reported && !m_awaited.isEmpty() ? m_awaited : frame.origin;
    if (reported)
        m_awaited.clear();
    const bool failed = !reported && frame.unanswered > 0;
    const bool silent = !reported && frame.sent == 0;
    frame.sent = frame.unanswered = 0;
    // Nothing reached the switcher: it still holds what the last line said.
    if (silent)
        return;
    if (reported)
        std::fill(std::begin(m_unconfirmed), std::end(m_unconfirmed), false);
    const QDateTime now = this->now();
    QList<RouteChange> taken;
    QList<int> changed, kept;
    for (int o = 0; o < OutputsOf(m_state); ++o) {
        const RouteEntry before = m_routes[o], after = m_state.Routes[o];
        // Shown differently here only (a file opened): no route moved on the switcher.
        if (!reported && m_switcher && m_switcher->known(o) &&
            m_switcher->route(o).Input == before.Input &&
            m_switcher->route(o).Taken == before.Taken && m_switcher->onAir(o) == m_previous[o] &&
            (after.Input != before.Input || after.Taken != before.Taken)) {
            kept << o;
            continue;
        }
        const std::uint8_t fallback = m_previous[o];
        RouteChange c{now, o + 1, 0, 0, {}, origin};
        if (after.Taken == 0) {
            if (after.Input == before.Input)
                continue; // pending on what it showed: no route moved
            c = {now,
                 o + 1,
                 Number(before.Input),
                 Number(after.Input),
                 QStringLiteral("temporary"),
                 origin};
        } else if (before.Taken == 0) {
            // A pending route either went on air, or fell back to its earlier input.
            const bool withdrawn = after.Input != before.Input && after.Input == fallback;
            const std::uint8_t from = withdrawn ? before.Input : fallback;
            if (from == after.Input)
                continue;
            c = {now,
                 o + 1,
                 Number(from),
                 Number(after.Input),
                 withdrawn ? QStringLiteral("withdrawn") : QStringLiteral("taken"),
                 origin};
        } else {
            if (after.Input == before.Input)
                continue;
            c = {now,   o + 1, Number(before.Input), Number(after.Input), QStringLiteral("taken"),
                 origin};
        }
        if (c.from == c.to)
            continue;
        if (failed)
            c.state = QStringLiteral("failed");
        record(c);
        changed << o;
        if (c.state == QLatin1String("taken"))
            taken << c;
    }
    if (!taken.isEmpty() && IsConsoleOrigin(origin))
        m_lastTake = taken;
    for (int o : changed)
        m_unconfirmed[o] = failed;
    snapshot(kept);
}

void RouteJournal::note(const QString &state, const QString &text)
{
    if (m_frames.isEmpty())
        return;
    RouteChange line;
    line.time = now();
    line.state = state;
    line.origin = QStringLiteral("%1: %2").arg(m_frames.last().origin, text);
    write(line);
}

void RouteJournal::record(const RouteChange &change)
{
    // The journal never stands in the way of routing: a failed write is said once, and
    // the change is still shown to whoever follows the journal.
    const bool written = write(change);
    if (!written && !m_failing)
        emit writeFailed();
    m_failing = !written;
    emit changeRecorded(change);
}

} // namespace kv
