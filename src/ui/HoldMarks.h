#pragma once
// The marks of held outputs on the output buttons. A protected output shows a dark padlock
// and its context menu offers "Release Output n" (else "Protect Output n"). An output a
// remote client has locked shows a blue padlock, names the client in its tool tip, and
// offers "Force Lock Free".

#include "state/MatrixState.h"

#include <QObject>
#include <QString>

class QAction;

namespace kv {

class SwitchingPage;

class HoldMarks : public QObject {
    Q_OBJECT
public:
    explicit HoldMarks(SwitchingPage &page);

    // Outputs count from 0 here.
    void setProtected(int output, bool on);
    bool shownProtected(int output) const;
    // owner is the "ADDRESS:PORT" of the client; empty: no lock.
    void setLockedBy(int output, const QString &owner);
    QString shownLockOwner(int output) const;
    QAction *action(int output) const { return m_actions[output]; }    // ProtectOutputAction<n>
    QAction *forceAction(int output) const { return m_force[output]; } // ForceUnlockAction<n>

signals:
    void toggleRequested(int n);      // counts from 1
    void forceUnlockRequested(int n); // counts from 1

private:
    void show(int output);

    SwitchingPage &m_page;
    QAction *m_actions[kMaxPorts] = {};
    QAction *m_force[kMaxPorts] = {};
    bool m_on[kMaxPorts] = {};
    QString m_owner[kMaxPorts];
    // The button's own tool tip, the lock's line added below it.
    QString m_tip[kMaxPorts];
};

} // namespace kv
