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

QIcon IconResource(int number) {
  RegisterResources();
  if (number == 101) {
    QIcon icon;
    for (int size : {16, 32, 48}) icon.addFile(QStringLiteral(":/icons/101-%1.png").arg(size));
    return icon;
  }
  return QIcon(QStringLiteral(":/icons/%1.png").arg(number));
}

}  // namespace quorel
