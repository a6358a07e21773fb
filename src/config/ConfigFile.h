#pragma once
// The configuration file: the 520-byte ConfigRecord, byte for byte, no header. Reading and
// writing report a failure as the operator's message text; the caller shows it.

#include "state/MatrixState.h"

#include <QString>

namespace kv {

inline constexpr qint64 kConfigFileSize = sizeof(ConfigRecord);

inline const QString kConfigOpenError =
    QStringLiteral("Error! Unable to open Configuration file. Check if file exist?");
inline const QString kConfigSizeError = QStringLiteral("Error! File corrupted. File size invalid.");
inline const QString kConfigCreateError =
    QStringLiteral("Error! Unable to create Configuration file. Check if disk is write-protected");

// Reads the file into config; on failure config is left exactly as it was and *error holds
// the message.
bool ReadConfigFile(const QString &fileName, ConfigRecord &config, QString *error);

// Writes the whole record or nothing: a failed write leaves the earlier file in place.
bool WriteConfigFile(const QString &fileName, const ConfigRecord &config, QString *error);

// A label slot holds one byte per character, up to six, NUL-ended when shorter. Characters
// outside Latin-1 have no byte of their own and are stored as '?', so a label keeps its
// length and never spills out of its slot. Bytes after the NUL are left as the slot held them.
void StoreLabel(char (&slot)[kLabelSize], const QString &text);
// The slot's bytes up to the first NUL or the slot's end, read as Latin-1.
QString LoadLabel(const char (&slot)[kLabelSize]);

} // namespace kv
