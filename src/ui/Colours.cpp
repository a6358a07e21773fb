#include "ui/Colours.h"

#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QWidget>

#include <algorithm>

namespace kv {

namespace {
// The base palettes times the shades: a handful.
constexpr qsizetype kMaxSharedPalettes = 64;

bool hasColour(const QPalette &pal, QPalette::ColorRole role, const QColor &colour)
{
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        if (pal.brush(group, role) != QBrush(colour))
            return false;
    return true;
}
} // namespace

QColor buttonFace() { return QApplication::palette().color(QPalette::Button); }

void paint(QWidget *w, const QColor &colour)
{
    const bool button = qobject_cast<QAbstractButton *>(w) != nullptr;
    if (hasColour(w->palette(), QPalette::Button, colour) &&
        hasColour(w->palette(), QPalette::Window, colour) && (button || w->autoFillBackground()))
        return;
    QPalette pal = w->palette();
    pal.setColor(QPalette::Button, colour);
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
    // Labels draw their background only when asked to; buttons draw theirs from Button.
    if (!button)
        w->setAutoFillBackground(true);
}

QPalette sharedPalette(const QPalette &pal)
{
    static QList<QPalette> drawn;
    QPalette shared = pal;
    const auto it = std::find(drawn.cbegin(), drawn.cend(), pal);
    if (it != drawn.cend())
        shared = *it;
    else if (drawn.size() < kMaxSharedPalettes)
        drawn.append(pal);
    shared.setCurrentColorGroup(pal.currentColorGroup());
    return shared;
}

QColor paintedColour(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) ? w->palette().color(QPalette::Button)
                                                    : w->palette().color(QPalette::Window);
}

} // namespace kv
