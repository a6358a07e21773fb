#include "ui/LabelButton.h"

#include <QEvent>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextOption>

namespace kv {

namespace {
// Room left between the caption and the button's edge, so that no glyph touches the bevel.
constexpr int kSidePadding = 3;
} // namespace

LabelButton::LabelButton(const QString &text, QWidget *parent) : QPushButton(text, parent) {}

bool LabelButton::event(QEvent *event)
{
    // setText() registers the "&x" of a label as a shortcut; a label must not route video.
    if (event->type() == QEvent::Shortcut)
        return true;
    return QPushButton::event(event);
}

void LabelButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    area.adjust(kSidePadding, 0, -kSidePadding, 0);
    if (option.state & (QStyle::State_Sunken | QStyle::State_On))
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    QTextOption layout(Qt::AlignCenter);
    layout.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    painter.setPen(option.palette.color(QPalette::ButtonText));
    painter.drawText(QRectF(area), caption, layout);
}

} // namespace kv
