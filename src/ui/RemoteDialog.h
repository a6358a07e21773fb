#pragma once
// "Remote Control": whether the console serves control panels, on which address and port,
// read-only or not; what the server is doing; and the outputs clients have locked, which the
// operator can force free. The dialog holds the choices; applying them is done above it.

#include "config/Settings.h"

#include <QDialog>
#include <QHostAddress>
#include <QList>
#include <QPair>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace kv {

struct RemoteChoices {
    bool enabled = settings::RemoteEnabled.fallback;
    QString bind = settings::RemoteBind.fallback;
    int port = settings::RemotePort.fallback;
    bool readOnly = settings::RemoteReadOnly.fallback;
};

class RemoteDialog : public QDialog {
    Q_OBJECT
public:
    explicit RemoteDialog(QWidget *parent = nullptr);

    void setChoices(const RemoteChoices &choices);
    RemoteChoices choices() const;
    void setStatusText(const QString &text);
    // (output 0-based, owner) for every locked output.
    void setLocks(const QList<QPair<int, QString>> &locks);

    QCheckBox *listenBox() const { return m_listen; }
    QLineEdit *bindEdit() const { return m_bind; }
    QSpinBox *portEdit() const { return m_port; }
    QCheckBox *readOnlyBox() const { return m_readOnly; }
    QListWidget *lockList() const { return m_locks; }

signals:
    void applyRequested();
    // The operator asked to free the lock on the output (0-based); the question comes above.
    void forceUnlockRequested(int output);

private:
    void updateWarning();

    QCheckBox *m_listen;
    QLineEdit *m_bind;
    QSpinBox *m_port;
    QCheckBox *m_readOnly;
    QLabel *m_warning;
    QLabel *m_status;
    QListWidget *m_locks;
    QPushButton *m_unlock;
};

} // namespace kv
