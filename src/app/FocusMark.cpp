// Quorel — SPDX-License-Identifier: MIT
#include "app/FocusMark.h"

#include <QPainter>
#include <QWidget>

namespace quorel {

void DrawFocusMark(QPainter& painter, const QWidget& control) {
  if (!control.hasFocus()) return;
  // Drawn by hand: some styles draw their focus frame only after a key press.
  painter.setPen(QPen(control.palette().color(QPalette::Highlight), 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(control.rect().adjusted(2, 2, -3, -3));
}

}  // namespace quorel
