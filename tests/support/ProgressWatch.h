#pragma once
// What the progress window said each time it was shown, and how often it was hidden.

#include "app/InfoForm.h"

#include <QEvent>
#include <QObject>
#include <QStringList>
#include <functional>

namespace kv::test {

class ProgressWatch : public QObject {
public:
    explicit ProgressWatch(TInfoForm *form) : m_form(form) { form->installEventFilter(this); }
    QStringList shownTexts;
    int hides = 0;
    // Runs each time the window is shown (e.g. to look at the main window then).
    std::function<void()> onShow;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show) {
            shownTexts << m_form->InfoLabel->text();
            if (onShow)
                onShow();
        } else if (e->type() == QEvent::Hide) {
            ++hides;
        }
        return false;
    }

private:
    TInfoForm *m_form;
};

} // namespace kv::test
