// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include "settings/IniStore.h"

class QLineEdit;

namespace quorel {

// Chooses the external image editor ("GraphicEditor" of section "Option").
// OK stores the box's text as it is, even empty; Cancel stores nothing.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  SettingsDialog(const IniStore& store, QWidget* owner);

  QLineEdit* PathEdit() const { return path_; }

  void accept() override;

 private:
  void Browse();

  IniStore store_;  // a copy: the store is nothing but its path
  QLineEdit* path_ = nullptr;
};

}  // namespace quorel
