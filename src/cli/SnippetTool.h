// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "common/Text.h"

namespace quorel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNoSnippet = 1;  // message 8 or 9, or the output cannot be written
inline constexpr int kExitUsage = 2;      // bad options, or a named picture that cannot be used

struct ToolOutcome {
  int exit_code = kExitOk;
  Text output;         // the snippet or page, when it goes to standard output
  std::string error;   // UTF-8 text for standard error, ending in a line end
};

// Runs the tool over the arguments after the program name. Reads the settings
// folder, never writes it, and needs no temporary file.
ToolOutcome RunSnippetTool(std::span<const std::string_view> args, std::string_view version);

}  // namespace quorel::cli
