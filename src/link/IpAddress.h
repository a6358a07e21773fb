#pragma once
// The switcher's IP address as the operator types it, and IPSave.ini, the one file in which
// the console remembers the last address typed (in the working directory).

#include <QString>
#include <array>
#include <optional>

namespace kv {

using IpNumbers = std::array<int, 4>;

// Four decimal numbers separated by dots, blanks allowed around each number. Numbers keep
// their value (capped at 99999), so the caller can tell "> 255" from "not an address".
// nullopt for anything else: no number would be defined for a missing field.
std::optional<IpNumbers> ParseIpAddress(const QString &text);
bool IpInRange(const IpNumbers &n);
QString FormatIpAddress(const IpNumbers &n); // "%d.%d.%d.%d"

inline const QString kIpSaveFileName = QStringLiteral("IPSave.ini");

// The text followed by one zero byte, nothing else. Written whole or not at all, so a failed
// save never destroys the address saved before. False when the file cannot be written.
bool WriteIpSaveFile(const QString &text);
// The first word of the file (leading blanks skipped; it ends at a blank, tab, line end or
// zero byte), at most 19 characters. nullopt when the file cannot be opened.
std::optional<QString> ReadIpSaveFile();

} // namespace kv
