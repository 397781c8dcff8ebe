// Quorel — SPDX-License-Identifier: MIT
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/SnippetTool.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // A clean-up makes and frees planes of a few MiB one after another; glibc
  // would map each afresh and the kernel zero every page again (about a tenth
  // of a photo clean-up's time). Blocks under 32 MiB are kept and reused;
  // whole pictures are larger and still mapped and given back.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
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
