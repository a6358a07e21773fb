#pragma once
// A remote-control client on a thread of its own, so that its clock keeps running while the
// console's thread is held up: it writes what it is given the moment it may, and stamps every
// block that comes back.

#include "BenchEmu.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <atomic>
#include <functional>
#include <thread>

namespace kv::bench {

struct Arrival {
    Clock::time_point at;
    QByteArray block; // header, lines and the blank line
};

class ThreadClient {
public:
    // Connects at once and takes the dump; ready() once END PRELUDE is in.
    explicit ThreadClient(quint16 port);
    ~ThreadClient();

    bool ready() const { return m_ready; }
    bool failed() const { return m_failed; }
    // Written as soon as `when` (polled on the client's thread) says so; the time of the
    // write is sentAt() afterwards.
    void send(const QByteArray &bytes, std::function<bool()> when = {});
    bool sent() const { return m_sent; }
    Clock::time_point sentAt() const { return m_sentAt; }
    QList<Arrival> arrivals();
    // Blocks since the dump that begin with `header` ("ACK", "NAK", "VIDEO OUTPUT ROUTING:").
    int count(const QByteArray &header);

private:
    void run(quint16 port);

    QMutex m_mutex;
    QByteArray m_outbox;
    std::function<bool()> m_when;
    QList<Arrival> m_arrivals;
    std::atomic<bool> m_ready = false, m_failed = false, m_sent = false, m_stop = false;
    Clock::time_point m_sentAt;
    std::thread m_thread;
};

} // namespace kv::bench
