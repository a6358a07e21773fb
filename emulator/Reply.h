#pragma once
// The bytes of an answer, and how they go out, with the faults applied.
//
//   command        "\r\nOK\r\n#"         (7 bytes)
//   refused line   "\r\nERR\r\n#"        (8 bytes)
//   empty line     "\r\n#"               (3 bytes)
//   status query   "\r\n" 1 0 PAYLOAD "\r\n#"

#include "Faults.h"
#include "SwitcherState.h"

namespace kv::emu {

inline constexpr char kStartMarker = 1;
inline constexpr char kSkipByte = 0;
inline constexpr int kNormalMarkerPos = 2; // after "\r\n"

struct Reply {
    QByteArray data;
    bool silent = false;     // nothing at all goes out
    int delayMs = 0;         // before the first byte
    int gapMs = 0;           // between bytes; 0 = as fast as the line allows
    bool closeAfter = false; // TCP: close the connection once data is out
    bool hold = false;       // send together with the next reply
};

Reply BuildReply(const Response &response, const QList<Fault> &faults);

// The frame of a status reply: prefix up to the marker, marker, skip byte, payload, end.
QByteArray FrameStatus(const QByteArray &payload, int markerPos = kNormalMarkerPos,
                       bool crlf = true);

// Overwrites a status payload with values out of their ranges, block by block.
void FillOutOfRange(const QByteArray &keyword, QByteArray &payload);

} // namespace kv::emu
