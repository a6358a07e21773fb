#pragma once
// A remote client's routes as the switcher gets them: one temporary route per line, then a
// single take, all inside one exchange, through the routing operations so that the page
// shows them as it shows the operator's.

#include <QList>
#include <QPair>

namespace kv {

class CommandChannel;
class Routing;
struct MatrixState;

// (output, input) pairs, 0-based and already checked against the model and its groups.
void TakeRemoteSalvo(MatrixState &state, CommandChannel &channel, Routing &routing,
                     const QList<QPair<int, int>> &routes);

} // namespace kv
