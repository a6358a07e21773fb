#pragma once
// Outputs the operator has protected: they take no input from a click, Clear All Routing
// leaves them alone, and a recall that would change them asks first. Remembered across
// runs in the settings.

#include "state/MatrixState.h"

#include <QList>
#include <QObject>
#include <QString>

namespace kv {

class ProtectedOutputs : public QObject {
    Q_OBJECT
public:
    explicit ProtectedOutputs(QObject *parent = nullptr);

    // Takes up the protects saved by an earlier run; what it cannot, problem() names. Only
    // the first reader of the settings hears that they are damaged, and the first write
    // mends them: restore before anything else uses them.
    void restore();
    QString problem() const { return m_problem; }

    // 0-based; outputs outside 0-15 are never protected.
    bool isProtected(int output) const;
    void setProtected(int output, bool on);
    void toggle(int output) { setProtected(output, !isProtected(output)); }
    QList<int> all() const;

    // "3, 5" for outputs 2 and 4.
    static QString numbers(const QList<int> &outputs);

signals:
    void changed(int output, bool on);
    // Protects lost or about to be lost to the settings, for the operator; empty again once
    // a save succeeds.
    void settingsProblem(const QString &text);

private:
    void save();
    void setProblem(const QString &text);

    bool m_on[kMaxPorts] = {};
    QString m_problem;
};

} // namespace kv
