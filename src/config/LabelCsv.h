#pragma once
// Label files: CSV in UTF-8 with the header "kind,number,label", one row per label, fields
// quoted as RFC 4180 has it. Reading is all or nothing: the first bad line refuses the file.

#include <QByteArray>
#include <QList>
#include <QString>

namespace kv {

// Kinds in file order, with how many labels each has; a row's kind is an index into these.
inline constexpr int kLabelCsvKindCount = 4;
inline constexpr const char *kLabelCsvKinds[kLabelCsvKindCount] = {"input", "output", "group",
                                                                   "preset"};
inline constexpr int kLabelCsvCounts[kLabelCsvKindCount] = {16, 16, 8, 8};
// As many characters as a label edit holds (UTF-16 units, as the edit counts them).
inline constexpr int kLabelCsvMaxLength = 6;
// Far more than 48 rows and a spreadsheet's blank lines ever need.
inline constexpr qint64 kLabelCsvMaxBytes = 1024 * 1024;

struct LabelRow {
    int kind = 0;   // index into kLabelCsvKinds
    int number = 1; // counts from 1
    QString label;
    bool operator==(const LabelRow &) const = default;
};

struct LabelCsvResult {
    QList<LabelRow> rows; // empty when refused
    int badLine = 0;      // line of the file (from 1) where the first bad row starts; 0 = good
    QString reason;
    bool ok() const { return badLine == 0; }
};

QByteArray WriteLabelCsv(const QList<LabelRow> &rows);

// Accepts a byte-order mark, CRLF, LF or CR line ends, blank lines, kinds in any case and
// blanks around kind and number; the label is taken exactly as it stands.
LabelCsvResult ReadLabelCsv(const QByteArray &bytes);

} // namespace kv
