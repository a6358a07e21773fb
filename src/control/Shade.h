#pragma once
// The state colours the switching operations paint, without naming a widget colour: the page
// that draws them maps each to its own (ui/Colours).

namespace kv {

enum class Shade {
    Face,   // the system button face
    Yellow, // selected output, its input, group members
    Lime,   // settled route, step on air
    Red,    // pending route, lit lamps
};

} // namespace kv
