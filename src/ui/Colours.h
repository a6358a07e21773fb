#pragma once
// The state colours shared by the switching pages. A control's colour is part of the page's
// own state: it is set by the operations, read back by tests, never recomputed.

#include <QColor>

class QWidget;

namespace kv {

inline const QColor kYellow(255, 255, 0);  // selected output, its input, group members
inline const QColor kLime(0, 255, 0);      // settled route, step on air
inline const QColor kRed(255, 0, 0);       // pending route, lit lamps
inline const QColor kAqua(0, 255, 255);    // the grouping warning
inline const QColor kLampOff(0, 128, 0);   // unlit lamps

// The system button-face colour.
QColor buttonFace();

// Paints a push button's face or a label's background.
void paint(QWidget *w, const QColor &colour);
QColor paintedColour(const QWidget *w);

} // namespace kv
