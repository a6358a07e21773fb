#pragma once
// What the soak reads off the running programs: kvconsole's memory and open files from /proc,
// kvemu's routes from its state line, and the routes the route log ends with.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace kv::soak {

double ResidentMb(qint64 pid);
// What each open descriptor points at ("socket:[123]", a file's name, ...).
QStringList OpenFileTargets(qint64 pid);
inline int OpenFiles(qint64 pid) { return int(OpenFileTargets(pid).size()); }
int Sockets(const QStringList &targets);

// 1-based input per output from kvemu's state line; 0 for none, -1 pending (a '*').
QList<int> EmuRoutes(const QString &state);
// "O I" (1-based) for each output where kvemu holds a temporary route.
QStringList PendingRoutes(const QString &state);
// The last input taken on each output by the route log files under dataDir (1-based, 0
// none); routes as given where the log says nothing. states counts the lines by state.
QList<int> LoggedRoutes(const QString &dataDir, QList<int> routes, QMap<QString, int> *states);
QString Join(const QList<int> &v);

} // namespace kv::soak
