#pragma once
// A push button that shows an operator's label: the caption wraps over several lines where
// it does not fit, and is drawn as typed ("R&D" is neither underlined nor a shortcut).

#include <QPushButton>

namespace kv {

class LabelButton : public QPushButton {
    Q_OBJECT
public:
    explicit LabelButton(const QString &text, QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *) override;
};

} // namespace kv
