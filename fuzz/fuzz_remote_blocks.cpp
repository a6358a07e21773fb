// A remote client's bytes, any of them: the first byte sets how the rest is cut into
// deliveries, the reader takes them, and every block it gives is parsed for both model sizes
// and written back out. A block written back must read as the same block again, and nothing
// may pass the reader's limits.

#include "remote/HubBlocks.h"

#include <cstddef>
#include <cstdint>

using namespace kv;

namespace {

void check(const HubBlock &block)
{
    if (block.lines.size() + 1 > kHubMaxBlockLines)
        __builtin_trap();
    for (int size : {8, 16}) {
        const HubRequest r = ParseHubRequest(block, size, size);
        for (const auto &[o, i] : r.routes)
            if (o < 0 || o >= size || i < 0 || i >= size)
                __builtin_trap();
        for (const auto &[n, label] : r.labels) {
            if (n < 0 || n >= size)
                __builtin_trap();
            // What a label request is told back holds one line only.
            QStringList labels(size);
            labels[n] = label;
            const QStringList lines = HubLabelLines(labels, {n});
            if (lines.size() != 1 || lines[0].contains(u'\n') || lines[0].contains(u'\r'))
                __builtin_trap();
        }
    }
    HubBlockReader again;
    QList<HubBlock> out;
    if (again.feed(
            HubBlockText(block.header.endsWith(u':') ? block.header.chopped(1) : block.header,
                         block.lines),
            out) != HubBlockReader::Status::Ok)
        return; // a header without its colon gets one written; that may not fit
    if (out.size() != 1 || out[0].lines != block.lines)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::size_t chunk = data[0] % 17 + 1;
    HubBlockReader reader;
    QList<HubBlock> blocks;
    for (std::size_t at = 1; at < size; at += chunk) {
        const std::size_t n = at + chunk <= size ? chunk : size - at;
        const auto status = reader.feed(
            QByteArrayView(reinterpret_cast<const char *>(data + at), qsizetype(n)), blocks);
        for (const HubBlock &b : blocks)
            check(b);
        blocks.clear();
        if (status != HubBlockReader::Status::Ok)
            break;
    }
    return 0;
}
