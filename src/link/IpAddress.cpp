#include "link/IpAddress.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace kv {

namespace {
constexpr int kMaxWord = 19;
constexpr int kValueCap = 99999;

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

std::optional<IpNumbers> ParseIpAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    IpNumbers numbers{};
    for (int i = 0; i < 4; ++i) {
        const QString digits = parts.at(i).trimmed();
        if (digits.isEmpty())
            return std::nullopt;
        int value = 0;
        for (QChar c : digits) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
            value = qMin(kValueCap, value * 10 + (c.unicode() - '0'));
        }
        numbers[size_t(i)] = value;
    }
    return numbers;
}

bool IpInRange(const IpNumbers &n)
{
    for (int v : n)
        if (v > 255)
            return false;
    return true;
}

QString FormatIpAddress(const IpNumbers &n)
{
    return QStringLiteral("%1.%2.%3.%4").arg(n[0]).arg(n[1]).arg(n[2]).arg(n[3]);
}

bool WriteIpSaveFile(const QString &text)
{
    if (IsWriteProtected(kIpSaveFileName))
        return false;
    QSaveFile file(kIpSaveFileName);
    // Unbuffered, so a write that fails is seen here and not hidden until commit(), which
    // would then replace the old file with a short one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered))
        return false;
    QByteArray bytes = text.toLocal8Bit();
    bytes.append('\0');
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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
