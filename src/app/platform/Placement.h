// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace quorel {

// Monitor rectangles are the monitors' full areas (not their work areas);
// QRect::right() and bottom() are inclusive, so the code works with
// x() + width() as the exclusive right edge.

// Top-left corner of a window of `size` centred on `cursor`, kept inside
// `monitor`: too wide ends at the left edge, too tall ends on the bottom edge.
QPoint CentreOnCursor(QSize size, QPoint cursor, const QRect& monitor);

// A remembered top-left corner moved inside `monitor`: too wide ends at the
// left edge, too tall at the top edge.
QPoint FitIntoMonitor(QPoint top_left, QSize size, const QRect& monitor);

// The full rectangle of the monitor the rectangle lies on most, or of the
// primary monitor when it lies on none.
QRect MonitorRectOf(const QRect& rect);

// Moves the window so that it is centred on the cursor and inside the
// cursor's monitor (the primary one when the cursor is on none).
void PlaceAtCursor(QWidget& window);

// Shrinks a dialog that would not fit the work area of its screen (a file
// dialog at twice the scale on a small screen) to that area, less a margin
// for the frame, and moves it inside.
void FitToScreen(QWidget& dialog);

}  // namespace quorel
