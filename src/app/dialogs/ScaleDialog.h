// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <array>
#include <optional>

#include "image/cleanup/Cleanup.h"
#include "panel/ScaleSettings.h"

class QRadioButton;
class QComboBox;
class QLineEdit;

namespace quorel {

class IniStore;
struct ImagePanel;

// How one panel's picture is made ready for the output: its clean-up level,
// then its size: not at all, to a height, to a width, or by a ratio. A tool
// window without an owner, so the main window stays usable while it is open.
class ScaleDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ScaleDialog(const ScaleSettings& current, CleanupLevel cleanup = CleanupLevel::kNone,
                       QWidget* parent = nullptr);

  // The settings as OK stores them: numbers limited to their ranges (an empty
  // or unreadable box counts as 0), the first checked mode button, mode 3
  // when none is checked.
  ScaleSettings Chosen() const;
  CleanupLevel ChosenCleanup() const;

  QRadioButton* ModeButton(int mode) const { return modes_[static_cast<size_t>(mode)]; }
  QLineEdit* HeightEdit() const { return height_; }
  QLineEdit* WidthEdit() const { return width_; }
  QLineEdit* RatioEdit() const { return ratio_; }
  QComboBox* CleanupBox() const { return cleanup_; }

 private:
  void EnableNumbers();
  void ShowNumbersUsed();

  std::array<QRadioButton*, 4> modes_{};
  QLineEdit* height_ = nullptr;
  QLineEdit* width_ = nullptr;
  QLineEdit* ratio_ = nullptr;
  QComboBox* cleanup_ = nullptr;
};

// Runs the dialog for the panel; after OK the panel's four scale settings are
// stored and written, and the clean-up level chosen is returned for the caller
// to apply (a photo's clean-up takes a while). None after Cancel (nothing
// changes). The dialog ends with `main_window` when that ends first.
std::optional<CleanupLevel> OpenScaleDialog(ImagePanel& panel, const IniStore& store, QWidget* main_window);

}  // namespace quorel
