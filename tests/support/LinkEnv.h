#pragma once
// The surroundings the serial and Ethernet links read: which device stands behind COM1 to
// COM4 (KV_COM1..KV_COM4), the switcher's TCP port (KV_TCP_PORT), and the working directory
// that holds IPSave.ini. A test sets them per case; RestoreEnvironment (which every
// ConsoleFixture and WorkDir hold) puts them back.

#include <QByteArray>
#include <QList>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>

namespace kv::test {

// COM1.. in order; "" or a missing entry: no device behind that number.
inline void SetComPorts(const QStringList &paths)
{
    for (int n = 1; n <= 4; ++n)
        qputenv(("KV_COM" + QByteArray::number(n)).constData(),
                n <= paths.size() ? paths.at(n - 1).toLocal8Bit() : QByteArray());
}

// The link variables and the working directory as they were when it was made, put back
// when it goes.
class RestoreEnvironment {
public:
    RestoreEnvironment() : m_dir(QDir::currentPath())
    {
        for (const QByteArray &name : names())
            m_values.append({name, qEnvironmentVariableIsSet(name.constData()), qgetenv(name.constData())});
    }
    ~RestoreEnvironment()
    {
        for (const Value &v : m_values) {
            if (v.set)
                qputenv(v.name.constData(), v.value);
            else
                qunsetenv(v.name.constData());
        }
        QDir::setCurrent(m_dir);
    }
    RestoreEnvironment(const RestoreEnvironment &) = delete;
    RestoreEnvironment &operator=(const RestoreEnvironment &) = delete;

private:
    struct Value {
        QByteArray name;
        bool set;
        QByteArray value;
    };
    static QList<QByteArray> names() { return {"KV_COM1", "KV_COM2", "KV_COM3", "KV_COM4", "KV_TCP_PORT"}; }
    QString m_dir;
    QList<Value> m_values;
};

// A loopback port nobody listens on.
inline quint16 ClosedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

// Runs the test inside a fresh directory, so IPSave.ini is the test's own; the link
// variables are put back with the directory.
class WorkDir {
public:
    WorkDir() { QDir::setCurrent(m_dir.path()); }
    WorkDir(const WorkDir &) = delete;
    WorkDir &operator=(const WorkDir &) = delete;

    QString path() const { return m_dir.path(); }
    QByteArray ipSave() const
    {
        QFile f(m_dir.filePath(QStringLiteral("IPSave.ini")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool hasIpSave() const { return QFile::exists(m_dir.filePath(QStringLiteral("IPSave.ini"))); }
    void writeIpSave(const QByteArray &bytes) const
    {
        QFile f(m_dir.filePath(QStringLiteral("IPSave.ini")));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }

private:
    RestoreEnvironment m_environment; // goes after the directory is left
    QTemporaryDir m_dir;
};

} // namespace kv::test
