#pragma once
// Operator steps shared by the journal, undo and protect suites.

#include "ConsoleFixture.h"

#include "config/RouteLogFile.h"
#include "control/ProtectedOutputs.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

namespace kv::test {

// oN / iN output / input button, T Take, C Cancel, X Clear All Routing, U Read from
// Kestavion, Z Undo Last Take, S Save, R Recall, OK Confirm, pN preset button N.
inline bool Operate(ConsoleFixture &f, const QString &script)
{
    static const QMap<QString, QString> named = {
        {"T", "TakeButton"},      {"C", "CancelTakeButton"},   {"X", "ClearAllRoutingButton"},
        {"U", "UpdateStatus"},    {"Z", "UndoTake1"},          {"S", "PresetsSaveButton"},
        {"R", "PresetsRecallButton"}, {"OK", "PresetRecallConfirmButton"}};
    static const QList<QPair<QString, QString>> prefixes = {
        {"o", "OutputButton"}, {"i", "InputButton"}, {"p", "PresetButton"}};
    for (const QString &step : script.split(' ', Qt::SkipEmptyParts)) {
        QString name = named.value(step);
        for (const auto &[prefix, stem] : prefixes)
            if (name.isEmpty() && step.startsWith(prefix))
                name = stem + step.mid(prefix.size());
        if (name.isEmpty())
            name = step; // any control by its objectName
        if (!f.click(name)) {
            qWarning("step %s could not be taken", qPrintable(step));
            return false;
        }
    }
    return true;
}

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

inline QString StatusText(ConsoleFixture &f) { return f.form().MainStatusBar->currentMessage(); }

} // namespace kv::test
