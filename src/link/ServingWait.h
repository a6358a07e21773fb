#pragma once
// The link's waits. Past a short grace for an answer, each one goes on serving the event loop
// (the window repaints, clients of the remote server get their answers, timers fire) instead
// of blocking the thread. The gate
// that the waiting exchange holds keeps every other exchange out meanwhile: operator actions
// are refused and timer or remote work waits its turn.

class QAbstractSocket;
class QIODevice;

namespace kv {

// The first part of a wait for an answer that is not served: a switcher that answers at all
// answers within it (a short reply's line time is a few milliseconds).
inline constexpr int kAnswerGraceMs = 15;

// True when new bytes came within timeoutMs; false when the time ran out, the device failed
// or it was closed.
bool AwaitReadyRead(QIODevice &device, int timeoutMs);
// Until the socket is unconnected or timeoutMs has passed; true when it is unconnected.
bool AwaitDisconnected(QAbstractSocket &socket, int timeoutMs);
// Lets ms pass.
void ServeFor(int ms);

} // namespace kv
