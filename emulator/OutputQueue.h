#pragma once
// Sends replies at the pace of a serial line (10 bits a byte) or as fast as the link takes
// them, with a reply's own delay and byte gap. Timed by a steady clock and a precise
// single-shot timer, in chunks of a few milliseconds: no busy waiting.

#include "Reply.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace kv::emu {

using Clock = std::chrono::steady_clock;

// True once `due` has come: a timer covers the long part of a wait and a short sleep the last
// millisecond, which a millisecond timer alone would overshoot. False: `timer` is armed.
bool ReachOrArm(QTimer &timer, Clock::time_point due);

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes up to len bytes and returns how many it took (0 = full for now, the link calls
    // OutputQueue::resume when it has room); -1 = the link is gone.
    virtual qint64 writeSome(const char *data, qint64 len) = 0;
    virtual void closeLink() = 0;
};

class OutputQueue : public QObject {
    Q_OBJECT
public:
    explicit OutputQueue(ByteSink *sink, QObject *parent = nullptr);

    void setBaud(int baud) { m_baud = baud > 0 ? baud : 0; } // 0 = unpaced
    int baud() const { return m_baud; }
    void enqueue(const Reply &reply);
    void resume(); // the sink has room again
    void clear();
    bool isIdle() const { return m_items.isEmpty(); }

private:
    struct Item {
        QByteArray data;
        int delayMs = 0;
        int gapMs = 0;
        bool closeAfter = false;
    };
    void pump();
    qint64 chunkFor(const Item &item) const;
    std::chrono::nanoseconds lineTime(qint64 bytes) const;

    ByteSink *m_sink;
    QList<Item> m_items;
    QByteArray m_held; // burst: waits for the next reply
    qsizetype m_pos = 0;
    bool m_started = false;
    bool m_blocked = false;
    int m_baud = 0;
    Clock::time_point m_nextAt{};
    QTimer m_timer;
};

// Cuts a byte stream into command lines: CR ends a line, LF is ignored, an overlong line is
// kept to its first kMaxLine bytes.
class LineSplitter {
public:
    static constexpr int kMaxLine = 512;
    QList<QByteArray> feed(const QByteArray &bytes);

private:
    QByteArray m_line;
};

} // namespace kv::emu
