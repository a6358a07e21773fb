#pragma once
// What holds outputs against change: the operator's protects and the remote clients' locks.
// Every way of changing routes asks here, so that a hold means the same to all of them.

#include "control/ProtectedOutputs.h"

#include <QChar>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

namespace kv {

// Asks the operator a Yes/No question; the window answers, tests script it.
class HoldQuestions {
public:
    virtual ~HoldQuestions() = default;
    virtual bool askYesNo(const QString &text) = 0;
};

class Holds : public QObject {
    Q_OBJECT
public:
    explicit Holds(QObject *parent = nullptr);

    ProtectedOutputs &protects() { return *m_protects; }
    bool isProtected(int output) const { return m_protects->isProtected(output); }
    // "ADDRESS:PORT" of the client holding the output (0-based); empty when none does.
    QString lockOwner(int output) const;

    // A client's lock changes ('O' take, 'U' release, 'F' force): all or none. False when
    // one is another client's, or protected, or no output.
    bool applyLocks(const QList<QPair<int, QChar>> &locks, const QString &owner);
    void releaseLocksOf(const QString &owner);
    void releaseAllLocks();
    // The operator frees a lock; lockForced tells its owner's server.
    void forceUnlock(int output);

    // "output(s) 3, 5 locked by remote client 127.0.0.1:50000"
    QString lockedText(const QList<int> &outputs) const;
    QList<int> lockedAmong(const QList<int> &outputs, const QString &except = {}) const;
    QList<int> protectedAmong(const QList<int> &outputs) const;

    // Whether what would move these outputs may go on: protected ones are asked about (Yes
    // passes them), locked ones too (Yes frees them). A hold taken while a question is up is
    // asked about as well, before anything is sent.
    bool mayChange(const QString &what, const QList<int> &outputs, const QString &question,
                   HoldQuestions &questions);
    // For work nobody can be asked about: why it may not move these outputs; empty when it
    // may. owner's own locks do not hold it.
    QString refusal(const QList<int> &outputs, const QString &owner = {}) const;

signals:
    void locksChanged();

private:
    ProtectedOutputs *m_protects;
    QString m_owners[kMaxPorts];
};

} // namespace kv
