#pragma once
// The state colours shared by the switching pages. A control's colour is part of the page's
// own state: it is set by the operations, read back by tests, never recomputed.

#include <QColor>

class QPalette;
class QWidget;

namespace kv {

inline const QColor kYellow(255, 255, 0); // selected output, its input, group members
inline const QColor kLime(0, 255, 0);     // settled route, step on air
inline const QColor kRed(255, 0, 0);      // pending route, lit lamps
inline const QColor kAqua(0, 255, 255);   // the grouping warning
inline const QColor kLampOff(0, 128, 0);  // unlit lamps

// The system button-face colour.
QColor buttonFace();

// Paints a push button's face or a label's background; nothing when it has that colour.
void paint(QWidget *w, const QColor &colour);
QColor paintedColour(const QWidget *w);

// A palette of the same colours that was drawn before, and so has the same key. The style
// keeps its button images by palette key, and a widget's palette takes a new key at every
// change: drawn as it is, every change of shade would add images to the style's cache.
QPalette sharedPalette(const QPalette &pal);

} // namespace kv
