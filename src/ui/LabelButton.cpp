#include "ui/LabelButton.h"
#include "ui/Colours.h"

#include <QEvent>
#include <QFontMetrics>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextOption>

#include <algorithm>

namespace kv {

namespace {
// Room left between the caption and the button's edge, so that no glyph touches the bevel.
constexpr int kSidePadding = 3;
constexpr int kIconGap = 2;
constexpr qreal kMinPointSize = 7.0;
} // namespace

LabelButton::LabelButton(const QString &text, QWidget *parent) : QPushButton(text, parent) {}

bool LabelButton::event(QEvent *event)
{
    // setText() registers the "&x" of a label as a shortcut; a label must not route video.
    if (event->type() == QEvent::Shortcut)
        return true;
    return QPushButton::event(event);
}

QRect LabelButton::captionArea(const QStyleOptionButton &option) const
{
    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    return area.adjusted(kSidePadding, 0, -kSidePadding, 0);
}

int LabelButton::captionRoom() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const int mark = icon().isNull() ? 0 : iconSize().width() + kIconGap;
    return captionArea(option).width() - mark;
}

QFont LabelButton::captionFont() const
{
    QFont f = font();
    const int room = captionRoom();
    const QStringList words = text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto widest = [&words](const QFont &font) {
        const QFontMetrics metrics(font);
        int w = 0;
        for (const QString &word : words)
            w = std::max(w, metrics.horizontalAdvance(word));
        return w;
    };
    if (f.pointSizeF() <= 0)
        return f; // a pixel-sized font: left as it is
    while (widest(f) > room && f.pointSizeF() - 0.5 >= kMinPointSize)
        f.setPointSizeF(f.pointSizeF() - 0.5);
    return f;
}

void LabelButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.palette = sharedPalette(option.palette);
    const QString caption = option.text;
    const QIcon icon = option.icon;
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect area = captionArea(option);
    if (option.state & (QStyle::State_Sunken | QStyle::State_On))
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    const QFont font = captionFont();
    painter.setFont(font);
    // A mark (a padlock) goes before the caption, the two centred together when the caption
    // fits on one line, else the mark at the left and the caption wrapped beside it.
    if (!icon.isNull()) {
        const QSize size = option.iconSize;
        const int captionWidth = QFontMetrics(font).horizontalAdvance(caption);
        const int whole = size.width() + kIconGap + captionWidth;
        const bool oneLine = whole <= area.width();
        const int left = oneLine ? area.left() + (area.width() - whole) / 2 : area.left();
        const QRect mark(QPoint(left, area.center().y() - size.height() / 2), size);
        icon.paint(&painter, mark, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        area.setLeft(mark.right() + 1 + kIconGap);
        if (oneLine)
            area.setWidth(captionWidth);
    }
    QTextOption layout(Qt::AlignCenter);
    layout.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    painter.setPen(option.palette.color(QPalette::ButtonText));
    painter.drawText(QRectF(area), caption, layout);
}

} // namespace kv
