// Quorel — SPDX-License-Identifier: MIT
#include "app/platform/LocalLoop.h"

#include <QDialog>
#include <QEventLoop>
#include <QPointer>

namespace quorel {

int RunModeless(QDialog& dialog, QWidget* main_window) {
  QEventLoop loop;
  QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
  QPointer<QDialog> guard(&dialog);
  if (main_window) {
    QObject::connect(main_window, &QObject::destroyed, &loop, [guard] {
      if (guard) guard->reject();
    });
    if (auto* main_dialog = qobject_cast<QDialog*>(main_window)) {
      QObject::connect(main_dialog, &QDialog::finished, &loop, [guard] {
        if (guard) guard->reject();
      });
    }
  }
  dialog.setWindowModality(Qt::NonModal);
  dialog.show();
  dialog.raise();
  dialog.activateWindow();
  if (dialog.isVisible()) loop.exec();
  return dialog.result();
}

}  // namespace quorel
