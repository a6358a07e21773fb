#include "Inspect.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <algorithm>

namespace kv::soak {

double ResidentMb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

QStringList OpenFileTargets(qint64 pid)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    QStringList targets;
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        targets << QFile::symLinkTarget(fds.filePath(fd)).section(u'/', -1);
    targets.sort();
    return targets;
}

int Sockets(const QStringList &targets)
{
    return int(std::count_if(targets.begin(), targets.end(), [](const QString &t) {
        return t.startsWith(QLatin1String("socket:"));
    }));
}

QList<int> EmuRoutes(const QString &state)
{
    QList<int> routes;
    for (const QString &word : state.split(' '))
        if (word.startsWith(QLatin1String("routes=")))
            for (const QString &r : word.mid(7).split(','))
                routes << (r.contains('*') ? -1 : r == QLatin1String("-") ? 0 : r.toInt());
    return routes;
}

QStringList PendingRoutes(const QString &state)
{
    QStringList pending;
    for (const QString &word : state.split(' '))
        if (word.startsWith(QLatin1String("routes="))) {
            const QStringList routes = word.mid(7).split(',');
            for (qsizetype o = 0; o < routes.size(); ++o)
                if (routes[o].contains('*'))
                    pending << QStringLiteral("%1 %2").arg(o + 1).arg(
                        routes[o].section('*', 0, 0).replace('-', '0'));
        }
    return pending;
}

QList<int> LoggedRoutes(const QString &dataDir, QList<int> routes, QMap<QString, int> *states)
{
    QStringList files;
    QDirIterator it(dataDir, {QStringLiteral("*.csv")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    for (const QString &path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : f.readAll().split('\n')) {
            const QList<QByteArray> c = line.split(',');
            if (c.size() < 6 || c[0] == "time")
                continue;
            (*states)[QString::fromUtf8(c[4])]++;
            const int output = c[1].toInt();
            if (c[4] == "taken" && output >= 1 && output <= routes.size())
                routes[output - 1] = c[3].isEmpty() ? 0 : c[3].toInt();
        }
    }
    return routes;
}

QString Join(const QList<int> &v)
{
    QStringList s;
    for (int x : v)
        s << QString::number(x);
    return s.join(',');
}

} // namespace kv::soak
