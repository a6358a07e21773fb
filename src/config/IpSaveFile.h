#pragma once
// IPSave.ini, the one file in which the console remembers the last switcher address typed
// (in the working directory).

#include <QString>
#include <optional>

namespace kv {

inline const QString kIpSaveFileName = QStringLiteral("IPSave.ini");

// The text followed by one zero byte, nothing else, written whole or not at all. False when
// the file cannot be written.
bool WriteIpSaveFile(const QString &text);
// The first word of the file (leading blanks skipped; it ends at a blank, tab, line end or
// zero byte), at most 19 characters. nullopt when the file cannot be opened.
std::optional<QString> ReadIpSaveFile();

} // namespace kv
