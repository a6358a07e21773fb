#pragma once
// Reads the switcher's state: six status queries, each answered by a binary block that is
// copied unchanged into MatrixState, run in a fixed order under the progress window.

#include "state/MatrixState.h"

#include <QString>
#include <cstdint>

namespace kv {

class CommandChannel;

// What the read needs of the window: the progress window, the read-error box ("Error reading
// from Kestavion(s)"), the status bar and the event pump.
class StatusHost {
public:
    virtual ~StatusHost() = default;

    virtual void setProgressMessage(const QString &text) = 0;
    virtual void setProgressDots(const QString &dots) = 0;
    virtual void showProgress() = 0;
    virtual void hideProgress() = 0;
    // The read-error box: the read of one block failed.
    virtual void showReadError(const QString &text) = 0;
    virtual void setStatusText(const QString &text) = 0;
    virtual void processEvents() = 0;
    virtual void pause(int ms) = 0;
};

class StatusReader {
public:
    // Where the start marker may stand: positions 0 to 29 of a reply.
    static constexpr int kMarkerSearch = 30;
    static constexpr int kSystemInfoSize = sizeof(SystemInfo);
    static constexpr int kPresetSize = sizeof(PresetRecord);
    static constexpr int kGroupTableSize = sizeof(GroupTable);

    StatusReader(MatrixState &state, CommandChannel &channel, StatusHost &host);

    // Each returns false when its query failed; the blocks of a failed query keep their
    // contents (for the preset queries, from the preset that failed on).
    bool QuerySystemInfo();
    bool QueryRoutes();
    bool QueryPreviousInputs();
    bool QueryPresets();
    bool QueryGroups();
    bool QueryPresetGroups();

    // -1 when the system status could not be read, 1 otherwise.
    int ReadAllStatus();

    // Position of the first byte 1 among the first 30 of a reply, or -1.
    static int FindStartMarker(const std::uint8_t *reply, int size);
    // Copies the payload of payloadSize bytes behind the start marker into target; false, with
    // target untouched, when there is no marker or the payload would end past size.
    static bool ParseReply(const std::uint8_t *reply, int size, int payloadSize, void *target);

private:
    // Sends the query text and copies its payload of size bytes into target.
    bool runQuery(const QByteArray &text, int size, void *target, const QString &parseError,
                  bool extraEventPass = false);

    MatrixState &m_state;
    CommandChannel &m_channel;
    StatusHost &m_host;
};

} // namespace kv
