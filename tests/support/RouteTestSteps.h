#pragma once
// Operator steps shared by the journal, undo and protect suites.

#include "ConsoleFixture.h"
#include "OperatorSteps.h"

#include "config/RouteLogFile.h"
#include "config/Settings.h"
#include "control/ProtectedOutputs.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

namespace kv::test {

// The journal's folder emptied, in the test-mode data location.
// An empty route log and no protects left by an earlier suite run by hand.
inline QString FreshRouteLogFolder()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings(kSettingsOrganization, kSettingsApplication).clear();
    const QString folder = DefaultRouteLogFolder();
    QDir(folder).removeRecursively();
    QFile::remove(folder);
    return folder;
}

// One journal line without its time: "3,5,7,temporary,operator".
inline QStringList JournalLines(const QString &folder)
{
    QStringList lines;
    for (const RouteChange &c : ReadRouteLog(folder)) {
        auto port = [](int n) { return n ? QString::number(n) : QString(); };
        lines << QStringLiteral("%1,%2,%3,%4,%5").arg(c.output).arg(port(c.from), port(c.to), c.state, c.origin);
    }
    return lines;
}

inline QString StatusText(ConsoleFixture &f)
{
    return f.find<QStatusBar>("MainStatusBar")->currentMessage();
}

} // namespace kv::test
