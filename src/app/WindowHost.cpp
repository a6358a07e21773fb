#include "app/WindowHost.h"

#include "app/PageLock.h"
#include "ui/Dialogs.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QStatusBar>

namespace kv {

WindowHost::WindowHost(QMainWindow *window, QWidget *pages, QStatusBar *statusBar)
    : m_window(window), m_pages(pages), m_statusBar(statusBar), m_pageLock(new PageLock(pages))
{
}

void WindowHost::showMessage(const QString &text) { Dialogs::instance().plain(m_window, text); }

void WindowHost::showMessage(const QString &title, const QString &text)
{
    Dialogs::instance().message(m_window, title, text, Dialogs::Buttons::Ok, Dialogs::Icon::None);
}

bool WindowHost::askOkCancel(const QString &title, const QString &text)
{
    return Dialogs::instance().okCancel(m_window, title, text);
}

bool WindowHost::askYesNo(const QString &title, const QString &text)
{
    return Dialogs::instance().yesNo(m_window, title, text);
}

void WindowHost::showError(const QString &text)
{
    Dialogs::instance().message(m_window, kAppTitle, text, Dialogs::Buttons::Ok,
                                Dialogs::Icon::Stop);
}

void WindowHost::setStatusText(const QString &text)
{
    m_statusBar->showMessage(text);
    // Most callers block the event loop next; the operator should still see the text. A
    // cleared text ends an operation, and the event loop paints it: forcing the paint would
    // also paint every control that changed meanwhile.
    if (!text.isEmpty())
        m_statusBar->repaint();
}

void WindowHost::setPagesEnabled(bool enabled) { m_pageLock->setEnabled(enabled); }

bool WindowHost::showBusyCursor()
{
    const QCursor *current = QGuiApplication::overrideCursor();
    if (current && current->shape() == Qt::WaitCursor)
        return false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    return true;
}

void WindowHost::showArrowCursor()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace kv
