#include "ui/Colours.h"

#include <QAbstractButton>
#include <QApplication>
#include <QWidget>

namespace kv {

QColor buttonFace() { return QApplication::palette().color(QPalette::Button); }

void paint(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Button, colour);
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
    // Labels draw their background only when asked to; buttons draw theirs from Button.
    if (!qobject_cast<QAbstractButton *>(w))
        w->setAutoFillBackground(true);
}

QColor paintedColour(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) ? w->palette().color(QPalette::Button)
                                                    : w->palette().color(QPalette::Window);
}

} // namespace kv
