#pragma once
// Disables and enables the page area around an exchange without repainting it for nothing.
//
// A serial exchange disables the pages, blocks the event loop for a few milliseconds and
// enables them again: nothing is painted in between, so the operator never sees them
// disabled, yet Qt repainted every control of the page twice for it, which took longer than
// the exchange on the line. While the pages are disabled their change notices are held back;
// the disabled look is drawn only if the window paints before they are enabled again (a wait
// that runs the event loop, a message box).

#include <QObject>

class QWidget;

namespace kv {

class PageLock : public QObject {
public:
    explicit PageLock(QWidget *pages); // a child of pages
    void setEnabled(bool enabled);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showDisabled();

    QWidget *m_pages;
    bool m_holding = false;
};

} // namespace kv
