// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorel {

class IniStore;

// The editor path written on the first run: on Linux the full path of the
// first of kolourpaint, pinta, mtpaint and gimp found on `path_variable` (a
// PATH value), empty when none is; on Windows the system's paint program.
std::string DefaultEditorPath(std::string_view path_variable);
// The same over this process's PATH.
std::string DefaultEditorPath();

// The first-run step of start-up: when bit 0 of `bits` is clear, writes the
// default editor to "GraphicEditor" of section "Option" (replacing any stored
// path) and returns the bits with bit 0 set; otherwise returns them unchanged.
// Bit 0 reaches the file only when the caller writes the bits at exit.
int32_t ApplyFirstRunDefaults(const IniStore& store, int32_t bits, const std::string& editor_path);

}  // namespace quorel
