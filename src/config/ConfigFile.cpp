#include "config/ConfigFile.h"

#include <QFile>
#include <QSaveFile>
#include <cstring>

namespace kv {

namespace {
void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

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

bool ReadConfigFile(const QString &fileName, ConfigRecord &config, QString *error)
{
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        setError(error, kConfigOpenError);
        return false;
    }
    if (file.size() != kConfigFileSize) {
        setError(error, kConfigSizeError);
        return false;
    }
    // Read into a scratch record first: a file that shrinks under us changes nothing.
    ConfigRecord scratch;
    if (file.read(reinterpret_cast<char *>(&scratch), kConfigFileSize) != kConfigFileSize) {
        setError(error, kConfigSizeError);
        return false;
    }
    config = scratch;
    return true;
}

bool WriteConfigFile(const QString &fileName, const ConfigRecord &config, QString *error)
{
    if (IsWriteProtected(fileName)) {
        setError(error, kConfigCreateError);
        return false;
    }
    QSaveFile file(fileName);
    // Unbuffered: a buffered write that fails only when commit() flushes it is not always
    // reported, and the cut-short file would then replace the old one.
    const bool ok = !fileName.isEmpty() &&
                    file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                    file.write(reinterpret_cast<const char *>(&config), kConfigFileSize) ==
                        kConfigFileSize &&
                    file.commit();
    // An uncommitted QSaveFile throws its temporary file away; the old file stays.
    if (!ok)
        setError(error, kConfigCreateError);
    return ok;
}

void StoreLabel(char (&slot)[kLabelSize], const QString &text)
{
    int n = 0;
    for (char32_t c : text.toUcs4()) {
        if (n == kLabelSize)
            break;
        slot[n++] = c < 256 ? char(c) : '?';
    }
    if (n < kLabelSize)
        slot[n] = '\0';
}

QString LoadLabel(const char (&slot)[kLabelSize])
{
    const void *nul = std::memchr(slot, '\0', kLabelSize);
    const int length = nul ? int(static_cast<const char *>(nul) - slot) : kLabelSize;
    return QString::fromLatin1(slot, length);
}

} // namespace kv
