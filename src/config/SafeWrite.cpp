#include "config/SafeWrite.h"

#include <QFile>
#include <QSaveFile>

namespace kv {

namespace {
// A file that cannot be written (and so not truncated) is not replaced behind its back
// either. Opening it to append changes nothing and asks the system, as an operator's rights
// stand.
bool IsWriteProtected(const QString &fileName)
{
    if (!QFile::exists(fileName))
        return false;
    QFile probe(fileName);
    return !probe.open(QIODevice::WriteOnly | QIODevice::Append);
}
} // namespace

bool WriteWholeFile(const QString &fileName, const QByteArray &bytes)
{
    if (fileName.isEmpty() || IsWriteProtected(fileName))
        return false;
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    // Unbuffered: a buffered write that fails only when commit() flushes it is not always
    // reported, and the cut-short file would then replace the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace kv
