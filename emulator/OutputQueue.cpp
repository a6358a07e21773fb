#include "OutputQueue.h"

namespace kv::emu {

using namespace std::chrono;

namespace {
constexpr auto kChunkTime = milliseconds(4); // paced output goes out in slices this long
constexpr auto kMaxLag = milliseconds(20);   // later than this, the pace starts afresh
} // namespace

OutputQueue::OutputQueue(ByteSink *sink, QObject *parent) : QObject(parent), m_sink(sink)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &OutputQueue::pump);
}

void OutputQueue::enqueue(const Reply &reply)
{
    if (reply.silent)
        return;
    if (reply.hold) {
        m_held += reply.data;
        return;
    }
    m_items.append({m_held + reply.data, reply.delayMs, reply.gapMs, reply.closeAfter});
    m_held.clear();
    if (!m_timer.isActive())
        pump();
}

void OutputQueue::resume()
{
    m_blocked = false;
    if (!m_timer.isActive())
        pump();
}

void OutputQueue::clear()
{
    m_items.clear();
    m_held.clear();
    m_pos = 0;
    m_started = false;
    m_timer.stop();
}

qint64 OutputQueue::chunkFor(const Item &item) const
{
    const qint64 left = item.data.size() - m_pos;
    if (item.gapMs > 0)
        return 1;
    if (m_baud > 0) {
        const qint64 perChunk = m_baud / 10 * duration_cast<milliseconds>(kChunkTime).count() / 1000;
        return qMin(left, qMax<qint64>(1, perChunk));
    }
    return left;
}

void OutputQueue::pump()
{
    while (!m_blocked && !m_items.isEmpty()) {
        Item &item = m_items.first();
        const auto now = Clock::now();
        if (!m_started) {
            m_started = true;
            m_nextAt = std::max(m_nextAt, now) + milliseconds(item.delayMs);
        }
        if (now < m_nextAt) {
            const auto wait = duration_cast<milliseconds>(m_nextAt - now + microseconds(999));
            m_timer.start(int(wait.count()));
            return;
        }
        const qint64 n = chunkFor(item);
        const qint64 written = n > 0 ? m_sink->writeSome(item.data.constData() + m_pos, n) : 0;
        if (written < 0) {
            clear(); // the link is gone, and its replies with it
            return;
        }
        m_pos += written;
        // Anchor on the last deadline so that timer lateness does not slow the average rate.
        const auto base = now - m_nextAt > kMaxLag ? now : m_nextAt;
        const auto lineTime = m_baud > 0 ? nanoseconds(written * 10'000'000'000LL / m_baud)
                                         : nanoseconds(0);
        m_nextAt = base + std::max<nanoseconds>(lineTime, milliseconds(written ? item.gapMs : 0));
        if (written < n)
            m_blocked = true; // resume() carries on
        if (m_pos < item.data.size())
            continue;
        const bool close = item.closeAfter;
        m_items.removeFirst();
        m_pos = 0;
        m_started = false;
        if (close) {
            clear();
            m_sink->closeLink();
            return;
        }
    }
}

QList<QByteArray> LineSplitter::feed(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    for (char c : bytes) {
        if (c == '\r') {
            lines.append(m_line);
            m_line.clear();
        } else if (c != '\n' && m_line.size() < kMaxLine) {
            m_line.append(c);
        }
    }
    return lines;
}

} // namespace kv::emu
