// Quorel — SPDX-License-Identifier: MIT
#include "app/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <QWidget>

namespace quorel {

DialogUnits DialogUnits::ForFont(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  // (width / 26 + 1) / 2 rounds width / 52 to the nearest whole pixel.
  const int base_x = (letters / 26 + 1) / 2;
  return DialogUnits(base_x > 0 ? base_x : 1, metrics.height() > 0 ? metrics.height() : 1);
}

void UseDialogFont(QWidget& window) {
  QFont font = window.font();
  font.setPointSize(8);
  window.setFont(font);
}

}  // namespace quorel
