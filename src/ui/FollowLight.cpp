#include "ui/FollowLight.h"

#include <QPainter>

namespace kv {

FollowLight::FollowLight(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FollowLamp"));
    setFixedSize(sizeHint());
    setVisible(false);
}

void FollowLight::show(FollowLamp lamp, const QString &why)
{
    m_lamp = lamp;
    setToolTip(why);
    setVisible(lamp != FollowLamp::Off);
    update();
}

QColor FollowLight::colour() const
{
    switch (m_lamp) {
    case FollowLamp::Live: return QColor(0, 200, 0);
    case FollowLamp::Waiting: return QColor(255, 170, 0);
    case FollowLamp::Stopped: return QColor(220, 0, 0);
    case FollowLamp::Off: break;
    }
    return QColor(128, 128, 128);
}

void FollowLight::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(colour());
    p.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
}

} // namespace kv
