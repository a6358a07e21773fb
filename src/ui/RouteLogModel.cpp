#include "ui/RouteLogModel.h"

namespace kv {

void RouteLogModel::setChanges(const QList<RouteChange> &oldestFirst)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(oldestFirst.size());
    for (auto it = oldestFirst.crbegin(); it != oldestFirst.crend(); ++it)
        m_rows << *it;
    endResetModel();
}

void RouteLogModel::addChange(const RouteChange &change)
{
    beginInsertRows({}, 0, 0);
    m_rows.prepend(change);
    endInsertRows();
}

int RouteLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RouteLogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RouteLogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const RouteChange &c = m_rows[index.row()];
    if (role == Qt::TextAlignmentRole && index.column() >= Output && index.column() <= To)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    auto port = [](int n) { return n > 0 ? QString::number(n) : QStringLiteral("--"); };
    switch (index.column()) {
    case Time: return c.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    case Output: return c.output;
    case From: return port(c.from);
    case To: return port(c.to);
    case State: return c.state;
    case Origin: return c.origin;
    default: return {};
    }
}

QVariant RouteLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *names[ColumnCount] = {"Time", "Output", "From", "To", "State", "Origin"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QVariant();
}

void RouteLogFilter::setOutput(int output)
{
    m_output = output;
    invalidateFilter();
}

void RouteLogFilter::setOrigin(const QString &kind)
{
    m_origin = kind;
    invalidateFilter();
}

bool RouteLogFilter::filterAcceptsRow(int row, const QModelIndex &) const
{
    const auto *model = static_cast<const RouteLogModel *>(sourceModel());
    const RouteChange &c = model->change(row);
    if (m_output != 0 && c.output != m_output)
        return false;
    // "preset" stands for every "preset N", "remote" for every address.
    return m_origin.isEmpty() || c.origin == m_origin ||
           c.origin.startsWith(m_origin + QLatin1Char(' '));
}

} // namespace kv
