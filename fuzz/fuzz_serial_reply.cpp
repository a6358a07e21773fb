// The serial end-of-reply rule and the bounds of ReplyBuffer under any notifications: the
// first input byte chooses the expected payload size, then each notification is a length
// byte and that many received bytes. Complete replies go on to the parser.

#include "FuzzConsole.h"

#include "protocol/StatusReader.h"

#include <cstring>

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    static constexpr int kMinLengths[] = {20, 32, 16, 36, 170, 8, 0, 2, 5197, 5200, 6000, -1};
    const int minLength = kMinLengths[data[0] % (sizeof kMinLengths / sizeof *kMinLengths)];

    static std::uint8_t buffer[CommandChannel::kReplyBufferSize];
    std::memset(buffer, 0, sizeof buffer);
    int length = data[0] & 0x80 ? 5190 : 0; // also start near the end of the buffer
    std::size_t at = 1;
    while (at < size) {
        int count = data[at++];
        // Now and then a notification bigger than the whole buffer.
        if (count == 255)
            count = 6000;
        const int left = int(size - at);
        const int given = count < left ? count : left;
        const bool complete = CommandChannel::GatherSerialBytes(
            buffer, int(sizeof buffer), length, reinterpret_cast<const char *>(data + at), given,
            minLength, '#');
        at += std::size_t(given);
        if (length < 0 || length > int(sizeof buffer))
            __builtin_trap();
        if (complete) {
            if (length != 0)
                __builtin_trap();
            static std::uint8_t block[170];
            StatusReader::ParseReply(buffer, int(sizeof buffer),
                                     minLength < 0 ? 0 : (minLength > 170 ? 170 : minLength),
                                     block);
            std::memset(buffer, 0, sizeof buffer);
        }
    }
    return 0;
}
