#include "app/FollowWindow.h"

#include "app/MatrixForm.h"
#include "control/Core.h"
#include "ui/FollowMarks.h"

#include <QApplication>
#include <QStatusBar>

namespace kv {

bool FollowWindow::mayPoll() const
{
    return !m_form.core().acting() && !QApplication::activeModalWidget();
}

void FollowWindow::showFollowStatus(const QString &text)
{
    m_form.MainStatusBar->showMessage(text);
}

void FollowWindow::markChanged(int output, const QString &tip)
{
    if (m_form.m_followMarks)
        m_form.m_followMarks->markChanged(output, tip);
}

void FollowWindow::unmarkChanged(int output)
{
    if (m_form.m_followMarks)
        m_form.m_followMarks->unmarkChanged(output);
}

void FollowWindow::markForeign(int output, int input)
{
    if (m_form.m_followMarks)
        m_form.m_followMarks->markForeign(output, input);
}

} // namespace kv
