#include "protocol/Commands.h"

#include "link/CommandChannel.h"

namespace kv {

void SendIPConfig(CommandChannel &ch, int a, int b, int c, int d)
{
    ch.sendCommandNoWait("IPCONFIG %d %d %d %d\r", a, b, c, d);
}

void SendRouteTemp(CommandChannel &ch, int output, int input)
{
    ch.sendCommand("RTEMP %d %d\r", output + 1, input < 0 ? 0 : input + 1);
}

void SendTakeCommit(CommandChannel &ch) { ch.sendCommand("TAKE 1\r"); }
void SendTakeCancel(CommandChannel &ch) { ch.sendCommand("TAKE 0\r"); }

void SendReclock(CommandChannel &ch, int output, int state)
{
    ch.sendCommand("RCLOCK %d %d\r", output + 1, state);
}

void SendVIState(CommandChannel &ch, int state) { ch.sendCommand("VISTATE %d\r", state); }
void SendFrontPanelLock(CommandChannel &ch, int state) { ch.sendCommand("FPLOCK %d\r", state); }

void SendSystemSave(CommandChannel &ch) { ch.sendCommandNoWait("UPSYS\r"); }
void SendSystemRecall(CommandChannel &ch) { ch.sendCommand("RSYS\r"); }

void SendReset(CommandChannel &ch)
{
    CommandChannel::LongWait wait(ch);
    ch.sendCommandNoWait("RESETKV R\r");
}

void SendFactoryReset(CommandChannel &ch)
{
    CommandChannel::LongWait wait(ch);
    ch.sendCommandNoWait("RESETKV F\r");
}

void SendClearAll(CommandChannel &ch) { ch.sendCommand("CLEAR\r"); }

void SendPresetRecall(CommandChannel &ch, int preset, int flag)
{
    ch.sendCommandNoWait("RPRST %d %d\r", preset + 1, flag);
}

void SendPresetSave(CommandChannel &ch, int preset)
{
    ch.sendCommandNoWait("PRST %d\r", preset + 1);
}

void SendGroupClear(CommandChannel &ch, int group) { ch.sendCommand("GCLEAR %d\r", group + 1); }

void SendGroupAdd(CommandChannel &ch, int group, int output, int input)
{
    ch.sendCommand("GADD %d %d %d\r", group + 1, output + 1, input + 1);
}

void SendGroupDelete(CommandChannel &ch, int group, int output, int input)
{
    ch.sendCommand("GDEL %d %d %d\r", group + 1, output + 1, input + 1);
}

QByteArray QuerySystemInfoText() { return QByteArrayLiteral("MINFOKV\r"); }
QByteArray QueryRoutesText() { return QByteArrayLiteral("OINFOKV\r"); }
QByteArray QueryPreviousInputsText() { return QByteArrayLiteral("OPINFOKV\r"); }
QByteArray QueryGroupsText() { return QByteArrayLiteral("GINFOKV\r"); }
QByteArray QueryPresetText(int preset) { return "PINFOKV " + QByteArray::number(preset) + '\r'; }
QByteArray QueryPresetGroupsText(int preset)
{
    return "PGINFOKV " + QByteArray::number(preset) + '\r';
}

} // namespace kv
