#include "protocol/Commands.h"

#include "link/CommandChannel.h"

#include <cstdarg>

namespace kv {

namespace {

enum class Ethernet { Wait, NoWait };

// Serial always awaits the answer; over Ethernet some commands return at once.
void dispatch(CommandChannel &ch, Ethernet ethernet, const char *fmt, ...)
    __attribute__((format(printf, 3, 4)));

void dispatch(CommandChannel &ch, Ethernet ethernet, const char *fmt, ...)
{
    const LinkMode mode = ch.linkMode();
    if (mode == LinkMode::None)
        return;
    va_list args;
    va_start(args, fmt);
    ch.vformat(fmt, args);
    va_end(args);
    if (mode == LinkMode::Ethernet && ethernet == Ethernet::NoWait)
        ch.SendCommandNoWait();
    else
        ch.SendCommand();
}

void sendReset(CommandChannel &ch, const char *text)
{
    // The switcher takes its time over a reset: only the serial wait is stretched for it.
    if (ch.linkMode() == LinkMode::Serial) {
        ch.SerialReplyTimeout = ch.timeouts().ResetTicks;
        dispatch(ch, Ethernet::NoWait, "%s", text);
        ch.SerialReplyTimeout = ch.timeouts().NormalTicks;
    } else {
        dispatch(ch, Ethernet::NoWait, "%s", text);
    }
}

} // namespace

void SendIPConfig(CommandChannel &ch, int a, int b, int c, int d)
{
    dispatch(ch, Ethernet::NoWait, "IPCONFIG %d %d %d %d\r", a, b, c, d);
}

void SendRouteTemp(CommandChannel &ch, int output, int input)
{
    dispatch(ch, Ethernet::Wait, "RTEMP %d %d\r", output + 1, input < 0 ? 0 : input + 1);
}

void SendTakeCommit(CommandChannel &ch) { dispatch(ch, Ethernet::Wait, "TAKE 1\r"); }
void SendTakeCancel(CommandChannel &ch) { dispatch(ch, Ethernet::Wait, "TAKE 0\r"); }

void SendReclock(CommandChannel &ch, int output, int state)
{
    dispatch(ch, Ethernet::Wait, "RCLOCK %d %d\r", output + 1, state);
}

void SendVIState(CommandChannel &ch, int state)
{
    dispatch(ch, Ethernet::Wait, "VISTATE %d\r", state);
}
void SendFrontPanelLock(CommandChannel &ch, int state)
{
    dispatch(ch, Ethernet::Wait, "FPLOCK %d\r", state);
}

void SendSystemSave(CommandChannel &ch) { dispatch(ch, Ethernet::NoWait, "UPSYS\r"); }
void SendSystemRecall(CommandChannel &ch) { dispatch(ch, Ethernet::Wait, "RSYS\r"); }
void SendReset(CommandChannel &ch) { sendReset(ch, "RESETKV R\r"); }
void SendFactoryReset(CommandChannel &ch) { sendReset(ch, "RESETKV F\r"); }
void SendClearAll(CommandChannel &ch) { dispatch(ch, Ethernet::Wait, "CLEAR\r"); }

void SendPresetRecall(CommandChannel &ch, int preset, int flag)
{
    dispatch(ch, Ethernet::NoWait, "RPRST %d %d\r", preset + 1, flag);
}

void SendPresetSave(CommandChannel &ch, int preset)
{
    dispatch(ch, Ethernet::NoWait, "PRST %d\r", preset + 1);
}

void SendGroupClear(CommandChannel &ch, int group)
{
    dispatch(ch, Ethernet::Wait, "GCLEAR %d\r", group + 1);
}

void SendGroupAdd(CommandChannel &ch, int group, int output, int input)
{
    dispatch(ch, Ethernet::Wait, "GADD %d %d %d\r", group + 1, output + 1, input + 1);
}

void SendGroupDelete(CommandChannel &ch, int group, int output, int input)
{
    dispatch(ch, Ethernet::Wait, "GDEL %d %d %d\r", group + 1, output + 1, input + 1);
}

void FormatQuerySystemInfo(CommandChannel &ch) { ch.format("MINFOKV\r"); }
void FormatQueryRoutes(CommandChannel &ch) { ch.format("OINFOKV\r"); }
void FormatQueryPreviousInputs(CommandChannel &ch) { ch.format("OPINFOKV\r"); }
void FormatQueryGroups(CommandChannel &ch) { ch.format("GINFOKV\r"); }
void FormatQueryPreset(CommandChannel &ch, int preset) { ch.format("PINFOKV %d\r", preset); }
void FormatQueryPresetGroups(CommandChannel &ch, int preset)
{
    ch.format("PGINFOKV %d\r", preset);
}

} // namespace kv
