// Quorel — SPDX-License-Identifier: MIT
#include "settings/EditorDefault.h"

#include <cstdlib>
#include <filesystem>

#include "settings/IniStore.h"
#include "settings/OptionBits.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace quorel {

std::string DefaultEditorPath(std::string_view path_variable) {
#ifdef _WIN32
  (void)path_variable;
  const char* windir = std::getenv("WINDIR");
  return std::string(windir ? windir : "C:\\Windows") + "\\System32\\mspaint.exe";
#else
  static constexpr std::string_view kEditors[] = {"kolourpaint", "pinta", "mtpaint", "gimp"};
  for (const std::string_view editor : kEditors) {
    size_t at = 0;
    while (at <= path_variable.size()) {
      size_t colon = path_variable.find(':', at);
      if (colon == std::string_view::npos) colon = path_variable.size();
      const std::filesystem::path folder(path_variable.substr(at, colon - at));
      at = colon + 1;
      // NOTE: empty and relative entries (the current folder) are skipped: the
      // stored path must not depend on where the program was started.
      if (!folder.is_absolute()) continue;
      const std::filesystem::path candidate = folder / editor;
      std::error_code ec;
      if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0) {
        return candidate.string();
      }
    }
  }
  return {};
#endif
}

std::string DefaultEditorPath() {
  const char* path = std::getenv("PATH");
  return DefaultEditorPath(path ? path : "");
}

int32_t ApplyFirstRunDefaults(const IniStore& store, int32_t bits, const std::string& editor_path) {
  if (bits & option_bit::kDefaultsWritten) return bits;
  // NOTE: an unwritable file is no reason to stop the start; the editor is
  // then simply not configured.
  (void)store.WriteString(kOptionSection, kGraphicEditorKey, editor_path);
  return bits | option_bit::kDefaultsWritten;
}

}  // namespace quorel
