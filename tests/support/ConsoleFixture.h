#pragma once
// One console against one kvemu, for suites that drive the real window as an operator would:
//
//     kv::test::ConsoleFixture f;                   // a TMatrixForm with Timeouts::fast()
//     QVERIFY2(f.start({.tcp = true}), qPrintable(f.error()));   // kvemu up, "ready"
//     QVERIFY2(f.connectSerial(), qPrintable(f.error()));        // or f.connectTcp()
//     f.readAll();                                  // "Read from Kestavion"
//     f.clearWire();
//     QVERIFY(f.click("OutputButton3"));
//     QVERIFY(f.click("InputButton7"));
//     QCOMPARE(f.commands(), QStringList{"RTEMP 3 7"});
//     QCOMPARE(f.colour("VideoLabel3"), kv::kRed);
//     QCOMPARE(f.text("VideoLabel3"), "7");
//
// The form is not shown (its start-up question never runs); SuppressCommands is therefore 0
// until a test sets it. Message boxes go to `dialogs`, which answers from its queue (empty:
// No / Cancel / OK) and records every text. The window uses the Fusion style, as the
// product does, so button faces take the state colours.

#include "EmuProcess.h"
#include "LinkEnv.h"
#include "ScriptedDialogs.h"

#include "app/MatrixForm.h"
#include "control/Core.h"
#include "link/Timeouts.h"

#include <QColor>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace kv::test {

class ConsoleFixture {
public:
    explicit ConsoleFixture(const Timeouts &timeouts = Timeouts::fast());
    ~ConsoleFixture();
    ConsoleFixture(const ConsoleFixture &) = delete;
    ConsoleFixture &operator=(const ConsoleFixture &) = delete;

    // The suite's kvemu for the options' links (with a pty unless they say otherwise), reset
    // to them, or started and "ready". Options with extraArgs get one of the test's own.
    bool start(const EmuProcess::Options &options = {});
    // The console's serial port on kvemu's pty, 57600 8N1 RTS/CTS, and the link marked live.
    bool connectSerial();
    // The console's TCP client on kvemu's loopback port, and EthernetConnected = 1.
    bool connectTcp();
    // "Read from Kestavion" (ReadfromKestavions1Click), as the menu item runs it.
    void readAll();

    TMatrixForm &form() { return *m_form; }
    MatrixState &state() { return m_form->core().state(); }
    EmuProcess &emu() { return *m_emu; }
    ScriptedDialogs dialogs;

    // A control of the window by objectName, or nullptr.
    template <class T = QWidget> T *find(const QString &name) const
    {
        return m_form->findChild<T *>(name);
    }
    // Clicks a button or check box (or triggers an action) by objectName, as the operator
    // would: false when there is none or it is disabled (then nothing happens).
    bool click(const QString &name);
    // Brings the page with that objectName to the front, as a click on its tab does.
    void showPage(const QString &name);
    QColor colour(const QString &name) const; // painted face or background
    QString text(const QString &name) const;  // caption of a button, label, box or edit
    bool isEnabled(const QString &name) const;
    bool isChecked(const QString &name) const;

    // Every line kvemu received (without CR), and the same without status queries and
    // bare carriage returns: what the console commanded.
    QStringList wire() const { return m_emu->receivedLines(); }
    QStringList commands() const;
    void clearWire() { m_emu->clearLog(); }
    // A field of kvemu's state summary, e.g. emuState("routes") -> "5,7*5,-,...".
    QString emuState(const QString &key);

    // A wait the console has left without its way out would hang the whole suite: once armed,
    // after ms (and every second after that, until disarmed) the innermost wait is ended as
    // its watchdog would end it. rescued() says whether that had to happen.
    void armRescue(int ms = 20000);
    void disarmRescue();
    bool rescued() const { return m_rescued; }

    // What went wrong in start() or a connect.
    QString error() const { return m_error; }

private:
    bool fail(const QString &why);

    RestoreEnvironment m_environment;
    EmuProcess m_ownEmu;
    EmuProcess *m_emu = &m_ownEmu;
    std::unique_ptr<TMatrixForm> m_form;
    QString m_error;
    std::unique_ptr<QTimer> m_rescue;
    bool m_rescued = false;
};

// The two links a suite runs its cases over; kvemu is one per suite and link, reset for
// every console.
inline const QStringList kLinks = {"pty", "tcp"};

// A console connected to the suite's kvemu over "pty" or "tcp", reset to the options;
// error() says what failed.
std::unique_ptr<ConsoleFixture> Connected(const QString &link, EmuProcess::Options options = {});

// The same that has read the switcher once; over "pty" the port is COM1, as a connect from
// the menu leaves it, so that the retry loop's probe finds it again. The read's boxes and
// lines stay in dialogs and wire().
std::unique_ptr<ConsoleFixture> ReadOnce(const QString &link, EmuProcess::Options options = {});

// One _data() row per link, in a column named "link".
void AddLinkRows();

} // namespace kv::test

#define CONNECT(f, link, ...)                                                                  \
    auto f = kv::test::Connected(link, ##__VA_ARGS__);                                         \
    QVERIFY2(f->error().isEmpty(), qPrintable(f->error()))
