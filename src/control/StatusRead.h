#pragma once
// The operator's status read and the redraw of every page from MatrixState: the reader's
// queries under the progress window, then the routing, label rows, grouping and system
// status shown again.

#include "protocol/StatusReader.h"

#include <QObject>

namespace kv {

class CommandChannel;
class Grouping;
class RouteJournal;
class Routing;

// What the read needs of the window besides the reader's own host.
class StatusReadView {
public:
    virtual ~StatusReadView() = default;
    virtual void setStatusText(const QString &text) = 0;
    virtual bool showBusyCursor() = 0;
    virtual void showArrowCursor() = 0;
    virtual void showMessage(const QString &text) = 0;
    // The label rows of the inputs and outputs the model has usable, the others greyed.
    virtual void refreshLabelRows(int inputCount, int outputCount) = 0;
    virtual void showSystemInfo(bool frontPanelLock, bool viState, const QString &ipAddress,
                                const QString &firmwareVersion) = 0;
};

class StatusRead : public QObject {
    Q_OBJECT
public:
    StatusRead(MatrixState &state, CommandChannel &channel, StatusHost &host, StatusReadView &view,
               Routing &routing, Grouping &grouping, RouteJournal *journal,
               QObject *parent = nullptr);

    // "Read from Kestavion": the whole state, then every page redrawn.
    void ReadfromKestavions1Click();
    // Every page from MatrixState: routing (and the caption), label rows, grouping, system info.
    void RefreshAllPages();
    // Info into the Setup and About pages' controls.
    void ShowSystemInfo();
    // After "RSYS": the system status alone, shown whether or not it could be read.
    void SystemRecallReread();

    StatusReader &reader() { return m_reader; }

signals:
    // The switcher's routes are in the state, not yet shown; inside the read's journal scope.
    void routesRead();

private:
    MatrixState &m_state;
    CommandChannel &m_channel;
    StatusReadView &m_view;
    Routing &m_routing;
    Grouping &m_grouping;
    RouteJournal *m_journal;
    StatusReader m_reader;
};

} // namespace kv
