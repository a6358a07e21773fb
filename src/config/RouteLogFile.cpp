#include "config/RouteLogFile.h"

#include <QDir>
#include <QStandardPaths>

namespace kv {

QString DefaultRouteLogFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/route-log");
}

QString RouteLogFileName(const QDate &day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".csv");
}

QString RouteLogTime(const QDateTime &time)
{
    // Written by hand: Qt's ISO form drops the offset of local times and writes "Z" for UTC.
    const int offset = time.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
           QChar(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QChar('0'))
               .arg(minutes % 60, 2, 10, QChar('0'));
}

namespace {

QByteArray Field(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') &&
        !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

QByteArray Port(int n) { return n > 0 ? QByteArray::number(n) : QByteArray(); }

QList<QByteArray> SplitCsv(const QByteArray &line)
{
    QList<QByteArray> fields;
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields << field;
            field.clear();
        } else if (c != '\r' && c != '\n') {
            field += c;
        }
    }
    fields << field;
    return fields;
}

std::optional<int> ParsePort(const QByteArray &field, int max)
{
    if (field.isEmpty())
        return 0;
    bool ok = false;
    const int n = field.toInt(&ok);
    if (!ok || n < 1 || n > max)
        return std::nullopt;
    return n;
}

} // namespace

QByteArray FormatRouteLogLine(const RouteChange &c)
{
    return RouteLogTime(c.time).toLatin1() + ',' + QByteArray::number(c.output) + ',' +
           Port(c.from) + ',' + Port(c.to) + ',' + Field(c.state) + ',' + Field(c.origin) + '\n';
}

std::optional<RouteChange> ParseRouteLogLine(const QByteArray &line)
{
    const QList<QByteArray> f = SplitCsv(line);
    if (f.size() < 6)
        return std::nullopt;
    RouteChange c;
    c.time = QDateTime::fromString(QString::fromLatin1(f[0]), Qt::ISODateWithMs);
    const auto output = ParsePort(f[1], 999), from = ParsePort(f[2], 999),
               to = ParsePort(f[3], 999);
    if (!c.time.isValid() || !output || *output == 0 || !from || !to)
        return std::nullopt;
    c.time = c.time.toLocalTime();
    c.output = *output;
    c.from = *from;
    c.to = *to;
    c.state = QString::fromUtf8(f[4]);
    c.origin = QString::fromUtf8(f[5]);
    return c;
}

QList<RouteChange> ReadRouteLog(const QString &folder)
{
    QList<RouteChange> lines;
    const QDir dir(folder);
    // Day names sort as their dates do.
    for (const QString &name :
         dir.entryList({QStringLiteral("[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9].csv")},
                       QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        while (!file.atEnd()) {
            if (const auto c = ParseRouteLogLine(file.readLine()))
                lines << *c;
        }
    }
    return lines;
}

bool RouteLogWriter::openFor(const QDate &day)
{
    if (m_file.isOpen() && m_day == day)
        return true;
    m_file.close();
    m_day = QDate();
    if (!QDir().mkpath(m_folder)) {
        m_error = QStringLiteral("cannot create %1").arg(m_folder);
        return false;
    }
    m_file.setFileName(QDir(m_folder).filePath(RouteLogFileName(day)));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        m_error = m_file.errorString();
        return false;
    }
    if (m_file.size() == 0) {
        const QByteArray header = QByteArray(kRouteLogHeader) + '\n';
        if (m_file.write(header) != header.size() || !m_file.flush()) {
            m_error = m_file.errorString();
            m_file.close();
            return false;
        }
    }
    m_day = day;
    return true;
}

bool RouteLogWriter::append(const RouteChange &change)
{
    if (!openFor(change.time.date()))
        return false;
    const QByteArray line = FormatRouteLogLine(change);
    if (m_file.write(line) != line.size() || !m_file.flush()) {
        m_error = m_file.errorString();
        // Opened afresh next time: the disk may come back.
        m_file.close();
        m_day = QDate();
        return false;
    }
    return true;
}

} // namespace kv
