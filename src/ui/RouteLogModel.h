#pragma once
// The route journal as a table, newest first, and the filter by output and origin that
// the Route Log window puts in front of it.

#include "state/RouteChange.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSortFilterProxyModel>

namespace kv {

class RouteLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Output, From, To, State, Origin, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // Oldest first, as the files hold them; shown newest first.
    void setChanges(const QList<RouteChange> &oldestFirst);
    void addChange(const RouteChange &change); // a new line goes on top
    const RouteChange &change(int row) const { return m_rows[row]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<RouteChange> m_rows; // newest first
};

class RouteLogFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setOutput(int output);          // counts from 1; 0 = every output
    void setOrigin(const QString &kind); // "operator", "preset", ...; empty = every origin

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override;

private:
    int m_output = 0;
    QString m_origin;
};

} // namespace kv
