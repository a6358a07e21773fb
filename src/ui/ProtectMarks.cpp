#include "ui/ProtectMarks.h"

#include "ui/SwitchingPage.h"

#include <QAction>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

namespace kv {

namespace {

QIcon Padlock()
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 3));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(7, 12);
    shackle.lineTo(7, 8);
    shackle.arcTo(7, 2, 10, 12, 180, -180);
    shackle.lineTo(17, 12);
    p.drawPath(shackle);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(QRectF(3, 11, 18, 12), 2, 2);
    p.setBrush(QColor(230, 200, 60));
    p.drawEllipse(QPointF(12, 16), 2, 2);
    return QIcon(pixmap);
}

QString Caption(int n, bool on)
{
    return (on ? QStringLiteral("Release Output %1") : QStringLiteral("Protect Output %1")).arg(n);
}

} // namespace

ProtectMarks::ProtectMarks(SwitchingPage &page) : QObject(&page), m_page(page)
{
    for (int o = 0; o < 16; ++o) {
        QPushButton *button = page.outputButton(o + 1);
        auto *a = new QAction(Caption(o + 1, false), button);
        a->setObjectName(QStringLiteral("ProtectOutputAction%1").arg(o + 1));
        button->addAction(a);
        button->setContextMenuPolicy(Qt::ActionsContextMenu);
        connect(a, &QAction::triggered, this, [this, o] { emit toggleRequested(o + 1); });
        m_actions[o] = a;
    }
}

void ProtectMarks::setProtected(int output, bool on)
{
    if (output < 0 || output >= 16)
        return;
    m_on[output] = on;
    m_actions[output]->setText(Caption(output + 1, on));
    QPushButton *button = m_page.outputButton(output + 1);
    static const QIcon lock = Padlock();
    button->setIcon(on ? lock : QIcon());
    button->setIconSize(QSize(10, 10));
}

bool ProtectMarks::shownProtected(int output) const { return output >= 0 && output < 16 && m_on[output]; }

} // namespace kv
