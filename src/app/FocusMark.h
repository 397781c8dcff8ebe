// Quorel — SPDX-License-Identifier: MIT
#pragma once

class QPainter;
class QWidget;

namespace quorel {

// The keyboard focus mark of an owner-drawn control: a dotted frame just
// inside its edge, drawn only while the control has focus.
void DrawFocusMark(QPainter& painter, const QWidget& control);

}  // namespace quorel
