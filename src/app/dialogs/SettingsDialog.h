// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include "settings/IniStore.h"

class QComboBox;
class QLineEdit;

namespace quorel {

// Chooses the external image editor ("GraphicEditor" of section "Option")
// and the output style (format and density). OK stores the editor box's text
// as it is, even empty, and the style; Cancel stores nothing.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  SettingsDialog(const IniStore& store, QWidget* owner);

  QLineEdit* PathEdit() const { return path_; }
  QComboBox* FormatBox() const { return format_; }
  QComboBox* DensityBox() const { return density_; }

  void accept() override;

 private:
  void Browse();

  IniStore store_;  // a copy: the store is nothing but its path
  QLineEdit* path_ = nullptr;
  QComboBox* format_ = nullptr;
  QComboBox* density_ = nullptr;
};

}  // namespace quorel
