#pragma once
// Every command line the console sends, one operation each. Arguments are 0-based MatrixState
// indices; the operation adds 1 where the switcher counts from 1. Nothing is formatted or sent
// without a live link, and no operation reports back: the caller's change stands regardless.

#include <QByteArray>

namespace kv {

class CommandChannel;

void SendIPConfig(CommandChannel &ch, int a, int b, int c, int d); // octets, unshifted
void SendRouteTemp(CommandChannel &ch, int output, int input);     // input -1: disconnect
void SendTakeCommit(CommandChannel &ch);
void SendTakeCancel(CommandChannel &ch);
void SendReclock(CommandChannel &ch, int output, int state);
void SendVIState(CommandChannel &ch, int state);
void SendFrontPanelLock(CommandChannel &ch, int state);
void SendSystemSave(CommandChannel &ch);
void SendSystemRecall(CommandChannel &ch);
void SendReset(CommandChannel &ch);
void SendFactoryReset(CommandChannel &ch);
void SendClearAll(CommandChannel &ch);
void SendPresetRecall(CommandChannel &ch, int preset, int flag); // flag 1: confirm a preview
void SendPresetSave(CommandChannel &ch, int preset);
void SendGroupClear(CommandChannel &ch, int group);                         // 200: all groups
void SendGroupAdd(CommandChannel &ch, int group, int output, int input);    // 100: side not given
void SendGroupDelete(CommandChannel &ch, int group, int output, int input); // 100: side not given

// Side values callers pass for "not given" and "all groups".
inline constexpr int kNoSide = 100;
inline constexpr int kAllGroups = 200;

// The status query texts; CommandChannel::runQuery sends them. The preset queries take the
// 0-based index as it is.
QByteArray QuerySystemInfoText();             // MINFOKV
QByteArray QueryRoutesText();                 // OINFOKV
QByteArray QueryPreviousInputsText();         // OPINFOKV
QByteArray QueryGroupsText();                 // GINFOKV
QByteArray QueryPresetText(int preset);       // PINFOKV p
QByteArray QueryPresetGroupsText(int preset); // PGINFOKV p

} // namespace kv
