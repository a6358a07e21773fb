#include "ui/HoldMarks.h"

#include "ui/SwitchingPage.h"

#include <QAction>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

namespace kv {

namespace {

QIcon Padlock(const QColor &body)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(body, 3));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(7, 12);
    shackle.lineTo(7, 8);
    shackle.arcTo(7, 2, 10, 12, 180, -180);
    shackle.lineTo(17, 12);
    p.drawPath(shackle);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
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

HoldMarks::HoldMarks(SwitchingPage &page) : QObject(&page), m_page(page)
{
    for (int o = 0; o < kMaxPorts; ++o) {
        QPushButton *button = page.outputButton(o + 1);
        auto *a = new QAction(Caption(o + 1, false), button);
        a->setObjectName(QStringLiteral("ProtectOutputAction%1").arg(o + 1));
        button->addAction(a);
        connect(a, &QAction::triggered, this, [this, o] { emit toggleRequested(o + 1); });
        m_actions[o] = a;

        auto *force = new QAction(QStringLiteral("Force Lock Free"), button);
        force->setObjectName(QStringLiteral("ForceUnlockAction%1").arg(o + 1));
        force->setVisible(false);
        button->addAction(force);
        connect(force, &QAction::triggered, this, [this, o] { emit forceUnlockRequested(o + 1); });
        m_force[o] = force;

        button->setContextMenuPolicy(Qt::ActionsContextMenu);
        m_tip[o] = button->toolTip();
    }
}

void HoldMarks::setProtected(int output, bool on)
{
    if (output < 0 || output >= kMaxPorts)
        return;
    m_on[output] = on;
    m_actions[output]->setText(Caption(output + 1, on));
    show(output);
}

bool HoldMarks::shownProtected(int output) const
{
    return output >= 0 && output < kMaxPorts && m_on[output];
}

void HoldMarks::setLockedBy(int output, const QString &owner)
{
    if (output < 0 || output >= kMaxPorts || m_owner[output] == owner)
        return;
    m_owner[output] = owner;
    m_force[output]->setVisible(!owner.isEmpty());
    show(output);
}

QString HoldMarks::shownLockOwner(int output) const
{
    return output >= 0 && output < kMaxPorts ? m_owner[output] : QString();
}

void HoldMarks::show(int output)
{
    static const QIcon protectedLock = Padlock(QColor(40, 40, 40));
    static const QIcon remoteLock = Padlock(QColor(30, 90, 200));
    QPushButton *button = m_page.outputButton(output + 1);
    // The operator's protect is the stronger hold: no client can take or break it.
    button->setIcon(m_on[output]                 ? protectedLock
                    : !m_owner[output].isEmpty() ? remoteLock
                                                 : QIcon());
    button->setIconSize(QSize(10, 10));
    QString tip = m_tip[output];
    if (!m_owner[output].isEmpty()) {
        if (!tip.isEmpty())
            tip += QLatin1Char('\n');
        tip += QStringLiteral("Locked by remote client %1").arg(m_owner[output]);
    }
    button->setToolTip(tip);
}

} // namespace kv
