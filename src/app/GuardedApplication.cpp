#include "app/GuardedApplication.h"

#include "ui/Dialogs.h"

#include <exception>

namespace kv {

void ShowUnhandledError(const QString &text)
{
    Dialogs::instance().message(QApplication::activeWindow(), kAppTitle, text, Dialogs::Buttons::Ok,
                                Dialogs::Icon::Stop);
}

bool GuardedApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowUnhandledError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowUnhandledError(QStringLiteral("Unknown error"));
    }
    return false;
}

} // namespace kv
