#pragma once
// The one writer of the console's files. Whole or nothing wherever the directory allows it:
// the bytes go to a temporary file that replaces the old one only once all of them are
// written. A writable file in a directory that is not writable is written in place instead,
// from bytes that are already whole, so only a failing disk can cut it short.

#include <QByteArray>
#include <QString>

namespace kv {

// False when the file cannot be written; the file that was there is then kept unless the
// in-place write itself failed.
bool WriteWholeFile(const QString &fileName, const QByteArray &bytes);

} // namespace kv
