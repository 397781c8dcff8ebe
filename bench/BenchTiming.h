// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string_view>

namespace quorel::bench {

// Median wall-clock milliseconds of `runs` calls (after one warm-up call).
double MedianMs(int runs, const std::function<void()>& work);

// Prints the line scripts read: BENCH <name> ours_ms=<m> ref_ms=<m> ratio=<ours/ref>
void PrintBench(std::string_view name, double ours_ms, double ref_ms);

}  // namespace quorel::bench
