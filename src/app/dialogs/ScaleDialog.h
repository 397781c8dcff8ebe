// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <array>

#include "panel/ScaleSettings.h"

class QCheckBox;
class QLineEdit;

namespace quorel {

class IniStore;
struct ImagePanel;

// How one panel's picture is sized for the output: not at all, to a height,
// to a width, or by a ratio. A tool window without an owner, so the main
// window stays usable while it is open.
class ScaleDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ScaleDialog(const ScaleSettings& current, QWidget* parent = nullptr);

  // The settings as OK stores them: numbers limited to their ranges (an empty
  // or unreadable box counts as 0), the first checked mode button, mode 3
  // when none is checked.
  ScaleSettings Chosen() const;

  QCheckBox* ModeButton(int mode) const { return modes_[static_cast<size_t>(mode)]; }
  QLineEdit* HeightEdit() const { return height_; }
  QLineEdit* WidthEdit() const { return width_; }
  QLineEdit* RatioEdit() const { return ratio_; }

 private:
  void SelectMode(int mode);

  std::array<QCheckBox*, 4> modes_{};
  QLineEdit* height_ = nullptr;
  QLineEdit* width_ = nullptr;
  QLineEdit* ratio_ = nullptr;
};

// Runs the dialog for the panel; after OK the panel's four settings are
// stored and written. True after OK, false after Cancel (nothing changes).
// The dialog ends with `main_window` when that ends first.
bool OpenScaleDialog(ImagePanel& panel, const IniStore& store, QWidget* main_window);

}  // namespace quorel
