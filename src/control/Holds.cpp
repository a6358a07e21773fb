#include "control/Holds.h"

#include <QStringList>

namespace kv {

Holds::Holds(QObject *parent) : QObject(parent), m_protects(new ProtectedOutputs(this)) {}

QString Holds::lockOwner(int output) const
{
    return IsPortIndex(output) ? m_owners[output] : QString();
}

bool Holds::applyLocks(const QList<QPair<int, QChar>> &locks, const QString &owner)
{
    for (const auto &[o, c] : locks) {
        if (!IsPortIndex(o))
            return false;
        const bool other = !m_owners[o].isEmpty() && m_owners[o] != owner;
        // The operator's protect shows as a lock no client can take or break.
        if ((c == u'O' && (other || isProtected(o))) || (c == u'U' && other) ||
            (c == u'F' && isProtected(o)))
            return false;
    }
    bool any = false;
    for (const auto &[o, c] : locks) {
        const QString now = c == u'O' ? owner : QString();
        any = any || m_owners[o] != now;
        m_owners[o] = now;
    }
    if (any)
        emit locksChanged();
    return true;
}

void Holds::releaseLocksOf(const QString &owner)
{
    bool any = false;
    for (QString &o : m_owners) {
        if (!o.isEmpty() && o == owner) {
            o.clear();
            any = true;
        }
    }
    if (any)
        emit locksChanged();
}

void Holds::releaseAllLocks()
{
    bool any = false;
    for (QString &o : m_owners) {
        any = any || !o.isEmpty();
        o.clear();
    }
    if (any)
        emit locksChanged();
}

void Holds::forceUnlock(int output)
{
    if (lockOwner(output).isEmpty())
        return;
    m_owners[output].clear();
    emit locksChanged();
}

QList<int> Holds::lockedAmong(const QList<int> &outputs, const QString &except) const
{
    QList<int> list;
    for (int o : outputs)
        if (!lockOwner(o).isEmpty() && lockOwner(o) != except)
            list << o;
    return list;
}

QList<int> Holds::protectedAmong(const QList<int> &outputs) const
{
    QList<int> list;
    for (int o : outputs)
        if (isProtected(o))
            list << o;
    return list;
}

QString Holds::lockedText(const QList<int> &outputs) const
{
    QStringList owners;
    for (int o : outputs)
        if (!owners.contains(lockOwner(o)))
            owners << lockOwner(o);
    return QStringLiteral("output(s) %1 locked by remote client %2")
        .arg(ProtectedOutputs::numbers(outputs), owners.join(QStringLiteral(", ")));
}

bool Holds::mayChange(const QString &what, const QList<int> &outputs, const QString &question,
                      HoldQuestions &questions)
{
    QList<int> passed;
    for (;;) {
        QList<int> guarded;
        for (int o : protectedAmong(outputs))
            if (!passed.contains(o))
                guarded << o;
        const QList<int> held = lockedAmong(outputs);
        if (guarded.isEmpty() && held.isEmpty())
            return true;
        if (!guarded.isEmpty()) {
            if (!questions.askYesNo(QStringLiteral("%1 would change protected output(s) %2. %3")
                                        .arg(what, ProtectedOutputs::numbers(guarded), question)))
                return false;
            passed << guarded;
            continue;
        }
        if (!questions.askYesNo(QStringLiteral("%1 would change %2. Force the lock(s) free?")
                                    .arg(what, lockedText(held))))
            return false;
        for (int o : held)
            forceUnlock(o);
    }
}

QString Holds::refusal(const QList<int> &outputs, const QString &owner) const
{
    QStringList why;
    if (const QList<int> guarded = protectedAmong(outputs); !guarded.isEmpty())
        why << QStringLiteral("output(s) %1 protected").arg(ProtectedOutputs::numbers(guarded));
    if (const QList<int> held = lockedAmong(outputs, owner); !held.isEmpty())
        why << lockedText(held);
    return why.join(QStringLiteral("; "));
}

} // namespace kv
