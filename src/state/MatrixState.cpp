#include "state/MatrixState.h"

#include <cstring>

namespace kv {

void ClearGroupTable(MatrixState &s)
{
    GroupTable &t = s.Groups;
    std::memset(t.OutputGroup, UNASSIGNED, sizeof t.OutputGroup);
    for (int g = 0; g < kGroupCount; ++g) {
        t.GroupMemberCount[g] = t.GroupInputCount[g] = t.GroupOutputCount[g] = 0;
        std::memset(t.GroupInputs[g], UNASSIGNED, sizeof t.GroupInputs[g]);
    }
}

void ClearPresets(MatrixState &s)
{
    const int outputs = OutputsOf(s), inputs = InputsOf(s);
    for (int p = 0; p < kPresetCount; ++p) {
        PresetRecord &r = s.Presets[p];
        r.Stored = 0;
        r.LastSaved = 0;
        for (int o = 0; o < outputs; ++o)
            r.Routes[o] = {UNASSIGNED, 1};
        GroupTable &t = s.PresetGroups[p];
        for (int o = 0; o < outputs; ++o)
            t.OutputGroup[o] = UNASSIGNED;
        for (int g = 0; g < kGroupCount; ++g) {
            t.GroupMemberCount[g] = t.GroupInputCount[g] = t.GroupOutputCount[g] = 0;
            for (int i = 0; i < inputs; ++i)
                t.GroupInputs[g][i] = UNASSIGNED;
        }
        t.Spare[0] = t.Spare[1] = 0;
    }
}

void InitMatrixState(MatrixState &s, const InitHooks &hooks)
{
    s.Busy = 1;
    s.SerialPortOpen = 0;
    s.EthernetConnected = 0;
    s.PresetPreviewPending = 0;
    s.OutputCount = 16;
    s.InputCount = 16;
    for (int o = 0; o < kMaxPorts; ++o) {
        s.Routes[o] = {UNASSIGNED, 1};
        s.PreviousInput[o] = UNASSIGNED;
        s.Reclock[o] = 0;
        s.SavedReclock[o] = 0;
    }
    if (hooks.GatherLabels)
        hooks.GatherLabels();
    s.SelectedOutput = UNASSIGNED;
    s.SelectedPreset = UNASSIGNED;
    ClearGroupTable(s);
    if (hooks.InitGroups)
        hooks.InitGroups();
    ClearPresets(s);
    if (hooks.InitPresets)
        hooks.InitPresets();
    s.Busy = 0;
}

bool IsKnownModelCode(std::uint8_t code)
{
    return code == 10 || code == 11 || code == 12 || code == 20;
}

void ApplyModelCode(MatrixState &s, std::uint8_t code)
{
    if (code == 10) {
        s.OutputCount = s.InputCount = 8;
    } else if (IsKnownModelCode(code)) {
        s.OutputCount = s.InputCount = 16;
    }
}

bool PresetIsStored(const MatrixState &s, int number)
{
    if (number < 1 || number > kPresetCount)
        return false;
    return s.Presets[number - 1].Stored != 0;
}

bool PresetChangesOutput(const MatrixState &s, const PresetRecord &preset, int output)
{
    if (output < 0 || output >= OutputsOf(s))
        return false;
    return preset.Routes[output].Input != OnAirInput(s, output);
}

int OnAirInput(const MatrixState &s, int output)
{
    if (output < 0 || output >= kMaxPorts)
        return UNASSIGNED;
    const RouteEntry &r = s.Routes[output];
    if (r.Taken != 0)
        return r.Input;
    // A route pending before the preview still waits behind it.
    if (s.PresetPreviewPending != 0 && s.SavedTaken[output] == 0)
        return s.SavedPrevious[output];
    return s.PreviousInput[output];
}

std::uint16_t PackReclockMask(const std::uint8_t reclock[kMaxPorts], int outputCount)
{
    std::uint16_t mask = 0;
    for (int i = 0; i < ClampCount(outputCount); ++i)
        if (reclock[i] == 1)
            mask |= std::uint16_t(1u << i);
    return mask;
}

void UnpackReclockMask(std::uint16_t mask, std::uint8_t reclock[kMaxPorts], int outputCount)
{
    for (int i = 0; i < ClampCount(outputCount); ++i)
        reclock[i] = (mask >> i) & 1u;
}

} // namespace kv
