#pragma once
// The window's side of the link room's needs: message boxes through the Dialogs seam, the
// status bar, the page area and the cursor.

#include "link/LinkHost.h"

class QMainWindow;
class QStatusBar;
class QWidget;

namespace kv {

class PageLock;

class WindowHost : public LinkHost {
public:
    WindowHost(QMainWindow *window, QWidget *pages, QStatusBar *statusBar);

    void showMessage(const QString &text) override;
    void showMessage(const QString &title, const QString &text) override;
    bool askOkCancel(const QString &title, const QString &text) override;
    bool askYesNo(const QString &title, const QString &text) override;
    void showError(const QString &text) override;
    void setStatusText(const QString &text) override;
    void setPagesEnabled(bool enabled) override;
    bool showBusyCursor() override;
    void showArrowCursor() override;

private:
    QMainWindow *m_window;
    QWidget *m_pages;
    QStatusBar *m_statusBar;
    PageLock *m_pageLock; // owned by the pages
};

} // namespace kv
