#include "OutputQueue.h"

#include <thread>

namespace kv::emu {

using namespace std::chrono;

namespace {
constexpr auto kChunkTime = milliseconds(4);  // paced output goes out in slices this long
constexpr auto kMaxLag = milliseconds(20);    // later than this, the pace starts afresh
constexpr auto kSleepLimit = milliseconds(2); // waits shorter than this sleep to the point
} // namespace

bool ReachOrArm(QTimer &timer, Clock::time_point due)
{
    const auto wait = due - Clock::now();
    if (wait <= Clock::duration::zero())
        return true;
    if (wait > kSleepLimit) {
        timer.start(int(duration_cast<milliseconds>(wait - kSleepLimit / 2).count()));
        return false;
    }
    std::this_thread::sleep_until(due);
    return true;
}

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
        const qint64 perChunk =
            m_baud / 10 * duration_cast<milliseconds>(kChunkTime).count() / 1000;
        return qMin(left, qMax<qint64>(1, perChunk));
    }
    return left;
}

void OutputQueue::pump()
{
    while (!m_blocked && !m_items.isEmpty()) {
        Item &item = m_items.first();
        if (!m_started) {
            m_started = true;
            m_nextAt = std::max(m_nextAt, Clock::now()) + milliseconds(item.delayMs);
        }
        // m_nextAt is when the line is free; a paced chunk leaves once the line would have
        // carried its last byte, so that a reply never arrives ahead of the line.
        const qint64 n = chunkFor(item);
        const auto due = m_nextAt + lineTime(n);
        if (!ReachOrArm(m_timer, due))
            return;
        const auto now = Clock::now();
        const qint64 written = n > 0 ? m_sink->writeSome(item.data.constData() + m_pos, n) : 0;
        if (written < 0) {
            clear(); // the link is gone, and its replies with it
            return;
        }
        m_pos += written;
        // Anchor on the deadline so that timer lateness does not slow the average rate; a byte
        // gap longer than the byte's own line time is the rest of the wait.
        const auto base = now - due > kMaxLag ? now : due;
        const auto gap = written ? milliseconds(item.gapMs) : milliseconds(0);
        m_nextAt = base + std::max<nanoseconds>(gap - lineTime(written), nanoseconds(0));
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

std::chrono::nanoseconds OutputQueue::lineTime(qint64 bytes) const
{
    return m_baud > 0 ? nanoseconds(bytes * 10'000'000'000LL / m_baud) : nanoseconds(0);
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
