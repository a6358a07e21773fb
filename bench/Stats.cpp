#include "Stats.h"

#include <algorithm>

namespace kv::bench {

double Samples::median() const
{
    if (ms.isEmpty())
        return 0;
    QList<double> s = ms;
    std::sort(s.begin(), s.end());
    const qsizetype n = s.size();
    return n % 2 ? s[n / 2] : (s[n / 2 - 1] + s[n / 2]) / 2;
}

double Samples::worst() const { return ms.isEmpty() ? 0 : *std::max_element(ms.begin(), ms.end()); }

QString Ms(double ms)
{
    if (ms >= 100)
        return QString::number(ms, 'f', 0) + QStringLiteral(" ms");
    if (ms >= 10)
        return QString::number(ms, 'f', 1) + QStringLiteral(" ms");
    return QString::number(ms, 'f', 2) + QStringLiteral(" ms");
}

QString Signed(double ms)
{
    // Below what Ms() shows, a difference has no sign.
    return ms <= -0.005 ? QStringLiteral("-") + Ms(-ms) : QStringLiteral("+") + Ms(qMax(0.0, ms));
}

QString Table::render() const
{
    const QStringList head = {QStringLiteral("figure"), QStringLiteral("measured"),
                              QStringLiteral("reference (same run)"), QStringLiteral("result"),
                              QStringLiteral("goal")};
    QList<QStringList> cells;
    for (const Row &r : m_rows) {
        const QString verdict =
            r.hasGoal ? (r.met ? QStringLiteral("met") : QStringLiteral("MISSED")) : QString();
        cells.append({r.what, r.measured, r.reference, r.result,
                      r.hasGoal ? r.goal + QStringLiteral(" ") + verdict : r.goal});
    }
    QList<int> width;
    for (int c = 0; c < head.size(); ++c) {
        int w = int(head[c].size());
        for (const QStringList &row : cells)
            w = std::max(w, int(row[c].size()));
        width.append(w);
    }
    auto line = [&](const QStringList &row) {
        QString out = QStringLiteral("|");
        for (int c = 0; c < row.size(); ++c)
            out += QLatin1Char(' ') + row[c].leftJustified(width[c]) + QStringLiteral(" |");
        return out + QLatin1Char('\n');
    };
    QString out = line(head);
    QStringList rule;
    for (int w : width)
        rule << QString(w, QLatin1Char('-'));
    out += QStringLiteral("|-") + rule.join(QStringLiteral("-|-")) + QStringLiteral("-|\n");
    for (const QStringList &row : cells)
        out += line(row);
    for (const QString &n : m_notes)
        out += QStringLiteral("\n") + n;
    return out + QLatin1Char('\n');
}

} // namespace kv::bench
