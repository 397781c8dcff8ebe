// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "common/Result.h"

namespace quorel {

// The names of the files in the settings folder; they never change.
inline constexpr std::string_view kIniFileName = "wq.ini";
inline constexpr std::string_view kImageGifName = "$image.gif";        // each image tag's GIF
inline constexpr std::string_view kTransferBmpName = "$image.bmp";     // editor and sibling hand-over
inline constexpr std::string_view kSignatureBmpName = "$quorel_s.bmp"; // working copy, panel 0
inline constexpr std::string_view kSealBmpName = "$quorel_i.bmp";      // working copy, panel 1
inline constexpr std::string_view kPreviewPageName = "$quorel_view.html";

// The folder shared with the sibling program that holds wq.ini and every
// working file.
class SettingsFolder {
 public:
  explicit SettingsFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // The user's folder: $XDG_CONFIG_HOME/Wq, else $HOME/.config/Wq (Windows:
  // %APPDATA%\Wq). None when neither variable is set. Not created here.
  static std::optional<SettingsFolder> ForUser();
  // The same rule over given variable values (null or empty meaning unset).
  static std::optional<SettingsFolder> FromEnvironment(const char* xdg_config_home,
                                                       const char* home);

  // Creates the folder when it is missing; kCannotOpen when it does not exist
  // afterwards.
  Result<void> Create() const;
  // Removes the temporary files a crash left behind while one of the desktop
  // program's files was being replaced (".$quorel_s.bmp.XXXXXX" and the like:
  // the working, transfer and preview files). The number removed. Only the
  // running program may call it: its own writes are the only ones of these.
  int RemoveStaleTemporaries() const;

  const std::filesystem::path& Path() const { return folder_; }
  std::filesystem::path IniPath() const { return folder_ / kIniFileName; }
  std::filesystem::path TransferBmpPath() const { return folder_ / kTransferBmpName; }
  // Panel 0 the signature, panel 1 the seal.
  std::filesystem::path WorkingBmpPath(int panel_index) const {
    return folder_ / (panel_index == 0 ? kSignatureBmpName : kSealBmpName);
  }
  std::filesystem::path PreviewPagePath() const { return folder_ / kPreviewPageName; }

 private:
  std::filesystem::path folder_;
};

// The folder of --settings DIR or, without one, the user's folder.
std::optional<SettingsFolder> ChooseSettingsFolder(
    const std::optional<std::filesystem::path>& override_folder);

}  // namespace quorel
