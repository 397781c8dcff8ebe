// Quorel — SPDX-License-Identifier: MIT
#include "app/dialogs/OkCancelBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace quorel {

QDialogButtonBox* AddOkCancel(QDialog& dialog, const QRect& geometry) {
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  box->setGeometry(geometry);
  box->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  box->button(QDialogButtonBox::Ok)->setDefault(true);
  box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return box;
}

}  // namespace quorel
