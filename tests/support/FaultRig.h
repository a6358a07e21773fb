#pragma once
// What the fault suites share: a console read once over the pty or TCP, a list of the
// MatrixState fields a fault changed, the check that the console still works after a fault,
// every status-bar text, and file permissions that hold even for root.

#include "ConsoleFixture.h"

#include <QObject>
#include <QStringList>
#include <memory>

class QStatusBar;

namespace kv::test {

// ReadOnce with the read's boxes and lines forgotten. Check error().
std::unique_ptr<ConsoleFixture> ReadConsole(const QString &link, EmuProcess::Options options = {});

// Names of the MatrixState fields that differ ("Info", "Routes", "Groups", "Config", ...).
QStringList ChangedFields(const MatrixState &before, const MatrixState &after);

// The whole status read on the wire, in order.
QStringList FullQuerySequence();

// On the live serial link, a command answered later than the probe's short wait but within
// the normal one goes through without a try: the normal wait is in force. Empty when it is,
// else what went wrong.
QString WaitsNormally(ConsoleFixture &f);

// After a fault: kvemu's faults cleared, one route taken on the switcher by the operator's
// clicks and one full read without a box. Empty when all went well, else what went wrong.
QString KeepsWorking(ConsoleFixture &f);

// Every text the status bar showed, including ones cleared again at once.
class StatusTexts : public QObject {
public:
    explicit StatusTexts(QStatusBar *bar);
    QStringList texts;
};

// Drops the file-permission override of a root process on this thread while it lives, so a
// read-only directory or an unreadable file refuses the console as it refuses an operator.
class HonourFilePermissions {
public:
    HonourFilePermissions();
    ~HonourFilePermissions();
    HonourFilePermissions(const HonourFilePermissions &) = delete;
    HonourFilePermissions &operator=(const HonourFilePermissions &) = delete;
    // False when permissions still do not apply (then the test cannot show the refusal).
    bool active() const { return m_active; }

private:
    bool m_active = false;
    bool m_dropped = false;
};

} // namespace kv::test
