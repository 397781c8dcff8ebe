// Quorel — SPDX-License-Identifier: MIT
#include "settings/SettingsFolder.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace quorel {
namespace {

constexpr std::string_view kFolderName = "Wq";

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

}  // namespace

std::optional<SettingsFolder> SettingsFolder::FromEnvironment(const char* xdg_config_home,
                                                              const char* home) {
  // A relative XDG_CONFIG_HOME is to be ignored, as the base-directory rules say.
  if (IsSet(xdg_config_home) && std::filesystem::path(xdg_config_home).is_absolute()) {
    return SettingsFolder(std::filesystem::path(xdg_config_home) / kFolderName);
  }
  if (IsSet(home)) return SettingsFolder(std::filesystem::path(home) / ".config" / kFolderName);
  return std::nullopt;
}

std::optional<SettingsFolder> SettingsFolder::ForUser() {
#ifdef _WIN32
  const char* appdata = std::getenv("APPDATA");
  if (!IsSet(appdata)) return std::nullopt;
  return SettingsFolder(std::filesystem::path(appdata) / kFolderName);
#else
  return FromEnvironment(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
#endif
}

Result<void> SettingsFolder::Create() const {
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  if (!std::filesystem::is_directory(folder_, ec)) return Status::kCannotOpen;
  return {};
}

int SettingsFolder::RemoveStaleTemporaries() const {
  // The names WriteFileAtomically gives: "." + the file's name + "." + six characters.
  constexpr std::string_view kOwnNames[] = {kSignatureBmpName, kSealBmpName, kTransferBmpName,
                                            kPreviewPageName};
  std::error_code ec;
  int removed = 0;
  for (std::filesystem::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    for (const std::string_view own : kOwnNames) {
      const bool temporary = name.size() == own.size() + 8 && name[0] == '.' &&
                             name.compare(1, own.size(), own) == 0 && name[own.size() + 1] == '.';
      std::error_code removal;
      if (temporary && it->is_regular_file(removal) && std::filesystem::remove(it->path(), removal)) {
        ++removed;
      }
    }
  }
  return removed;
}

std::optional<SettingsFolder> ChooseSettingsFolder(
    const std::optional<std::filesystem::path>& override_folder) {
  if (override_folder) return SettingsFolder(*override_folder);
  return SettingsFolder::ForUser();
}

}  // namespace quorel
