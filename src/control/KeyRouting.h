#pragma once
// Routing from the keyboard on the Video Switching page: a typed output number and Enter
// selects the output, the next number and Enter routes an input to it; Ctrl+Enter takes,
// Escape cancels, F1 to F8 preview a preset. The decisions live here, widget-free; the
// actions are the page's own handlers, so guards and commands are those of a click.

#include "state/MatrixState.h"

#include <QString>
#include <QtCore/qnamespace.h>
#include <functional>

namespace kv {

// The handlers a key stands for; numbers count from 1. The window fills them in.
struct KeyRoutingActions {
    std::function<void(int n)> OutputButtonClick;
    std::function<void(int n)> InputButtonClick;
    std::function<void()> TakeButtonClick;
    std::function<void()> CancelTakeButtonClick;
    // Recall, then the preset's button.
    std::function<void(int n)> RecallPreview;
    // False while the preset panel is saving: its buttons would store, not recall.
    std::function<bool()> RecallAvailable;
    std::function<void(const QString &)> SetStatusText;
    // True while an exchange with the switcher is in progress: keys are refused as clicks are.
    std::function<bool()> Refused;
};

class KeyRouting {
public:
    explicit KeyRouting(MatrixState &state) : m_state(state) {}

    KeyRoutingActions actions;

    // A key pressed on the page; false when the key is not one of ours.
    bool keyPressed(int key, Qt::KeyboardModifiers modifiers);

    // Forgets the digits and the output awaiting its input, as when the page is left.
    void clear() { reset(); }

    QString typed() const { return m_digits; }
    // The output the next number routes to (0-based), or -1 while a number selects one.
    int awaitingInputFor() const;

private:
    void digit(char c);
    void backspace();
    void enter();
    void selectOutput(int n);
    void routeInput(int output, int n);
    void preset(int n);
    void reset();
    void showPrompt();
    void say(const QString &text);

    MatrixState &m_state;
    QString m_digits;
    int m_keyOutput = -1;
};

} // namespace kv
