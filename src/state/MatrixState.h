#pragma once
// The console's one mirror of the switcher. Plain data on the ground floor: every room may
// read it, and it includes nothing of the GUI. The packed blocks are byte images of the
// switcher's status replies and of the configuration file, copied unchanged.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kv {

// No input, no output, in no group, nothing selected.
inline constexpr std::uint8_t UNASSIGNED = 252;

inline constexpr int kMaxPorts = 16; // per-input and per-output arrays, whatever the model
inline constexpr int kGroupCount = 8;
inline constexpr int kPresetCount = 8;
inline constexpr int kLabelSize = 6;

#pragma pack(push, 1)

struct RouteEntry {
    std::uint8_t Input; // 0..InputCount-1 or UNASSIGNED
    std::uint8_t Taken; // 1 = committed, 0 = temporary (RTEMP, awaiting TAKE)
};
static_assert(sizeof(RouteEntry) == 2);

struct GroupTable {
    std::int8_t GroupMemberCount[kGroupCount];
    std::int8_t GroupOutputCount[kGroupCount];
    std::int8_t GroupInputCount[kGroupCount];
    std::uint8_t GroupInputs[kGroupCount][kMaxPorts]; // g when input i is in group g
    std::uint8_t OutputGroup[kMaxPorts];              // group of each output or UNASSIGNED
    std::uint8_t Spare[2];
};
static_assert(sizeof(GroupTable) == 170);

struct PresetRecord {
    std::uint8_t Stored;
    std::uint8_t LastSaved;
    std::uint16_t ReclockMask; // little-endian on the wire; x86/ARM hosts are little-endian
    RouteEntry Routes[kMaxPorts];
};
static_assert(sizeof(PresetRecord) == 36);

struct SystemInfo {
    std::uint8_t FrontPanelLock;
    std::uint8_t Unused1[3];
    std::uint16_t ReclockMask;
    std::uint8_t Unused6;
    std::uint8_t VIState;
    char FirmwareVersion[6]; // NUL-terminated only when shorter than 6
    std::uint8_t ModelCode;
    std::uint8_t IPAddress[4];
    std::uint8_t Unused19;
};
static_assert(sizeof(SystemInfo) == 20);

// The 520-byte configuration file, byte for byte.
struct ConfigRecord {
    std::uint8_t Reserved0;
    RouteEntry Routes[kMaxPorts];
    GroupTable Groups;
    std::uint8_t Reserved203[11];
    char InputLabels[kMaxPorts][kLabelSize];
    std::uint8_t Reserved310[6];
    char OutputLabels[kMaxPorts][kLabelSize];
    std::uint8_t Reserved412[6];
    char GroupLabels[kGroupCount][kLabelSize];
    std::uint8_t Reserved466[6];
    char PresetLabels[kPresetCount][kLabelSize];
};
static_assert(sizeof(ConfigRecord) == 520);
static_assert(offsetof(ConfigRecord, Routes) == 1);
static_assert(offsetof(ConfigRecord, Groups) == 33);
static_assert(offsetof(ConfigRecord, InputLabels) == 214);
static_assert(offsetof(ConfigRecord, OutputLabels) == 316);
static_assert(offsetof(ConfigRecord, GroupLabels) == 418);
static_assert(offsetof(ConfigRecord, PresetLabels) == 472);

#pragma pack(pop)

struct MatrixState {
    std::uint8_t SerialPortOpen;
    std::uint8_t EthernetConnected;
    std::int16_t OutputCount;
    std::int16_t InputCount;
    SystemInfo Info;
    RouteEntry Routes[kMaxPorts];
    std::uint8_t PreviousInput[kMaxPorts];
    GroupTable Groups;
    std::uint8_t Reclock[kMaxPorts];
    std::uint8_t SavedReclock[kMaxPorts];
    std::uint8_t SavedTaken[kMaxPorts];
    // During a preview PreviousInput holds what Cancel puts back; the input on air waits here.
    std::uint8_t SavedPrevious[kMaxPorts];
    GroupTable SavedGroups;
    PresetRecord Presets[kPresetCount];
    GroupTable PresetGroups[kPresetCount];
    std::int32_t SelectedOutput;
    std::int32_t SelectedPreset;
    ConfigRecord Config;
    std::int32_t PresetPreviewPending;
    std::int32_t Busy;
    std::uint8_t SuppressCommands;
};

// The operator handlers' re-entrancy guard: takes Busy when it is free and gives it back
// however the handler ends, an escaping error included. False when Busy was taken already.
class BusyGuard {
public:
    explicit BusyGuard(MatrixState &state) : m_state(state), m_taken(state.Busy == 0)
    {
        if (m_taken)
            m_state.Busy = 1;
    }
    ~BusyGuard()
    {
        if (m_taken)
            m_state.Busy = 0;
    }
    BusyGuard(const BusyGuard &) = delete;
    BusyGuard &operator=(const BusyGuard &) = delete;
    explicit operator bool() const { return m_taken; }

private:
    MatrixState &m_state;
    bool m_taken;
};

// The page resets that belong inside the start-up sequence; the window supplies them.
struct InitHooks {
    std::function<void()> GatherLabels; // label edits -> Config
    std::function<void()> InitGroups;   // group table emptied and Grouping page reset
    std::function<void()> InitPresets;  // presets emptied and preset panel hidden
};

// Start-up values, in their documented order, on a zero-filled block.
void InitMatrixState(MatrixState &s, const InitHooks &hooks = {});

// Data halves of InitGroups/InitPresets, for the pages that own the rest.
void ClearGroupTable(MatrixState &s);
void ClearPresets(MatrixState &s);

// 10 -> 8 x 8; 11, 12, 20 -> 16 x 16; any other code leaves the counts.
void ApplyModelCode(MatrixState &s, std::uint8_t code);
bool IsKnownModelCode(std::uint8_t code);

// number counts from 1 (1-8); out-of-range numbers are never stored.
bool PresetIsStored(const MatrixState &s, int number);

// The input on air at the output (0-based) as far as the console knows: a pending route, a
// previewed one included, is not on air yet.
int OnAirInput(const MatrixState &s, int output);

// Whether recalling the preset would move the output (0-based, inside the model) off the
// input it has on air.
bool PresetChangesOutput(const MatrixState &s, const PresetRecord &preset, int output);

// Only the model's outputs take part; the other bits and entries are left alone.
std::uint16_t PackReclockMask(const std::uint8_t reclock[kMaxPorts], int outputCount);
void UnpackReclockMask(std::uint16_t mask, std::uint8_t reclock[kMaxPorts], int outputCount);

// Counts and indices from the switcher or a file are stored as received; these keep every
// loop and lookup inside the arrays.
inline int ClampCount(int n, int max = kMaxPorts) { return n < 0 ? 0 : (n > max ? max : n); }
inline int OutputsOf(const MatrixState &s) { return ClampCount(s.OutputCount); }
inline int InputsOf(const MatrixState &s) { return ClampCount(s.InputCount); }
inline bool IsGroupIndex(int g) { return g >= 0 && g < kGroupCount; }
inline bool IsPortIndex(int i) { return i >= 0 && i < kMaxPorts; }

// Whether a group other than except (-1: none) holds the input; empty groups hold nothing.
inline bool InputInAnyGroup(const GroupTable &t, int input, int except = -1)
{
    if (!IsPortIndex(input))
        return false;
    for (int j = 0; j < kGroupCount; ++j)
        if (j != except && t.GroupInputCount[j] != 0 && t.GroupInputs[j][input] == j)
            return true;
    return false;
}

} // namespace kv
