#pragma once
// The Video Switching page's keys: wherever the focus is on that page (or on the preset
// panel beside it), number keys, Enter, Ctrl+Enter, Escape, Backspace and F1 to F8 go to
// KeyRouting before the focused control sees them. Other pages and text fields are left alone.

#include "control/KeyRouting.h"

#include <QObject>

namespace kv {

class TMatrixForm;

class RoutingKeys : public QObject {
    Q_OBJECT
public:
    RoutingKeys(TMatrixForm &form, KeyRoutingTarget &target);

    KeyRouting &keys() { return m_keys; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool onSwitchingPage(QObject *receiver) const;

    TMatrixForm &m_form;
    KeyRouting m_keys;
};

} // namespace kv
