#pragma once
// The switcher's IP address as the operator types it.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace kv {

using IpNumbers = std::array<int, 4>;

// Four decimal numbers separated by dots, blanks allowed around each number. Numbers keep
// their value (capped at 99999), so the caller can tell "> 255" from "not an address".
// nullopt for anything else: no number would be defined for a missing field.
std::optional<IpNumbers> ParseIpAddress(const QString &text);
bool IpInRange(const IpNumbers &n);
QString FormatIpAddress(const IpNumbers &n); // "%d.%d.%d.%d"
// The same for the four bytes the switcher reports.
QString FormatIpAddress(const std::uint8_t (&bytes)[4]);

} // namespace kv
