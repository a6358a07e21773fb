#pragma once
// The switcher's routes as far as this console knows them: as a read or a poll reported them,
// moved on by this console's own commands as the switcher acknowledged them. An output is
// unknown after a command whose end on it cannot be told (unanswered, a preset recall, a
// reset) until the switcher reports it again.

#include "link/CommandOutcome.h"
#include "state/MatrixState.h"

#include <QByteArray>
#include <QList>

namespace kv {

class SwitcherRoutes {
public:
    // One output as a poll or a query found it.
    void report(int output, RouteEntry route);
    // A whole read: its routes and the inputs on air behind the temporary ones.
    void reportRead(const MatrixState &state);
    // A command line's end (outputs: the model's count); the outputs it routed, 0-based.
    QList<int> command(CommandOutcome outcome, const QByteArray &line, int outputs);
    void forget(int output);

    bool known(int output) const { return IsPortIndex(output) && m_known[output]; }
    RouteEntry route(int output) const
    {
        return IsPortIndex(output) ? m_routes[output] : RouteEntry{};
    }
    // What goes out of the output: a temporary route is not on air yet.
    std::uint8_t onAir(int output) const
    {
        return IsPortIndex(output) ? m_onAir[output] : UNASSIGNED;
    }

private:
    RouteEntry m_routes[kMaxPorts] = {};
    std::uint8_t m_onAir[kMaxPorts] = {};
    bool m_known[kMaxPorts] = {};
};

} // namespace kv
