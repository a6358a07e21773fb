#pragma once
// Routing from the keyboard on the Video Switching page: a typed output number and Enter
// selects the output, the next number and Enter routes an input to it; Ctrl+Enter takes,
// Escape cancels, F1 to F8 preview a preset. The decisions live here, widget-free; the
// actions are the page's own handlers, so guards and commands are those of a click.

#include "state/MatrixState.h"

#include <QString>
#include <QtCore/qnamespace.h>

namespace kv {

// What a key stands for: the page's own handlers, numbers counting from 1. The window
// implements it.
class KeyRoutingTarget {
public:
    virtual ~KeyRoutingTarget() = default;
    virtual void outputClick(int n) = 0;
    virtual void inputClick(int n) = 0;
    virtual void take() = 0;
    virtual void cancel() = 0;
    // Recall, then the preset's button.
    virtual void recallPreview(int n) = 0;
    // False while the preset panel is saving: its buttons would store, not recall.
    virtual bool recallAvailable() const = 0;
    virtual void setStatusText(const QString &text) = 0;
    // True while an exchange with the switcher is in progress: keys are refused as clicks are.
    virtual bool refused() const = 0;
};

class KeyRouting {
public:
    KeyRouting(MatrixState &state, KeyRoutingTarget &target) : m_state(state), m_target(target) {}

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
    KeyRoutingTarget &m_target;
    QString m_digits;
    int m_keyOutput = -1;
};

} // namespace kv
