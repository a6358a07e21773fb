#include "app/RoutingKeys.h"

#include "app/MatrixForm.h"
#include "control/Core.h"
#include "ui/SwitchingPage.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>

namespace kv {

RoutingKeys::RoutingKeys(TMatrixForm &form, KeyRoutingTarget &target)
    : QObject(&form), m_form(form), m_keys(form.core().state(), target)
{
    // The application sees a key before the focused control does, wherever the focus is.
    qApp->installEventFilter(this);
}

bool RoutingKeys::onSwitchingPage(QObject *receiver) const
{
    auto *w = qobject_cast<QWidget *>(receiver);
    if (!w || w->window() != &m_form || QApplication::activeModalWidget())
        return false;
    QWidget *page = m_form.ControlTabSheet;
    if (m_form.MainPageControl->currentWidget() != page || !page->isEnabled())
        return false;
    // Typing stays typing, and the menu bar keeps its own keys.
    if (qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractSpinBox *>(w) ||
        qobject_cast<QTextEdit *>(w) || qobject_cast<QPlainTextEdit *>(w) ||
        qobject_cast<QComboBox *>(w) || qobject_cast<QMenuBar *>(w))
        return false;
    return true;
}

bool RoutingKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !onSwitchingPage(watched))
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    return m_keys.keyPressed(key->key(), key->modifiers());
}

} // namespace kv
