// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QRect>

class QFont;
class QWidget;

namespace quorel {

// Dialog units of a dialog font: a horizontal unit is a quarter of the font's
// average character width, a vertical unit an eighth of its character height.
class DialogUnits {
 public:
  DialogUnits(int base_x, int base_y) : base_x_(base_x), base_y_(base_y) {}
  // Base units measured the Windows way: the average width of the 52 Latin
  // letters, rounded, and the font's full height.
  static DialogUnits ForFont(const QFont& font);

  int X(int units) const { return units * base_x_ / 4; }
  int Y(int units) const { return units * base_y_ / 8; }
  QRect ToPixels(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
  }

 private:
  int base_x_;
  int base_y_;
};

// Sets a window's font to the dialog font every window is laid out in: its
// own face at 8 points.
void UseDialogFont(QWidget& window);

}  // namespace quorel
