#pragma once
// The application object. An error that no operation handles ends up here: it is shown in
// the general error box (its text, a stop icon, the application's title) and the event loop
// goes on with the console's state as it was.

#include <QApplication>

namespace kv {

class GuardedApplication : public QApplication {
    Q_OBJECT
public:
    GuardedApplication(int &argc, char **argv) : QApplication(argc, argv) {}
    bool notify(QObject *receiver, QEvent *event) override;
};

// The general error box.
void ShowUnhandledError(const QString &text);

} // namespace kv
