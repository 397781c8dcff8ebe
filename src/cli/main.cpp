// Quorel — SPDX-License-Identifier: MIT
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/SnippetTool.h"

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  const quorel::cli::ToolOutcome outcome = quorel::cli::RunSnippetTool(args, QUOREL_VERSION);
  if (!outcome.error.empty()) std::fwrite(outcome.error.data(), 1, outcome.error.size(), stderr);
  // Exactly the text: no line end is added.
  if (!outcome.output.empty() &&
      (std::fwrite(outcome.output.data(), 1, outcome.output.size(), stdout) != outcome.output.size() ||
       std::fflush(stdout) != 0)) {
    std::fputs("quorel-snippet: cannot write to standard output\n", stderr);
    return quorel::cli::kExitNoSnippet;
  }
  return outcome.exit_code;
}
