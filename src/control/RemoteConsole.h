#pragma once
// What the remote-control server needs of the console it serves. Numbers are 0-based.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace kv {

class Holds;

// The switcher as a remote client is told of it.
struct HubDevice {
    bool present = false;
    QString modelName;
    QString friendlyName;
    QString uniqueId;
    int inputs = 0;
    int outputs = 0;
    bool operator==(const HubDevice &) const = default;
};

enum class HubLabelKind { Input, Output };

class RemoteConsole {
public:
    virtual ~RemoteConsole() = default;

    virtual HubDevice device() const = 0;
    // The model's count of labels, as the operator's edits hold them.
    virtual QStringList labels(HubLabelKind kind) const = 0;
    // The input on air at each of the model's outputs; -1 for none.
    virtual QList<int> onAirRoutes() const = 0;

    // Whether remote work may run now: no exchange with the switcher and no operator action
    // under way.
    virtual bool gateFree() const = 0;
    // Pending temporary routes, a preset preview or an undo waiting for Take: one "TAKE 1"
    // would commit them.
    virtual bool operatorPending() const = 0;
    virtual bool inputAllowed(int output, int input) const = 0;
    // Protects and locks: the server keeps no hold of its own.
    virtual Holds &holds() = 0;
    // Why a salvo on these outputs may not run, its "TAKE 1" included; empty when it may.
    // owner's own locks do not hold it.
    virtual QString salvoRefusal(const QList<int> &outputs, const QString &owner) const = 0;

    // Before a salvo runs: the switcher's routes read now, so that its refusal knows every
    // temporary route made elsewhere that its "TAKE 1" would commit.
    virtual void readSwitcherRoutes(const QString &origin) = 0;
    // Routes every (output, input) as a temporary route, then takes them all at once.
    virtual void takeRoutes(const QList<QPair<int, int>> &routes, const QString &origin) = 0;
    virtual void setLabel(HubLabelKind kind, int port, const QString &text) = 0;
};

} // namespace kv
