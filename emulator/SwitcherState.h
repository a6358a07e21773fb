#pragma once
// The emulated switcher's own state and its command interpreter. No I/O: a line goes in, a
// response comes out, so the rules can be tested without a transport.

#include "state/MatrixState.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace kv::emu {

inline constexpr std::uint8_t kDefaultModel = 11;
inline constexpr char kFirmwareVersion[] = "2.05";

// What a line asks for; the framing (prefix, marker, terminator) is added by the caller.
struct Response {
    enum Kind { Ack, Error, Empty, Status };
    Kind kind = Error;
    QByteArray keyword; // first word of the line, "" for an empty line
    QByteArray payload; // Status only: the binary block
};

class SwitcherState {
public:
    explicit SwitcherState(std::uint8_t model = kDefaultModel);

    // One line, without its carriage return. An argument out of range answers Error and
    // leaves everything as it was.
    Response execute(const QByteArray &line);

    // 10 (8 x 8), 11, 12, 20 (16 x 16); false and no change for any other code.
    bool setModel(std::uint8_t code);
    std::uint8_t model() const { return m_model; }
    int outputs() const { return m_model == 10 ? 8 : 16; }
    int inputs() const { return outputs(); }

    // Everything back to the factory settings; the model stays.
    void factoryReset();

    // The switcher's own front panel, 1-based as on its keys (input 0: none). A taken route
    // goes on air at once; a temporary one waits for a TAKE like one sent by RTEMP. False,
    // with nothing changed, for a port out of range.
    bool panelRoute(int output, int input, bool taken);
    void setFrontPanelLock(bool on) { m_lock = on ? 1 : 0; }

    // The status blocks exactly as the queries deliver them.
    SystemInfo systemInfo() const;
    QByteArray routesBlock() const;         // RouteEntry x outputs
    QByteArray previousInputsBlock() const; // one byte per output
    const GroupTable &groups() const { return m_groups; }
    const PresetRecord &preset(int p) const { return m_presets[p]; }
    const GroupTable &presetGroups(int p) const { return m_presetGroups[p]; }

    RouteEntry route(int o) const { return m_routes[o]; }
    std::uint8_t previousInput(int o) const { return m_previous[o]; }
    bool reclock(int o) const { return m_reclock[o] != 0; }
    bool frontPanelLock() const { return m_lock != 0; }
    bool viState() const { return m_vi != 0; }
    const std::uint8_t *ipAddress() const { return m_ip; }

    // One line for scripts: model, routes, reclockers, groups, presets, settings.
    QString summary() const;

private:
    Response command(const QByteArray &keyword, const QList<int> &args);
    bool routeTemp(int output, int input);
    void take(bool commit);
    bool groupAdd(int g, int output, int input);
    bool groupDelete(int g, int output, int input);
    void groupClear(int g);
    bool presetSave(int p);
    bool presetRecall(int p);
    std::uint16_t reclockMask() const;

    std::uint8_t m_model;
    RouteEntry m_routes[kMaxPorts];
    std::uint8_t m_previous[kMaxPorts];
    std::uint8_t m_reclock[kMaxPorts];
    GroupTable m_groups;
    PresetRecord m_presets[kPresetCount];
    GroupTable m_presetGroups[kPresetCount];
    std::uint8_t m_lock = 0, m_vi = 0;
    std::uint8_t m_savedLock = 0, m_savedVi = 0;
    std::uint8_t m_ip[4];
};

// An empty group table: no member anywhere, spare bytes 0.
GroupTable EmptyGroupTable();

} // namespace kv::emu
