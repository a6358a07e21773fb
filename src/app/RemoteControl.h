#pragma once
// The remote-control server as the window shows it: the Remote Control dialog and its
// remembered choices, the status bar's note, and the question that frees a client's lock.

#include <QHostAddress>
#include <QObject>

class QAction;
class QLabel;
class QStatusBar;

namespace kv {

class RemoteDialog;
class RemoteServer;
class TMatrixForm;

class RemoteControl : public QObject {
    Q_OBJECT
public:
    // Serves at once when the saved choices say so.
    RemoteControl(TMatrixForm &form, QStatusBar &bar, QAction &menuItem);
    ~RemoteControl() override;

    RemoteServer *server() const { return m_server; }
    // Serves on the address for this run, whatever the settings say; says in the status bar
    // when it cannot.
    bool serve(const QHostAddress &address, quint16 port);
    // As serve(), for the command line: a failure is also one line on standard error and,
    // unless nobody may be there to answer, a box.
    bool serveAtStartUp(const QHostAddress &address, quint16 port, bool unattended);
    // Asks, then frees a remote client's lock on the output (0-based).
    void askForceUnlock(int output);

private:
    void openDialog();
    void showStatus();

    TMatrixForm &m_form;
    QStatusBar &m_bar;
    RemoteServer *m_server;
    QLabel *m_status = nullptr;
    RemoteDialog *m_dialog = nullptr; // made when first opened
};

} // namespace kv
