#pragma once
// Following the switcher: while it is on and the console has nothing of its own pending, a
// poll of the routes once an interval (and of the system status every tenth time) corrects
// what the console shows after someone routed elsewhere. It never changes a route on the
// switcher, never withdraws a pending route, never shows a box.
//
// A poll is compared with the switcher's routes as it last reported them (a read, a poll),
// moved on by this console's own acknowledged commands: only what moved since is a change
// made at the switcher. What the console shows differently by its own doing (a file, a
// reset) is put back to the switcher's routes without a word.

#include "control/SwitcherRoutes.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QTimer;

namespace kv {

class CommandChannel;
class RouteJournal;
class Routing;
class StatusRead;

enum class FollowLamp { Off, Live, Waiting, Stopped };

// What following shows on the window and asks of it.
class FollowView {
public:
    virtual ~FollowView() = default;
    // Nothing of the console's own is under way: no action, no open box.
    virtual bool mayPoll() const = 0;
    virtual void showFollowStatus(const QString &text) = 0;
    virtual void markChanged(int output, const QString &tip) = 0;
    virtual void unmarkChanged(int output) = 0;
    virtual void markForeign(int output, int input) = 0; // input -1: none any more
};

class FollowSwitcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kSystemEvery = 10; // every tenth poll reads the system status too
    static constexpr int kMissesToPause = 3;
    static constexpr int kPausedEvery = 10; // while paused, one try in this many intervals

    FollowSwitcher(MatrixState &state, CommandChannel &channel, int intervalMs, FollowView &view,
                   Routing &routing, StatusRead &statusRead, RouteJournal &journal,
                   QObject *parent = nullptr);

    void setEnabled(bool on);
    bool enabled() const { return m_enabled; }
    bool paused() const { return m_paused; }
    FollowLamp lamp() const { return m_lamp; }

    // Outputs (0-based) holding a temporary route that this console did not make.
    QList<int> foreignTemporaryOutputs() const;
    int foreignInput(int output) const;
    const SwitcherRoutes &switcherRoutes() const { return m_switcher; }
    // Before a "TAKE 1": the switcher's routes read now, so that the question names every
    // temporary route made elsewhere and what the take commits is not found later as a change
    // made at the switcher.
    void catchUp();
    // A Take here has just committed them: what went on air is read from the switcher.
    void foreignTaken();
    // A "TAKE 0" here has just dropped them: what is on air stays.
    void foreignDropped();

    // One interval's work; the timer calls it.
    void tick();
    // A read has just put the switcher's routes into the state, before they are shown.
    void switcherRead();

signals:
    // Outputs (0-based) whose route a poll found changed at the switcher.
    void routesChangedAtSwitcher(const QList<int> &outputs);
    // Outputs shown again as the switcher has them, after a difference the console made.
    void routesCorrected(const QList<int> &outputs);
    void lampChanged(kv::FollowLamp lamp, const QString &why);

private:
    enum class Asked { Nothing, Routes, System };

    bool pendingHere() const;
    bool mayStart() const;
    void startSystemPoll();
    void onAnswered(const QByteArray &reply);
    void onUnanswered();
    void onSwitcherAnswered();
    void applyRoutes(const QByteArray &reply);
    void applySystem(const QByteArray &reply);
    void onCommand(CommandOutcome outcome, const QByteArray &line);
    bool readRoutes(RouteEntry *got);
    void takeReadTemporaries(bool inRead);
    void unmarkChanged(int output);
    void setForeign(int output, int input);
    void forgetForeign();
    void setLamp(FollowLamp lamp, const QString &why);
    void status(const QString &text);
    void redrawRoute(int output);

    MatrixState &m_state;
    CommandChannel &m_channel;
    FollowView &m_view;
    Routing &m_routing;
    StatusRead &m_statusRead;
    RouteJournal *m_journal;
    QTimer *m_timer;
    bool m_enabled = false;
    bool m_paused = false;
    bool m_systemDue = false;
    int m_polls = 0;
    int m_misses = 0;
    int m_pausedTicks = 0;
    Asked m_asked = Asked::Nothing;
    FollowLamp m_lamp = FollowLamp::Off;
    QString m_lampWhy;
    int m_foreign[kMaxPorts];
    SwitcherRoutes m_switcher;
    // Temporary routes a read found while following was off, shown pending as it shows them.
    bool m_readTemporary[kMaxPorts] = {};
};

// "input 7", or "no input" for none; a value out of range is shown as received.
QString InputWords(int input);

} // namespace kv
