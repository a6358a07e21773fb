#pragma once
// What the link room needs of the window above it. The window implements it; the link never
// includes a widget header.

#include <QString>

namespace kv {

class LinkHost {
public:
    virtual ~LinkHost() = default;

    // A plain message box: no icon, one OK button, the application's title.
    virtual void showMessage(const QString &text) = 0;
    // The same with a title of its own.
    virtual void showMessage(const QString &title, const QString &text) = 0;
    // A question with a title of its own; true for OK / Yes.
    virtual bool askOkCancel(const QString &title, const QString &text) = 0;
    virtual bool askYesNo(const QString &title, const QString &text) = 0;
    // The general error box: stop icon, the application's title.
    virtual void showError(const QString &text) = 0;

    virtual void setStatusText(const QString &text) = 0;
    virtual void setPagesEnabled(bool enabled) = 0;
    // Shows the hourglass unless it is shown already; true when this call showed it.
    virtual bool showBusyCursor() = 0;
    virtual void showArrowCursor() = 0;
};

} // namespace kv
