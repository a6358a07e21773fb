#include "link/IpAddress.h"

#include <QStringList>

namespace kv {

namespace {
constexpr int kValueCap = 99999;
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

QString FormatIpAddress(const std::uint8_t (&bytes)[4])
{
    return FormatIpAddress(IpNumbers{bytes[0], bytes[1], bytes[2], bytes[3]});
}

} // namespace kv
