#pragma once
// The route journal: every change of an output's route that the switcher acknowledged or
// reported. An operation runs inside a Scope naming its origin; the scope compares the route
// table before and after and reports one change per output that moved. Scopes nest: an inner
// one (a status read inside a connection) closes what the outer one saw so far and reports
// its own part under its own origin.
//
// A scope that sent nothing (no link, a preview, an undo shown) records nothing and keeps
// comparing with what the switcher last held; one whose command went unanswered records its
// changes as "failed".

#include "control/SwitcherRoutes.h"
#include "link/CommandOutcome.h"
#include "state/MatrixState.h"
#include "state/RouteChange.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace kv {

class RouteLogWriter;

// Origins the console itself makes; only these give an undo.
bool IsConsoleOrigin(const QString &origin);
// Origins whose changes the switcher reported (a read): recorded whatever was sent.
bool IsReportedOrigin(const QString &origin);

class RouteJournal : public QObject {
    Q_OBJECT
public:
    explicit RouteJournal(const MatrixState &state, QObject *parent = nullptr);

    ~RouteJournal() override;

    // Where the changes are written: a file a day in folder. Until then, nowhere.
    void writeTo(const QString &folder);
    // Why the last write failed.
    QString writeError() const;
    // The time stamped on a change; local time unless a test sets its own.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    class Scope {
    public:
        Scope(RouteJournal *journal, const QString &origin);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        RouteJournal *m_journal;
    };

    // Inside an operation: a line of the operation's own beside its changes, on no output
    // (readers of routes pass it by). Outside one it is written nowhere.
    void note(const QString &state, const QString &text);

    // The taken changes of the last operation made from this console that took any.
    QList<RouteChange> lastConsoleTake() const { return m_lastTake; }

    // Every command line's end, from the channel: decides what the open scope may record.
    void noteCommand(CommandOutcome outcome);
    // The switcher holds what the console now shows on the output, and nobody changed it
    // there: a difference the console made itself was put right. Recorded nowhere.
    void adopt(int output);
    // The next report of the switcher (a read, a poll) is written under this origin: it finds
    // what an action whose end cannot be told (a reset) changed.
    void awaitReport(const QString &origin) { m_awaited = origin; }
    // The switcher's routes as last reported and moved on by acknowledged commands: an output
    // the switcher still holds as it did was not changed there, whatever the console shows.
    void watch(const SwitcherRoutes &switcher) { m_switcher = &switcher; }
    bool awaitingReport() const { return !m_awaited.isEmpty(); }

    // The output's last change went unanswered: the switcher may not hold what the console
    // shows. Until a later answer or a read, confirmedOnAir() is the input it last confirmed
    // on air (0-based, UNASSIGNED for none).
    bool unconfirmed(int output) const;
    int confirmedOnAir(int output) const;

signals:
    void changeRecorded(const kv::RouteChange &change);
    // The sink failed after working (or from the start); said once until it works again.
    void writeFailed();

private:
    struct Frame {
        QString origin;
        int sent = 0;       // commands that left the console since the last checkpoint
        int unanswered = 0; // of those, the ones never acknowledged
    };

    void enter(const QString &origin);
    void leave();
    void checkpoint(Frame &frame);
    void snapshot(const QList<int> &kept = {});
    void record(const RouteChange &change);

    QDateTime now() const;
    bool write(const RouteChange &change);

    const MatrixState &m_state;
    std::function<QDateTime()> m_clock;
    std::unique_ptr<RouteLogWriter> m_writer;
    QList<Frame> m_frames;
    RouteEntry m_routes[kMaxPorts] = {};
    std::uint8_t m_previous[kMaxPorts] = {};
    QList<RouteChange> m_lastTake;
    bool m_failing = false;
    bool m_baselined = false;
    bool m_unconfirmed[kMaxPorts] = {};
    QString m_awaited;
    const SwitcherRoutes *m_switcher = nullptr;
};

} // namespace kv
