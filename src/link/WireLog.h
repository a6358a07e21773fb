#pragma once
// The "kv.wire" logging category: every line the console sends and every byte it reads back,
// off unless QT_LOGGING_RULES="kv.wire.debug=true". qCDebug evaluates nothing while it is
// off, so the links pay one flag test.

#include <QByteArrayView>
#include <QLoggingCategory>
#include <QString>

namespace kv {

Q_DECLARE_LOGGING_CATEGORY(lcWire)

// Printable ASCII as it is; CR, LF, tab and backslash as \r \n \t \\; any other byte as \xHH.
QString WireText(QByteArrayView bytes);

} // namespace kv
