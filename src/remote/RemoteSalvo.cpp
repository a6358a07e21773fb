#include "remote/RemoteSalvo.h"

#include "control/Routing.h"
#include "link/CommandChannel.h"
#include "protocol/Commands.h"
#include "state/MatrixState.h"

namespace kv {

void TakeRemoteSalvo(MatrixState &state, CommandChannel &channel, Routing &routing,
                     const QList<QPair<int, int>> &routes)
{
    const CommandChannel::Exchange exchange(channel);
    const BusyGuard busy(state);
    for (const auto &[o, i] : routes) {
        if (!IsPortIndex(o) || o >= OutputsOf(state) || i < 0 || i >= InputsOf(state))
            continue;
        state.Routes[o].Input = std::uint8_t(i);
        state.Routes[o].Taken = 0;
        routing.UpdateVideoLabelText(o);
        SendRouteTemp(channel, o, i);
    }
    routing.TakeRoutes();
    // The operator's selected output shows its new input.
    if (IsPortIndex(state.SelectedOutput))
        routing.HighlightRoutedInput(state.SelectedOutput);
}

} // namespace kv
