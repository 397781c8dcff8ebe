// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorel::bench {

// What one whole process cost: processor time (user and kernel) and its peak
// resident memory.
struct ChildUsage {
  double cpu_ms = 0;
  double peak_mib = 0;
};

// One run of `args` (a program path and its arguments) with its standard
// output in `out`; none when it cannot run or does not exit with 0.
std::optional<ChildUsage> RunChild(const std::vector<std::string>& args, const std::filesystem::path& out);

}  // namespace quorel::bench
