#include "ui/RouteLogWindow.h"

#include "ui/RouteLogModel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace kv {

RouteLogWindow::RouteLogWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("RouteLogWindow"));
    setWindowTitle(QStringLiteral("Route Log"));
    resize(640, 420);

    m_model = new RouteLogModel(this);
    m_filter = new RouteLogFilter(this);
    m_filter->setSourceModel(m_model);

    RouteLogOutputFilter = new QComboBox(this);
    RouteLogOutputFilter->setObjectName(QStringLiteral("RouteLogOutputFilter"));
    RouteLogOutputFilter->addItem(QStringLiteral("All outputs"), 0);
    for (int n = 1; n <= 16; ++n)
        RouteLogOutputFilter->addItem(QStringLiteral("Output %1").arg(n), n);

    RouteLogOriginFilter = new QComboBox(this);
    RouteLogOriginFilter->setObjectName(QStringLiteral("RouteLogOriginFilter"));
    RouteLogOriginFilter->addItem(QStringLiteral("All origins"), QString());
    for (const char *kind : {"operator", "preset", "sequence step", "configuration file",
                             "status read", "remote", "switcher", "reset", "factory reset"})
        RouteLogOriginFilter->addItem(QString::fromLatin1(kind), QString::fromLatin1(kind));

    connect(RouteLogOutputFilter, &QComboBox::currentIndexChanged, this, [this] {
        m_filter->setOutput(RouteLogOutputFilter->currentData().toInt());
        updateCount();
    });
    connect(RouteLogOriginFilter, &QComboBox::currentIndexChanged, this, [this] {
        m_filter->setOrigin(RouteLogOriginFilter->currentData().toString());
        updateCount();
    });

    RouteLogTable = new QTableView(this);
    RouteLogTable->setObjectName(QStringLiteral("RouteLogTable"));
    RouteLogTable->setModel(m_filter);
    RouteLogTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    RouteLogTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RouteLogTable->setAlternatingRowColors(true);
    RouteLogTable->verticalHeader()->hide();
    RouteLogTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView *header = RouteLogTable->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);

    m_count = new QLabel(this);
    m_folder = new QLabel(this);
    m_folder->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("Show:"), this));
    filters->addWidget(RouteLogOutputFilter);
    filters->addWidget(RouteLogOriginFilter);
    filters->addStretch();
    filters->addWidget(m_count);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(RouteLogTable);
    layout->addWidget(m_folder);
    updateCount();
}

void RouteLogWindow::setChanges(const QList<RouteChange> &oldestFirst)
{
    m_model->setChanges(oldestFirst);
    updateCount();
}

void RouteLogWindow::addChange(const RouteChange &change)
{
    m_model->addChange(change);
    updateCount();
}

void RouteLogWindow::setFolder(const QString &folder)
{
    m_folder->setText(QStringLiteral("Files: %1").arg(folder));
}

void RouteLogWindow::updateCount()
{
    m_count->setText(
        QStringLiteral("%1 of %2 changes").arg(m_filter->rowCount()).arg(m_model->rowCount()));
}

} // namespace kv
