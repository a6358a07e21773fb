#include "app/PageLock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace kv {

PageLock::PageLock(QWidget *pages) : QObject(pages), m_pages(pages) {}

void PageLock::setEnabled(bool enabled)
{
    if (!enabled && m_pages->isEnabled() && !m_holding) {
        m_holding = true;
        QCoreApplication::instance()->installEventFilter(this);
    }
    m_pages->setEnabled(enabled);
    if (enabled && m_holding) {
        m_holding = false;
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

void PageLock::showDisabled()
{
    m_holding = false;
    QCoreApplication::instance()->removeEventFilter(this);
    m_pages->update(); // the page and every control on it
}

bool PageLock::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_holding || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::EnabledChange:
        // Held back only for the page area; the widget's state itself has already changed.
        return widget == m_pages || m_pages->isAncestorOf(widget);
    case QEvent::UpdateRequest:
        // The window is about to paint while the pages are disabled: let it show.
        if (widget == m_pages->window())
            showDisabled();
        return false;
    default: return false;
    }
}

} // namespace kv
