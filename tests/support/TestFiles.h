#pragma once
// Whole files and raw bytes for the suites that look at what the console wrote or kept.

#include "state/MatrixState.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace kv::test {

// False when the file cannot be written whole.
inline bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Empty when the file cannot be read.
inline QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every byte of the state, to show that an operation left it untouched.
inline QByteArray BytesOf(const MatrixState &s)
{
    return QByteArray(reinterpret_cast<const char *>(&s), sizeof s);
}

} // namespace kv::test
