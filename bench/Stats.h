#pragma once
// Samples, their median and worst, and the one table the benchmark prints.

#include <QList>
#include <QString>
#include <QStringList>

namespace kv::bench {

struct Samples {
    QList<double> ms;
    void add(double v) { ms.append(v); }
    double median() const;
    double worst() const;
    int count() const { return int(ms.size()); }
};

// "412 ms", "41.2 ms", "4.12 ms"; Signed() with its sign, "+0.63 ms".
QString Ms(double ms);
QString Signed(double ms);

struct Row {
    QString what;      // the figure
    QString measured;  // median / worst, or the single value
    QString reference; // what it is measured against, and how that was found
    QString result;    // ratio or difference against the reference
    QString goal;
    bool met = true;
    bool hasGoal = true;
};

class Table {
public:
    void add(const Row &row) { m_rows.append(row); }
    void note(const QString &text) { m_notes << text; }
    QString render() const;

private:
    QList<Row> m_rows;
    QStringList m_notes;
};

} // namespace kv::bench
