#pragma once
// The operator's status read and the redraw of every page from MatrixState. It sits above
// the pages: it drives the reader, the progress window and the message boxes.

#include "protocol/StatusReader.h"

#include <QObject>

namespace kv {

class TMatrixForm;

class StatusRead : public QObject {
    Q_OBJECT
public:
    explicit StatusRead(TMatrixForm &form);

    // "Read from Kestavion": the whole state, then every page redrawn.
    void ReadfromKestavions1Click();
    // Every page from MatrixState: routing (and the caption), label rows, grouping, system info.
    void RefreshAllPages();
    // Info into the Setup page's controls (those that exist).
    void ShowSystemInfo();
    // After "RSYS": the system status alone, shown whether or not it could be read.
    void SystemRecallReread();

    StatusReader &reader() { return m_reader; }

private:
    TMatrixForm &m_form;
    StatusReader m_reader;
};

} // namespace kv
