// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

#include "app/hint/HintTable.h"

class QFontMetrics;

namespace quorel {

// One measured line of a hint.
struct HintLine {
  QString text;
  int width = 0;  // 0 for an empty line, which still takes its row
};

struct HintLines {
  std::vector<HintLine> lines;
  int widest = 0;
  int line_height = 0;  // the largest measured height

  // Without lines, width or height there is no window to show.
  bool Empty() const { return lines.empty() || widest <= 0 || line_height <= 0; }
  QSize WindowSize(int margin) const {
    return QSize(widest + 2 * margin, static_cast<int>(lines.size()) * line_height + 2 * margin);
  }
};

// Splits at '\n' and measures each non-empty line. An empty line between two
// line feeds counts; an empty last line after a final line feed does not. At
// most `max_lines` lines are kept.
HintLines MeasureHint(const QString& text, const QFontMetrics& metrics, int max_lines);

// The hint font: the face of the record at its pixel height, the system's
// fallback standing in when the face is missing.
QFont HintFont(const ToolHintInfo& info);

// Screen position of a hint window of `size` for a control at `control`
// (screen coordinates): centred horizontally on the control and kept inside
// the monitor's width; below the control when it fits above the monitor's
// bottom edge, else above it. The monitor's top edge plays no part.
QPoint PlaceHint(const QRect& control, QSize size, const QRect& monitor, int gap);

}  // namespace quorel
