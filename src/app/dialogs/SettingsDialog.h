// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <array>
#include <string_view>

#include "settings/IniStore.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace quorel {

// Chooses the external image editor ("GraphicEditor" of section "Option"),
// the output style (format and density), the base URL of exported pictures
// and the pictures' alt texts, and whether a photo's other mark is offered. OK stores the editor box's text as it is, even
// empty, and the rest; a base URL that is not http(s) is refused with a
// message and the dialog stays open. Cancel stores nothing.
// Key of section "Quorel": 0 once the user asked never to be offered the
// other mark of a photo again (the window's question); else it is offered.
inline constexpr std::string_view kOfferSharedPhotoKey = "OfferSharedPhoto";

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  SettingsDialog(const IniStore& store, QWidget* owner);

  QLineEdit* PathEdit() const { return path_; }
  QComboBox* FormatBox() const { return format_; }
  QComboBox* DensityBox() const { return density_; }
  QLineEdit* BaseUrlEdit() const { return base_url_; }
  QCheckBox* OfferSharedPhotoBox() const { return offer_shared_photo_; }
  QLineEdit* AltEdit(size_t panel) const { return alts_[panel]; }

  void accept() override;

 private:
  void Browse();

  IniStore store_;  // a copy: the store is nothing but its path
  QLineEdit* path_ = nullptr;
  QComboBox* format_ = nullptr;
  QComboBox* density_ = nullptr;
  QLineEdit* base_url_ = nullptr;
  std::array<QLineEdit*, 2> alts_{};  // signature, seal
  QCheckBox* offer_shared_photo_ = nullptr;
};

}  // namespace quorel
