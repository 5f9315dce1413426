#pragma once
// Where a window restored from the settings goes, so that it can be used on
// the screen it lands on.
#include <QRect>

namespace windowfit {

// The window's frame's top left and its size as the settings give them (any
// ints: a rectangle of them may not exist). Its size is made at most the available area's and at
// least minimum (where that fits). Along an axis where it was too large, or
// where its title bar would not be on screen (its top strip, or enough of its
// width), it moves just inside the area. A window whose title bar is on screen keeps its place, so
// normal values stand as they are.
QRect fit(QPoint topLeft, QSize size, const QRect &available, const QSize &minimum);

} // namespace windowfit
