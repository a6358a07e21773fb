#include "config/ConfigFile.h"

#include "config/SafeWrite.h"

#include <QFile>
#include <cstring>

namespace kv {

namespace {
void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
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
    const QByteArray bytes(reinterpret_cast<const char *>(&config), kConfigFileSize);
    const bool ok = WriteWholeFile(fileName, bytes);
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
