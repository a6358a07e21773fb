#include "ui/Lamp.h"

#include <QPainter>

namespace kv {

Lamp::Lamp(QWidget *parent) : QWidget(parent) { resize(13, 13); }

void Lamp::setLit(bool lit)
{
    if (m_lit == lit)
        return;
    m_lit = lit;
    update();
}

void Lamp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.fillRect(r, colour());
    // Raised edge: light top-left, dark bottom-right.
    p.setPen(Qt::white);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(Qt::darkGray);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

} // namespace kv
