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

    // 0-based; outputs outside 0-15 are never protected.
    bool isProtected(int output) const;
    void setProtected(int output, bool on);
    void toggle(int output) { setProtected(output, !isProtected(output)); }
    QList<int> all() const;

    // "3, 5" for outputs 2 and 4.
    static QString numbers(const QList<int> &outputs);

signals:
    void changed(int output, bool on);

private:
    void save() const;

    bool m_on[kMaxPorts] = {};
};

} // namespace kv
