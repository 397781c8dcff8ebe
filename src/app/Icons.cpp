// Quorel — SPDX-License-Identifier: MIT
#include "app/Icons.h"

#include <QString>

// The resources live in a static library, so they are registered by hand
// before the first use.
static void RegisterResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(quorel);
    return true;
  }();
  (void)registered;
}

namespace quorel {

QIcon IconOf(Icon icon) {
  RegisterResources();
  QIcon result;
  if (icon == Icon::kWindow) {
    for (int size : {16, 32, 48}) result.addFile(QStringLiteral(":/icons/101-%1.png").arg(size));
    return result;
  }
  // Each drawing is marked with its device pixel ratio, so Qt picks the
  // sharpest one instead of blowing up the 16-pixel one.
  for (const char* suffix : {"", "@2x", "@3x"}) {
    result.addFile(QStringLiteral(":/icons/%1%2.png")
                       .arg(static_cast<int>(icon))
                       .arg(QLatin1String(suffix)));
  }
  return result;
}

}  // namespace quorel
