// A whole status read from arbitrary switcher bytes: the input is what the serial port
// delivers, one byte at a time, for the nineteen queries in their order. Each reply is
// gathered by the serial end-of-reply rule and parsed into its block as the console does,
// the system status also sets the counts and reclockers, and then every operation runs
// on what was read.

#include "FuzzConsole.h"

#include "protocol/StatusReader.h"

#include <cstring>
#include <vector>

using namespace kv;

namespace {

fuzz::FuzzConsole *g_console = nullptr;

struct Query {
    int size;     // payload size; 0 = twice the outputs, -1 = the outputs
    void *target; // where the payload goes
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::InitQt(argc, argv);
    g_console = new fuzz::FuzzConsole;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::FuzzConsole &c = *g_console;
    c.reset();
    MatrixState &s = c.state();

    std::vector<Query> queries = {{20, &s.Info}, {0, s.Routes}, {-1, s.PreviousInput}};
    for (int p = 0; p < kPresetCount; ++p)
        queries.push_back({36, &s.Presets[p]});
    queries.push_back({170, &s.Groups});
    for (int p = 0; p < kPresetCount; ++p)
        queries.push_back({170, &s.PresetGroups[p]});

    static std::uint8_t reply[CommandChannel::kReplyBufferSize];
    std::size_t at = 0;
    for (std::size_t q = 0; q < queries.size() && at < size; ++q) {
        const int n = queries[q].size > 0    ? queries[q].size
                      : queries[q].size == 0 ? 2 * OutputsOf(s)
                                             : OutputsOf(s);
        std::memset(reply, 0, sizeof reply);
        int length = 0;
        bool complete = false;
        while (at < size && !complete)
            complete = CommandChannel::GatherSerialBytes(
                reply, int(sizeof reply), length, reinterpret_cast<const char *>(data + at++), 1, n,
                '#');
        if (!complete)
            break; // the watchdog ends the read here
        if (!StatusReader::ParseReply(reply, int(sizeof reply), n, queries[q].target))
            continue;
        if (q == 0) {
            ApplyModelCode(s, s.Info.ModelCode);
            UnpackReclockMask(s.Info.ReclockMask, s.Reclock, OutputsOf(s));
        }
    }
    c.exercise();
    return 0;
}
