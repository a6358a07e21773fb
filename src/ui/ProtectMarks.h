#pragma once
// The protect controls of the output buttons: a context-menu item on each ("Protect Output
// n" / "Release Output n") and a padlock on the button of a protected output.

#include <QObject>

class QAction;

namespace kv {

class SwitchingPage;

class ProtectMarks : public QObject {
    Q_OBJECT
public:
    explicit ProtectMarks(SwitchingPage &page);

    void setProtected(int output, bool on); // 0-based
    bool shownProtected(int output) const;
    QAction *action(int output) const { return m_actions[output]; } // ProtectOutputAction<n>

signals:
    void toggleRequested(int n); // counts from 1

private:
    SwitchingPage &m_page;
    QAction *m_actions[16] = {};
    bool m_on[16] = {};
};

} // namespace kv
