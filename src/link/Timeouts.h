#pragma once
// Every wait of the console in one place. The product uses the values below; tests may build
// the console with shorter ones.

namespace kv {

struct Timeouts {
    int TickMs = 55;             // one tick of the serial waits
    int NormalTicks = 80;        // a command's wait for "#"
    int ProbeTicks = 10;         // a port probe's wait
    int ResetTicks = 810;        // the one command of a reset
    int WatchdogMs = 9000;       // the watchdog: query replies, port open/close, TCP connection
    int EthernetWaitMs = 5000;   // every Ethernet wait
    int QueryPauseMs = 100;      // pause before an Ethernet query and after a parse error
    int SeqSecondMs = 1000;      // one second of a preset sequence step
    int FollowIntervalMs = 1000; // following the switcher: one poll a second
    int FollowReplyMs = 500;     // a poll's reply; the longest comes in 7 ms at 57600 baud

    int ticksToMs(int ticks) const { return ticks * TickMs; }

    // Scaled-down waits for tests: the same ratios, a fraction of the time.
    static Timeouts fast()
    {
        Timeouts t;
        t.TickMs = 5;
        t.WatchdogMs = 900;
        t.EthernetWaitMs = 400;
        t.QueryPauseMs = 5;
        t.SeqSecondMs = 20;
        t.FollowIntervalMs = 50;
        t.FollowReplyMs = 400;
        return t;
    }
};

} // namespace kv
