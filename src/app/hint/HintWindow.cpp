// Quorel — SPDX-License-Identifier: MIT
#include "app/hint/HintWindow.h"

#include <QPainter>

namespace quorel {
namespace {

QColor ColourOf(uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }

}  // namespace

HintWindow::HintWindow(HintLines lines, const ToolHintInfo& info, QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowDoesNotAcceptFocus),
      lines_(std::move(lines)),
      info_(info) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFont(HintFont(info_));
  resize(lines_.WindowSize(info_.margin));
}

void HintWindow::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setFont(font());
  painter.setPen(ColourOf(info_.frame_colour));
  painter.setBrush(ColourOf(info_.fill_colour));
  const QSize size = lines_.WindowSize(info_.margin);
  painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
  painter.setPen(ColourOf(info_.text_colour));
  for (size_t i = 0; i < lines_.lines.size(); ++i) {
    const HintLine& line = lines_.lines[i];
    if (line.width <= 0) continue;
    const int top = info_.margin + static_cast<int>(i) * lines_.line_height;
    painter.drawText(QRect(info_.margin, top, line.width + 1, lines_.line_height),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line.text);
  }
}

}  // namespace quorel
