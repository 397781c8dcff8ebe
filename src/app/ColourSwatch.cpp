// Quorel — SPDX-License-Identifier: MIT
#include "app/ColourSwatch.h"

#include <QPainter>

#include "app/FocusMark.h"

namespace quorel {

ColourSwatch::ColourSwatch(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::TabFocus);
}

void ColourSwatch::SetColour(Colour colour) {
  colour_ = colour;
  update();
}

void ColourSwatch::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setPen(Qt::black);
  painter.setBrush(QColor(RedOf(colour_), GreenOf(colour_), BlueOf(colour_)));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  DrawFocusMark(painter, *this);
}

}  // namespace quorel
