#include "EmuChecks.h"

#include <QStringList>

namespace kv::test {

QString GroupsText(const GroupTable &t)
{
    QStringList groups;
    for (int g = 0; g < kGroupCount; ++g) {
        if (t.GroupMemberCount[g] <= 0)
            continue;
        QStringList outs, ins;
        for (int o = 0; o < kMaxPorts; ++o)
            if (t.OutputGroup[o] == g)
                outs << QString::number(o + 1);
        for (int i = 0; i < kMaxPorts; ++i)
            if (t.GroupInputs[g][i] == g)
                ins << QString::number(i + 1);
        groups << QString("%1:o%2/i%3").arg(g + 1).arg(outs.join('.'), ins.join('.'));
    }
    return groups.isEmpty() ? "-" : groups.join(',');
}

QString GroupCountsFault(const GroupTable &t)
{
    for (int g = 0; g < kGroupCount; ++g) {
        int outs = 0, ins = 0;
        for (int o = 0; o < kMaxPorts; ++o)
            outs += t.OutputGroup[o] == g;
        for (int i = 0; i < kMaxPorts; ++i)
            ins += t.GroupInputs[g][i] == g;
        if (t.GroupOutputCount[g] != outs || t.GroupInputCount[g] != ins ||
            t.GroupMemberCount[g] != outs + ins)
            return QString("group %1 counts %2/%3/%4 for %5 outputs and %6 inputs")
                .arg(g + 1)
                .arg(t.GroupMemberCount[g])
                .arg(t.GroupOutputCount[g])
                .arg(t.GroupInputCount[g])
                .arg(outs)
                .arg(ins);
    }
    return {};
}

QString GroupTableFault(const GroupTable &t)
{
    for (int g = 0; g < kGroupCount; ++g) {
        int outs = 0, ins = 0;
        for (int o = 0; o < kMaxPorts; ++o)
            outs += t.OutputGroup[o] == g;
        for (int i = 0; i < kMaxPorts; ++i) {
            const int v = t.GroupInputs[g][i];
            if (v != g && v != UNASSIGNED)
                return QString("group %1 row holds %2").arg(g + 1).arg(v);
            ins += v == g;
            for (int j = 0; j < g; ++j)
                if (v == g && t.GroupInputs[j][i] == j)
                    return QString("input %1 in groups %2 and %3").arg(i + 1).arg(j + 1).arg(g + 1);
        }
        if (const QString counts = GroupCountsFault(t); !counts.isEmpty())
            return counts;
        if (ins > 0 && outs == 0)
            return QString("group %1 has inputs but no output").arg(g + 1);
    }
    for (int o = 0; o < kMaxPorts; ++o)
        if (t.OutputGroup[o] >= kGroupCount && t.OutputGroup[o] != UNASSIGNED)
            return QString("output %1 in group byte %2").arg(o + 1).arg(t.OutputGroup[o]);
    return t.Spare[0] || t.Spare[1] ? "spare bytes set" : QString();
}

} // namespace kv::test
