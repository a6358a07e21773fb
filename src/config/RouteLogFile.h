#pragma once
// The route journal on disk: one CSV file a day, <folder>/YYYY-MM-DD.csv, opening with the
// header line; every line is flushed as it is written.

#include "state/RouteChange.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QList>
#include <QString>
#include <optional>

namespace kv {

inline constexpr char kRouteLogHeader[] = "time,output,from,to,state,origin";

// AppDataLocation/route-log.
QString DefaultRouteLogFolder();
QString RouteLogFileName(const QDate &day);

// ISO 8601 local time with milliseconds and its offset: 2024-05-01T14:03:07.250+02:00.
QString RouteLogTime(const QDateTime &time);
QByteArray FormatRouteLogLine(const RouteChange &change);
// nullopt for the header, a short line or one whose numbers do not parse; extra columns
// after the six are ignored.
std::optional<RouteChange> ParseRouteLogLine(const QByteArray &line);
// Every line of every day file in the folder, oldest first.
QList<RouteChange> ReadRouteLog(const QString &folder);

class RouteLogWriter {
public:
    explicit RouteLogWriter(QString folder) : m_folder(std::move(folder)) {}

    // Into the file of the change's own day. False, with error(), when it was not written.
    bool append(const RouteChange &change);
    QString error() const { return m_error; }
    QString folder() const { return m_folder; }

private:
    bool openFor(const QDate &day);

    QString m_folder;
    QFile m_file;
    QDate m_day;
    QString m_error;
};

} // namespace kv
