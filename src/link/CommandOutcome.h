#pragma once

namespace kv {

// How one command line ended: what the route log may claim of it.
enum class CommandOutcome {
    NotSent,    // no link: nothing left the console
    Answered,   // the switcher acknowledged it
    Sent,       // sent without awaiting an acknowledgement (Ethernet's no-wait commands)
    Unanswered, // sent, and no acknowledgement came
};

} // namespace kv
