#pragma once
// The operator answers the core's questions in a box over the window.

#include "control/Holds.h"
#include "ui/Dialogs.h"

#include <QWidget>

namespace kv {

class WindowQuestions : public HoldQuestions {
public:
    explicit WindowQuestions(QWidget *window) : m_window(window) {}
    bool askYesNo(const QString &text) override
    {
        return Dialogs::instance().yesNo(m_window, kAppTitle, text);
    }

private:
    QWidget *m_window;
};

} // namespace kv
