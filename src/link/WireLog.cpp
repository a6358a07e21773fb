#include "link/WireLog.h"

namespace kv {

Q_LOGGING_CATEGORY(lcWire, "kv.wire", QtInfoMsg)

QString WireText(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
        case '\r': text += QLatin1String("\\r"); break;
        case '\n': text += QLatin1String("\\n"); break;
        case '\t': text += QLatin1String("\\t"); break;
        case '\\': text += QLatin1String("\\\\"); break;
        default:
            if (c >= 0x20 && c < 0x7f)
                text += QLatin1Char(c);
            else
                text += QStringLiteral("\\x%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0'));
        }
    }
    return text;
}

} // namespace kv
