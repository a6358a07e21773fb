#include "control/KeyRouting.h"

#include "control/Routing.h"

namespace kv {

namespace {
constexpr int kMaxDigits = 2;
}

int KeyRouting::awaitingInputFor() const
{
    // A selection changed or cleared by other means (a click, Cancel, a read) ends the wait.
    return m_keyOutput >= 0 && m_state.SelectedOutput == m_keyOutput ? m_keyOutput : -1;
}

bool KeyRouting::keyPressed(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    const bool enterKey = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool refused = m_state.Busy || m_target.refused();
    if (mods == Qt::ControlModifier && enterKey) {
        if (refused)
            return true;
        reset();
        m_target.take();
        return true;
    }
    if (mods != Qt::NoModifier)
        return false;
    const bool ours = (key >= Qt::Key_0 && key <= Qt::Key_9) || enterKey || key == Qt::Key_Escape ||
                      key == Qt::Key_Backspace || (key >= Qt::Key_F1 && key <= Qt::Key_F8);
    if (!ours)
        return false;
    // While an exchange runs the page's own controls refuse clicks; so do its keys.
    if (refused)
        return true;

    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        digit(char('0' + (key - Qt::Key_0)));
    else if (key == Qt::Key_Backspace)
        backspace();
    else if (enterKey)
        enter();
    else if (key == Qt::Key_Escape) {
        reset();
        m_target.cancel();
    } else
        preset(key - Qt::Key_F1 + 1);
    return true;
}

void KeyRouting::digit(char c)
{
    if (m_digits.size() < kMaxDigits)
        m_digits += QLatin1Char(c);
    showPrompt();
}

void KeyRouting::backspace()
{
    if (m_digits.isEmpty())
        return;
    m_digits.chop(1);
    if (m_digits.isEmpty())
        say(QString());
    else
        showPrompt();
}

void KeyRouting::enter()
{
    // Enter alone does nothing: there is no number to act on.
    if (m_digits.isEmpty())
        return;
    const int n = m_digits.toInt();
    m_digits.clear();
    const int output = awaitingInputFor();
    if (output < 0)
        selectOutput(n);
    else
        routeInput(output, n);
}

void KeyRouting::selectOutput(int n)
{
    m_keyOutput = -1;
    if (n < 1 || n > OutputsOf(m_state)) {
        say(QStringLiteral("No output %1").arg(n));
        return;
    }
    say(QString());
    m_target.outputClick(n);
    if (m_state.SelectedOutput == n - 1) {
        m_keyOutput = n - 1;
        showPrompt();
    }
}

void KeyRouting::routeInput(int output, int n)
{
    if (n < 1 || n > InputsOf(m_state)) {
        say(QStringLiteral("No input %1").arg(n));
        return;
    }
    if (!InputAllowedFor(m_state, output, n - 1)) {
        say(QStringLiteral("Input %1 is not in the group of output %2").arg(n).arg(output + 1));
        return;
    }
    m_keyOutput = -1;
    say(QString());
    m_target.inputClick(n);
}

void KeyRouting::preset(int n)
{
    reset();
    if (!PresetIsStored(m_state, n)) {
        say(QStringLiteral("Preset %1 is not stored").arg(n));
        return;
    }
    if (!m_target.recallAvailable()) {
        say(QStringLiteral("Preset save open: cancel it first"));
        return;
    }
    say(QString());
    m_target.recallPreview(n);
}

void KeyRouting::reset()
{
    const bool shown = !m_digits.isEmpty() || m_keyOutput >= 0;
    m_digits.clear();
    m_keyOutput = -1;
    if (shown)
        say(QString());
}

void KeyRouting::showPrompt()
{
    const int output = awaitingInputFor();
    if (output < 0)
        say(QStringLiteral("Output: %1").arg(m_digits));
    else
        say(QStringLiteral("Output %1, input: %2").arg(output + 1).arg(m_digits));
}

void KeyRouting::say(const QString &text) { m_target.setStatusText(text); }

} // namespace kv
