#pragma once
// A LinkHost for tests: records every box, status text, page switch and cursor change, and
// answers questions from a queue. With the queue empty a question gets the answer that ends
// things (Cancel, No), so a forgotten box never loops.

#include "link/LinkHost.h"

#include <QList>
#include <QStringList>
#include <functional>

namespace kv::test {

class RecordingLinkHost : public LinkHost {
public:
    enum class Kind { Message, OkCancel, YesNo, Error };
    struct Box {
        Kind kind;
        QString title; // empty for plain boxes and the error box: the window adds its own
        QString text;
    };

    void showMessage(const QString &text) override;
    void showMessage(const QString &title, const QString &text) override;
    bool askOkCancel(const QString &title, const QString &text) override;
    bool askYesNo(const QString &title, const QString &text) override;
    void showError(const QString &text) override;
    void setStatusText(const QString &text) override;
    void setPagesEnabled(bool enabled) override { pagesEnabled.append(enabled); }
    bool showBusyCursor() override;
    void showArrowCursor() override;

    // Queue the answer of the next question: true = OK / Yes.
    void answer(bool yes) { m_answers.append(yes); }
    // Runs when a box appears, before it is answered (e.g. to look at the wire).
    std::function<void(const Box &)> onShow;
    // Runs on every status text; "Sending command...." marks the start of a serial wait.
    std::function<void(const QString &)> onStatus;

    QList<Box> boxes;
    QStringList statusTexts;
    QList<bool> pagesEnabled;
    bool busyCursor = false;
    int busyCursorShown = 0;

    QStringList texts() const;
    void clear();

private:
    bool record(Kind kind, const QString &title, const QString &text);
    QList<bool> m_answers;
};

} // namespace kv::test
