#pragma once
// The core as the remote-control server sees it: the model, the applied labels, the routes
// on air, the gate, and the operations a remote request runs through.

#include "control/RemoteConsole.h"

#include <cstdint>

namespace kv {

class Core;

class CoreRemote : public RemoteConsole {
public:
    explicit CoreRemote(Core &core);

    HubDevice device() const override;
    QStringList labels(HubLabelKind kind) const override;
    QList<int> onAirRoutes() const override;
    bool gateFree() const override;
    bool operatorPending() const override;
    bool inputAllowed(int output, int input) const override;
    Holds &holds() override;
    QString salvoRefusal(const QList<int> &outputs, const QString &owner) const override;
    void readSwitcherRoutes(const QString &origin) override;
    void takeRoutes(const QList<QPair<int, int>> &routes, const QString &origin) override;
    void setLabel(HubLabelKind kind, int port, const QString &text) override;

private:
    Core &m_core;
    QString m_uniqueId;
    QString m_friendlyName;
};

// The model as clients are told it: "Kestavion KV Control HD SDI (8 x 8)".
QString RemoteModelName(std::uint8_t modelCode, int inputs, int outputs);

} // namespace kv
