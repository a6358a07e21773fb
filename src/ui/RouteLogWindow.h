#pragma once
// "Route Log...": the journal of every day, newest first, filtered by output and origin,
// with new changes arriving on top as they are recorded.

#include "state/RouteChange.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QTableView;

namespace kv {

class RouteLogFilter;
class RouteLogModel;

class RouteLogWindow : public QWidget {
    Q_OBJECT
public:
    explicit RouteLogWindow(QWidget *parent = nullptr);

    void setChanges(const QList<RouteChange> &oldestFirst);
    void addChange(const RouteChange &change);
    void setFolder(const QString &folder);

    QTableView *RouteLogTable = nullptr;
    QComboBox *RouteLogOutputFilter = nullptr;
    QComboBox *RouteLogOriginFilter = nullptr;
    RouteLogModel *model() const { return m_model; }
    RouteLogFilter *filter() const { return m_filter; }

private:
    void updateCount();

    RouteLogModel *m_model;
    RouteLogFilter *m_filter;
    QLabel *m_count;
    QLabel *m_folder;
};

} // namespace kv
