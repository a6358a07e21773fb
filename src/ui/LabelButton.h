#pragma once
// A push button that shows an operator's label: the caption wraps between its words where it
// does not fit, a word too wide for the button is drawn a little smaller rather than split,
// and it is drawn as typed ("R&D" is neither underlined nor a shortcut).

#include <QFont>
#include <QPushButton>

namespace kv {

class LabelButton : public QPushButton {
    Q_OBJECT
public:
    explicit LabelButton(const QString &text, QWidget *parent = nullptr);

    // The width a line of the caption may take, beside the icon if there is one.
    int captionRoom() const;
    // The button's font, or a smaller one (never below 7 points) in which every word of the
    // caption fits in captionRoom().
    QFont captionFont() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *) override;

private:
    QRect captionArea(const QStyleOptionButton &option) const;
};

} // namespace kv
