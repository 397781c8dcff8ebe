// Quorel — SPDX-License-Identifier: MIT
#include "app/hint/HintLayout.h"

#include <QFontMetrics>
#include <algorithm>

namespace quorel {

HintLines MeasureHint(const QString& text, const QFontMetrics& metrics, int max_lines) {
  HintLines result;
  qsizetype start = 0;
  auto close_line = [&](qsizetype end) {
    HintLine line{text.mid(start, end - start), 0};
    if (!line.text.isEmpty()) {
      line.width = metrics.horizontalAdvance(line.text);
      result.widest = std::max(result.widest, line.width);
      result.line_height = std::max(result.line_height, metrics.height());
    }
    result.lines.push_back(std::move(line));
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (static_cast<int>(result.lines.size()) >= max_lines) return result;
    if (text[i] == QLatin1Char('\n')) {
      close_line(i);
      start = i + 1;
    }
  }
  if (static_cast<int>(result.lines.size()) < max_lines && start < text.size()) {
    close_line(text.size());
  }
  return result;
}

QFont HintFont(const ToolHintInfo& info) {
  QFont font(QString::fromUtf8(info.face_name.data(), static_cast<qsizetype>(info.face_name.size())));
  font.setPixelSize(info.font_height);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QPoint PlaceHint(const QRect& control, QSize size, const QRect& monitor, int gap) {
  const int w = size.width();
  const int h = size.height();
  int x = control.x() + control.width() / 2 - w / 2;
  int y = control.y() + control.height() / 2;  // the control's vertical middle
  const int monitor_right = monitor.x() + monitor.width();
  const int monitor_bottom = monitor.y() + monitor.height();
  if (x + w > monitor_right) x = monitor_right - w;
  if (x < monitor.x()) x = monitor.x();
  const int half = control.height() / 2;
  if (y + half + gap + h < monitor_bottom) {
    y += half + gap;
  } else {
    y -= half + gap + h;
  }
  return QPoint(x, y);
}

}  // namespace quorel
