// Routing, grouping and preset rules of the emulated switcher, and its status blocks.
#include "SwitcherState.h"

#include <QStringList>
#include <cstring>

namespace kv::emu {

namespace {
constexpr int kNotGiven = 101;
bool inRange(int v, int lo, int hi) { return v >= lo && v <= hi; }
} // namespace

bool SwitcherState::routeTemp(int output, int input)
{
    if (!inRange(output, 1, outputs()) || !inRange(input, 0, inputs()))
        return false;
    const int o = output - 1;
    const std::uint8_t in = input == 0 ? UNASSIGNED : std::uint8_t(input - 1);
    m_routes[o].Input = in;
    // Back on the committed input, an output keeps whatever state it had, as the console does.
    if (m_previous[o] != in)
        m_routes[o].Taken = 0;
    return true;
}

bool SwitcherState::panelRoute(int output, int input, bool taken)
{
    if (!taken)
        return routeTemp(output, input);
    if (!inRange(output, 1, outputs()) || !inRange(input, 0, inputs()))
        return false;
    const int o = output - 1;
    const std::uint8_t in = input == 0 ? UNASSIGNED : std::uint8_t(input - 1);
    m_routes[o] = {in, 1};
    m_previous[o] = in;
    return true;
}

void SwitcherState::take(bool commit)
{
    for (int o = 0; o < kMaxPorts; ++o) {
        RouteEntry &r = m_routes[o];
        if (r.Taken != 0)
            continue;
        if (commit)
            m_previous[o] = r.Input;
        else
            r.Input = m_previous[o];
        r.Taken = 1;
    }
}

bool SwitcherState::groupAdd(int group, int output, int input)
{
    const bool hasOut = output != kNotGiven, hasIn = input != kNotGiven;
    if (!inRange(group, 1, kGroupCount) || (!hasOut && !hasIn))
        return false;
    if ((hasOut && !inRange(output, 1, outputs())) || (hasIn && !inRange(input, 1, inputs())))
        return false;
    const int g = group - 1, o = output - 1, i = input - 1;
    GroupTable &t = m_groups;
    // A port belongs to one group at most, and a group takes inputs only once it has outputs.
    if (hasOut && t.OutputGroup[o] != UNASSIGNED && t.OutputGroup[o] != g)
        return false;
    if (hasIn) {
        for (int j = 0; j < kGroupCount; ++j)
            if (j != g && t.GroupInputs[j][i] == j)
                return false;
        if (t.GroupOutputCount[g] < 1 && !hasOut)
            return false;
    }
    if (hasOut && t.OutputGroup[o] != g) {
        t.OutputGroup[o] = std::uint8_t(g);
        ++t.GroupOutputCount[g];
        ++t.GroupMemberCount[g];
    }
    if (hasIn && t.GroupInputs[g][i] != g) {
        t.GroupInputs[g][i] = std::uint8_t(g);
        ++t.GroupInputCount[g];
        ++t.GroupMemberCount[g];
    }
    return true;
}

bool SwitcherState::groupDelete(int group, int output, int input)
{
    const bool hasOut = output != kNotGiven, hasIn = input != kNotGiven;
    if (!inRange(group, 1, kGroupCount) || (!hasOut && !hasIn))
        return false;
    if ((hasOut && !inRange(output, 1, outputs())) || (hasIn && !inRange(input, 1, inputs())))
        return false;
    const int g = group - 1, o = output - 1, i = input - 1;
    GroupTable &t = m_groups;
    if ((hasOut && t.OutputGroup[o] != g) || (hasIn && t.GroupInputs[g][i] != g))
        return false;
    if (hasIn) {
        t.GroupInputs[g][i] = UNASSIGNED;
        --t.GroupInputCount[g];
        --t.GroupMemberCount[g];
    }
    if (hasOut) {
        t.OutputGroup[o] = UNASSIGNED;
        --t.GroupOutputCount[g];
        --t.GroupMemberCount[g];
        if (t.GroupOutputCount[g] < 1)
            groupClear(g); // a group without outputs holds no inputs either
    }
    return true;
}

void SwitcherState::groupClear(int g)
{
    GroupTable &t = m_groups;
    for (int j = 0; j < kGroupCount; ++j) {
        if (g >= 0 && j != g)
            continue;
        t.GroupMemberCount[j] = t.GroupOutputCount[j] = t.GroupInputCount[j] = 0;
        std::memset(t.GroupInputs[j], UNASSIGNED, sizeof t.GroupInputs[j]);
        for (std::uint8_t &og : t.OutputGroup)
            if (og == j)
                og = UNASSIGNED;
    }
}

bool SwitcherState::presetSave(int p)
{
    if (!inRange(p, 0, kPresetCount - 1))
        return false;
    for (PresetRecord &r : m_presets)
        r.LastSaved = 0;
    PresetRecord &r = m_presets[p];
    r.Stored = 1;
    r.LastSaved = 1;
    r.ReclockMask = reclockMask();
    std::memcpy(r.Routes, m_routes, sizeof r.Routes); // pending routes keep Taken 0
    m_presetGroups[p] = m_groups;
    return true;
}

bool SwitcherState::presetRecall(int p)
{
    if (!inRange(p, 0, kPresetCount - 1) || !m_presets[p].Stored)
        return false;
    const PresetRecord &r = m_presets[p];
    // A recall goes on air at once: every route of the model is committed.
    for (int o = 0; o < outputs(); ++o) {
        m_routes[o] = {r.Routes[o].Input, 1};
        m_previous[o] = r.Routes[o].Input;
        m_reclock[o] = (r.ReclockMask >> o) & 1;
    }
    m_groups = m_presetGroups[p];
    return true;
}

std::uint16_t SwitcherState::reclockMask() const
{
    std::uint16_t mask = 0;
    for (int o = 0; o < outputs(); ++o)
        if (m_reclock[o])
            mask |= std::uint16_t(1u << o);
    return mask;
}

SystemInfo SwitcherState::systemInfo() const
{
    SystemInfo info;
    std::memset(&info, 0, sizeof info);
    info.FrontPanelLock = m_lock;
    info.ReclockMask = reclockMask();
    info.VIState = m_vi;
    std::strncpy(info.FirmwareVersion, kFirmwareVersion, sizeof info.FirmwareVersion);
    info.ModelCode = m_model;
    std::memcpy(info.IPAddress, m_ip, 4);
    return info;
}

QByteArray SwitcherState::routesBlock() const
{
    return QByteArray(reinterpret_cast<const char *>(m_routes), outputs() * sizeof(RouteEntry));
}

QByteArray SwitcherState::previousInputsBlock() const
{
    return QByteArray(reinterpret_cast<const char *>(m_previous), outputs());
}

namespace {
QString portText(std::uint8_t v) { return v == UNASSIGNED ? "-" : QString::number(v + 1); }
} // namespace

QString SwitcherState::summary() const
{
    QStringList routes, groups, presets;
    for (int o = 0; o < outputs(); ++o) {
        QString r = portText(m_routes[o].Input);
        if (!m_routes[o].Taken)
            r += '*' + portText(m_previous[o]); // pending, and what TAKE 0 goes back to
        routes << r;
    }
    for (int g = 0; g < kGroupCount; ++g) {
        if (m_groups.GroupMemberCount[g] <= 0)
            continue;
        QStringList outs, ins;
        for (int o = 0; o < kMaxPorts; ++o)
            if (m_groups.OutputGroup[o] == g)
                outs << QString::number(o + 1);
        for (int i = 0; i < kMaxPorts; ++i)
            if (m_groups.GroupInputs[g][i] == g)
                ins << QString::number(i + 1);
        groups << QString("%1:o%2/i%3").arg(g + 1).arg(outs.join('.'), ins.join('.'));
    }
    int last = 0;
    for (int p = 0; p < kPresetCount; ++p) {
        if (m_presets[p].Stored)
            presets << QString::number(p + 1);
        if (m_presets[p].LastSaved)
            last = p + 1;
    }
    auto orDash = [](const QStringList &l, char sep) { return l.isEmpty() ? "-" : l.join(sep); };
    return QString("model=%1 routes=%2 reclock=0x%3 groups=%4 presets=%5 last=%6 lock=%7 vi=%8 "
                   "saved-lock=%9 saved-vi=%10 ip=%11.%12.%13.%14")
        .arg(m_model)
        .arg(routes.join(','))
        .arg(reclockMask(), 4, 16, QChar('0'))
        .arg(orDash(groups, ','), orDash(presets, ','))
        .arg(last)
        .arg(m_lock)
        .arg(m_vi)
        .arg(m_savedLock)
        .arg(m_savedVi)
        .arg(m_ip[0])
        .arg(m_ip[1])
        .arg(m_ip[2])
        .arg(m_ip[3]);
}

} // namespace kv::emu
