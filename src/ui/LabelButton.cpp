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
    const QIcon icon = option.icon;
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    area.adjust(kSidePadding, 0, -kSidePadding, 0);
    if (option.state & (QStyle::State_Sunken | QStyle::State_On))
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    // A mark (a padlock) goes before the caption, the two centred together when the caption
    // fits on one line, else the mark at the left and the caption wrapped beside it.
    if (!icon.isNull()) {
        const QSize size = option.iconSize;
        constexpr int gap = 2;
        const int captionWidth = fontMetrics().horizontalAdvance(caption);
        const int whole = size.width() + gap + captionWidth;
        const bool oneLine = whole <= area.width();
        const int left = oneLine ? area.left() + (area.width() - whole) / 2 : area.left();
        const QRect mark(QPoint(left, area.center().y() - size.height() / 2), size);
        icon.paint(&painter, mark, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        area.setLeft(mark.right() + 1 + gap);
        if (oneLine)
            area.setWidth(captionWidth);
    }
    QTextOption layout(Qt::AlignCenter);
    layout.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    painter.setPen(option.palette.color(QPalette::ButtonText));
    painter.drawText(QRectF(area), caption, layout);
}

} // namespace kv
