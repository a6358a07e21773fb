#pragma once
// The real console (TMatrixForm with the product's waits, shown on the offscreen platform)
// against kvemu's switcher over a pty paced at 57600 baud and over TCP on loopback, and the
// figures taken from it. Each measure*() adds its rows to the table.

#include "BenchDialogs.h"
#include "BenchEmu.h"
#include "Stats.h"

#include "app/MatrixForm.h"

#include <QTemporaryDir>
#include <memory>

namespace kv::bench {

constexpr int kBaud = 57600;
constexpr double kByteMs = 10.0 * 1000.0 / kBaud; // 10 bits a byte

struct Runs {
    int reads = 5;          // full status reads on each link
    int clicks = 200;       // routes and takes
    int recalls = 30;       // preset recalls with their RCLOCK commands
    int files = 50;         // configuration saves and opens
    int starts = 5;         // console start-ups
    int remote = 40;        // remote routes, and operator takes seen by 8 clients
    int followSeconds = 30; // following, idle
    int followClicks = 40;  // routes while following
    int silent = 3;         // PINGs while a route waits on a silent switcher
    int bursts = 10;        // routes while another client bursts
};

class ConsoleBench {
public:
    explicit ConsoleBench(Table &table) : m_table(table) {}
    ~ConsoleBench();

    // kvemu up, the console shown: its start-up search finds the switcher on COM1 and reads it.
    bool start(QString *error);
    void measureSerialRead(int runs);
    void measureClicks(int clicks, int recalls);
    void measureFollowing(int seconds, int clicks);
    bool switchToEthernet(QString *error);
    void measureEthernetRead(int runs);
    void measureConfigFile(int runs);
    // A remote client's one-line route to its take on the wire, and the updates that 8
    // clients get after an operator's take (RemoteBench.cpp).
    void measureRemote(int runs);
    // A client's PING while another's route waits on a silent switcher, and a client's route
    // while another bursts (ServingBench.cpp).
    void measureServing(int silentRuns, int bursts);

private:
    struct Action {
        double lastByteMs = 0, readyMs = 0;
        qint64 out = 0, in = 0, lastReplyIn = 0;
        int lines = 0;
        bool ok = false;
    };
    // One operator's click on a button, timed to the last command byte and to ready.
    Action click(const QString &button);
    void clickRows(const QString &what, const QList<Action> &actions, double goalMs);
    void settle();
    void onBytesReceived(qint64 n);

    Table &m_table;
    QTemporaryDir m_dir;
    BenchEmu m_emu;
    BenchDialogs m_dialogs;
    std::unique_ptr<TMatrixForm> m_form;
    qint64 m_bytesIn = 0;
    qint64 m_lastChunk = 0;
    Clock::time_point m_lastHashAt; // when the last reply's "#" reached the console
};

} // namespace kv::bench
