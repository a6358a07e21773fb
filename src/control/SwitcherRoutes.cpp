#include "control/SwitcherRoutes.h"

namespace kv {

void SwitcherRoutes::report(int output, RouteEntry route)
{
    if (!IsPortIndex(output))
        return;
    m_routes[output] = route;
    if (route.Taken != 0)
        m_onAir[output] = route.Input;
    m_known[output] = true;
}

void SwitcherRoutes::reportRead(const MatrixState &state)
{
    for (int o = 0; o < OutputsOf(state); ++o) {
        m_routes[o] = state.Routes[o];
        m_onAir[o] = state.PreviousInput[o];
        m_known[o] = true;
    }
}

void SwitcherRoutes::forget(int output)
{
    if (IsPortIndex(output))
        m_known[output] = false;
}

QList<int> SwitcherRoutes::command(CommandOutcome outcome, const QByteArray &line, int outputs)
{
    if (outcome == CommandOutcome::NotSent)
        return {};
    outputs = ClampCount(outputs);
    const QList<QByteArray> words = line.split(' ');
    const QByteArray keyword = words.value(0);
    const bool acknowledged = outcome == CommandOutcome::Answered;
    if (keyword == "RTEMP") {
        const int o = words.value(1).toInt() - 1;
        if (o < 0 || o >= outputs)
            return {};
        const int i = words.value(2).toInt();
        const std::uint8_t input = i == 0 ? UNASSIGNED : std::uint8_t(i - 1);
        m_routes[o].Input = input;
        // Back on the input on air, the switcher keeps the state the output had.
        if (m_onAir[o] != input)
            m_routes[o].Taken = 0;
        m_known[o] = m_known[o] && acknowledged;
        return {o};
    }
    const bool take = keyword == "TAKE", clear = keyword == "CLEAR";
    // A recall or a reset ends as the switcher's own tables say: the next report tells.
    const bool untold = keyword == "RPRST" || keyword == "RESETKV";
    if (!take && !clear && !untold)
        return {};
    QList<int> routed;
    for (int o = 0; o < outputs; ++o) {
        RouteEntry &r = m_routes[o];
        if (untold || !acknowledged) {
            m_known[o] = false;
        } else if (clear) {
            r = RouteEntry{UNASSIGNED, 1};
            m_onAir[o] = UNASSIGNED;
        } else if (r.Taken == 0) {
            if (words.value(1) == "1")
                m_onAir[o] = r.Input;
            r = RouteEntry{m_onAir[o], 1};
        }
        if (!take)
            routed << o;
    }
    return routed;
}

} // namespace kv
