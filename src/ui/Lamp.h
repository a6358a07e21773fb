#pragma once
// A small square status lamp with a raised edge: red while lit, green while not.

#include "ui/Colours.h"

#include <QWidget>

namespace kv {

class Lamp : public QWidget {
    Q_OBJECT
public:
    explicit Lamp(QWidget *parent = nullptr);

    bool lit() const { return m_lit; }
    void setLit(bool lit);
    QColor colour() const { return m_lit ? kRed : kLampOff; }
    QSize sizeHint() const override { return {13, 13}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    bool m_lit = false;
};

} // namespace kv
