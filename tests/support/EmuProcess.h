#pragma once
// Runs kvemu (the binary named by the environment variable KV_EMU, which CTest sets) as a
// child process for one test, with its own pseudo-terminal link and log file in a fresh
// temporary directory, so that several instances can run side by side.
//
//     kv::test::EmuProcess emu;
//     QVERIFY2(emu.start(EmuProcess::Options().withTcp().withModel(10)),
//              qPrintable(emu.errorString()));
//     qputenv("KV_COM1", emu.ptyPath().toLocal8Bit());    // the console's COM1
//     qputenv("KV_TCP_PORT", QByteArray::number(emu.tcpPort()));
//     ... drive the console ...
//     QTRY_VERIFY(emu.receivedLines().contains("TAKE 1"));
//     emu.sendControl("fault silence:RTEMP@1");            // "ok" or "error: ..."
//
// start() returns once kvemu has printed "ready". Every method blocks on the calling thread
// without running its event loop. The destructor stops the process and removes the files.
//
// Shared() hands out one kvemu per suite and set of links (pty, TCP or both), started on
// first use and reset for each caller through its control commands.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace kv::test {

class EmuProcess {
public:
    struct Options {
        bool pty = true;      // a pseudo-terminal, linked from ptyPath()
        bool tcp = false;     // a TCP listener on a free loopback port, tcpPort()
        int model = 11;       // 10 = 8 x 8; 11, 12, 20 = 16 x 16
        int baud = 0;         // pace output at this line rate; 0 = unpaced
        QStringList faults;   // --fault texts, see kvemu --help
        QStringList extraArgs;

        // Chainable, e.g. Options().withTcp().withoutPty().withFault("silence:RTEMP")
        Options &withTcp(bool on = true) { tcp = on; return *this; }
        Options &withoutPty() { pty = false; return *this; }
        Options &withModel(int code) { model = code; return *this; }
        Options &withBaud(int rate) { baud = rate; return *this; }
        Options &withFault(const QString &text) { faults << text; return *this; }
    };

    EmuProcess() = default;
    ~EmuProcess();
    EmuProcess(const EmuProcess &) = delete;
    EmuProcess &operator=(const EmuProcess &) = delete;

    // Starts kvemu and waits up to timeoutMs for "ready". False, with errorString(), when
    // KV_EMU is unset, the program fails to start or exits, or "ready" does not come.
    bool start(const Options &options, int timeoutMs = 10000);
    bool start() { return start(Options{}); }
    // The running kvemu as a fresh one with these options would be: faults cleared, replies
    // on their way dropped, factory settings, the model, baud and faults given, an empty log.
    bool reset(const Options &options);
    // The suite's kvemu for these links, reset to the options; a fresh process when it is
    // not running any more. Null, with *error, when it cannot start; options with extraArgs
    // cannot be shared.
    static EmuProcess *Shared(const Options &options, QString *error);
    void stop();
    bool isRunning() const;
    QString errorString() const { return m_error; }

    // The symbolic link, named ttyKV and six characters of its own; empty without pty.
    QString ptyPath() const { return m_ptyPath; }
    QString ptyDevice() const { return m_ptyDevice; } // what it points at, e.g. /dev/pts/3
    quint16 tcpPort() const { return m_tcpPort; }     // 0 without TCP
    QString logPath() const { return m_logPath; }

    // Every line kvemu has received so far, oldest first, without the CR ("" for a bare CR).
    // kvemu writes a line to the log before it answers it.
    QStringList receivedLines() const;
    void clearLog(); // forget them (kvemu's control command clear-log)

    // One control command (see kvemu --help), answered by one line: "ok", "error: ...",
    // "state ...", "faults ..."; empty when no answer came within timeoutMs.
    QString sendControl(const QString &command, int timeoutMs = 5000);
    // The state summary without its "state " prefix.
    QString state() { return sendControl("state").mid(6); }
    QString stderrText() const;

private:
    QString readLine(int timeoutMs);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    QString m_ptyPath, m_ptyDevice, m_logPath, m_error;
    quint16 m_tcpPort = 0;
};

} // namespace kv::test
