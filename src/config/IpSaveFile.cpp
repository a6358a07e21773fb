#include "config/IpSaveFile.h"

#include "config/SafeWrite.h"

#include <QFile>

namespace kv {

namespace {
constexpr int kMaxWord = 19;
}

bool WriteIpSaveFile(const QString &text)
{
    QByteArray bytes = text.toLocal8Bit();
    bytes.append('\0');
    return WriteWholeFile(kIpSaveFileName, bytes);
}

std::optional<QString> ReadIpSaveFile()
{
    QFile file(kIpSaveFileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    const QByteArray bytes = file.read(4096);
    file.close();
    auto isBlank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    };
    int at = 0;
    while (at < bytes.size() && isBlank(bytes.at(at)))
        ++at;
    QByteArray word;
    while (at < bytes.size() && word.size() < kMaxWord && !isBlank(bytes.at(at)) &&
           bytes.at(at) != '\0')
        word.append(bytes.at(at++));
    return QString::fromLocal8Bit(word);
}

} // namespace kv
