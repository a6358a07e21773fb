#include "config/LabelCsv.h"

#include <QStringDecoder>

namespace kv {

namespace {

QByteArray quoted(const QByteArray &field)
{
    if (!field.contains(',') && !field.contains('"') && !field.contains('\r') &&
        !field.contains('\n'))
        return field;
    QByteArray out = field;
    out.replace('"', "\"\"");
    return '"' + out + '"';
}

struct Record {
    QList<QByteArray> fields;
    int line = 0;
    bool blank = true; // no byte at all on its line
};

// Splits the bytes into records; false with *badLine set on a quote out of place.
bool splitRecords(const QByteArray &b, QList<Record> *records, int *badLine)
{
    qsizetype i = 0;
    const qsizetype n = b.size();
    int line = 1;
    auto lineEnd = [&](qsizetype at) -> qsizetype { // length of the line end at `at`, or 0
        if (at >= n)
            return 0;
        if (b[at] == '\r')
            return at + 1 < n && b[at + 1] == '\n' ? 2 : 1;
        return b[at] == '\n' ? 1 : 0;
    };
    while (i < n) {
        Record r;
        r.line = line;
        for (;;) {
            QByteArray field;
            if (i < n && b[i] == '"') {
                r.blank = false;
                ++i;
                for (;;) {
                    if (i >= n) {
                        *badLine = r.line;
                        return false; // quote never closed
                    }
                    if (b[i] == '"') {
                        if (i + 1 < n && b[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (const qsizetype e = lineEnd(i)) {
                        field += b.mid(i, e);
                        i += e;
                        ++line;
                        continue;
                    }
                    field += b[i++];
                }
                if (i < n && b[i] != ',' && !lineEnd(i)) {
                    *badLine = r.line;
                    return false; // text after the closing quote
                }
            } else {
                while (i < n && b[i] != ',' && !lineEnd(i)) {
                    if (b[i] == '"') {
                        *badLine = r.line;
                        return false; // quote inside an unquoted field
                    }
                    field += b[i++];
                }
            }
            if (!field.isEmpty())
                r.blank = false;
            r.fields.append(field);
            if (i < n && b[i] == ',') {
                r.blank = false;
                ++i;
                continue;
            }
            break;
        }
        if (const qsizetype e = lineEnd(i)) {
            i += e;
            ++line;
        }
        records->append(r);
    }
    return true;
}

bool decodeUtf8(const QByteArray &bytes, QString *out)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *out = decoder.decode(bytes);
    return !decoder.hasError();
}

LabelCsvResult refuse(int line, const QString &reason)
{
    LabelCsvResult r;
    r.badLine = line;
    r.reason = reason;
    return r;
}

int kindOf(const QString &text)
{
    for (int k = 0; k < kLabelCsvKindCount; ++k) {
        if (text.compare(QLatin1String(kLabelCsvKinds[k]), Qt::CaseInsensitive) == 0)
            return k;
    }
    return -1;
}

} // namespace

QByteArray WriteLabelCsv(const QList<LabelRow> &rows)
{
    QByteArray out = "kind,number,label\r\n";
    for (const LabelRow &r : rows) {
        if (r.kind < 0 || r.kind >= kLabelCsvKindCount)
            continue;
        out += kLabelCsvKinds[r.kind];
        out += ',' + QByteArray::number(r.number) + ',' + quoted(r.label.toUtf8()) + "\r\n";
    }
    return out;
}

LabelCsvResult ReadLabelCsv(const QByteArray &bytes)
{
    QByteArray b = bytes;
    if (b.startsWith("\xEF\xBB\xBF"))
        b.remove(0, 3);

    QList<Record> records;
    int badLine = 0;
    if (!splitRecords(b, &records, &badLine))
        return refuse(badLine, QStringLiteral("a quote out of place"));

    LabelCsvResult result;
    bool header = false;
    bool seen[kLabelCsvKindCount][16] = {};
    for (const Record &rec : records) {
        if (rec.blank)
            continue;
        QStringList f;
        for (const QByteArray &raw : rec.fields) {
            QString text;
            if (!decodeUtf8(raw, &text))
                return refuse(rec.line, QStringLiteral("not UTF-8 text"));
            f << text;
        }
        if (!header) {
            if (f.size() != 3 || f[0].trimmed().compare(u"kind", Qt::CaseInsensitive) != 0 ||
                f[1].trimmed().compare(u"number", Qt::CaseInsensitive) != 0 ||
                f[2].trimmed().compare(u"label", Qt::CaseInsensitive) != 0)
                return refuse(rec.line, QStringLiteral("the header kind,number,label is missing"));
            header = true;
            continue;
        }
        if (f.size() != 3)
            return refuse(rec.line, QStringLiteral("%1 fields, not 3").arg(f.size()));
        if (f[0].isEmpty() && f[1].isEmpty() && f[2].isEmpty())
            continue; // a spreadsheet's empty row
        const int kind = kindOf(f[0].trimmed());
        if (kind < 0)
            return refuse(rec.line, QStringLiteral("unknown kind \"%1\"").arg(f[0]));
        const QString numberText = f[1].trimmed();
        bool isNumber = !numberText.isEmpty() && numberText.size() <= 4;
        for (QChar c : numberText)
            isNumber = isNumber && c >= u'0' && c <= u'9';
        const int number = isNumber ? numberText.toInt() : 0;
        if (number < 1 || number > kLabelCsvCounts[kind])
            return refuse(
                rec.line,
                QStringLiteral("no %1 \"%2\"").arg(QLatin1String(kLabelCsvKinds[kind]), f[1]));
        if (f[2].size() > kLabelCsvMaxLength)
            return refuse(rec.line, QStringLiteral("label longer than six characters"));
        if (seen[kind][number - 1])
            return refuse(rec.line, QStringLiteral("%1 %2 given twice")
                                        .arg(QLatin1String(kLabelCsvKinds[kind]))
                                        .arg(number));
        seen[kind][number - 1] = true;
        result.rows.append({kind, number, f[2]});
    }
    if (!header)
        return refuse(1, QStringLiteral("the header kind,number,label is missing"));
    return result;
}

} // namespace kv
