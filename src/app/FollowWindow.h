#pragma once
// Following as the window shows it: its marks on the route labels, its texts on the status
// bar, and no poll while an action or a box is open.

#include "control/FollowSwitcher.h"

namespace kv {

class TMatrixForm;

class FollowWindow : public FollowView {
public:
    explicit FollowWindow(TMatrixForm &form) : m_form(form) {}

    bool mayPoll() const override;
    void showFollowStatus(const QString &text) override;
    void markChanged(int output, const QString &tip) override;
    void unmarkChanged(int output) override;
    void markForeign(int output, int input) override;

private:
    TMatrixForm &m_form;
};

} // namespace kv
