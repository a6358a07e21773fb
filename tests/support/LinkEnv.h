#pragma once
// The surroundings the serial and Ethernet links read: which device stands behind COM1 to
// COM4 (KV_COM1..KV_COM4), the switcher's TCP port (KV_TCP_PORT), and the working directory
// that holds IPSave.ini. A test sets them per case; the destructor puts them back.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace kv::test {

// COM1.. in order; "" or a missing entry: no device behind that number.
inline void SetComPorts(const QStringList &paths)
{
    for (int n = 1; n <= 4; ++n)
        qputenv(("KV_COM" + QByteArray::number(n)).constData(),
                n <= paths.size() ? paths.at(n - 1).toLocal8Bit() : QByteArray());
}

// Runs the test inside a fresh directory, so IPSave.ini is the test's own.
class WorkDir {
public:
    WorkDir() : m_old(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~WorkDir() { QDir::setCurrent(m_old); }
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
    QString m_old;
    QTemporaryDir m_dir;
};

} // namespace kv::test
