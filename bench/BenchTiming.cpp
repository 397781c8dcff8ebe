// Quorel — SPDX-License-Identifier: MIT
#include "BenchTiming.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace quorel::bench {

double MedianMs(int runs, const std::function<void()>& work) {
  work();  // warm-up: caches, page faults, lazy library set-up
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void PrintBench(std::string_view name, double ours_ms, double ref_ms) {
  std::printf("BENCH %.*s ours_ms=%.3f ref_ms=%.3f ratio=%.3f\n", static_cast<int>(name.size()),
              name.data(), ours_ms, ref_ms, ref_ms > 0 ? ours_ms / ref_ms : 0.0);
  std::fflush(stdout);
}

}  // namespace quorel::bench
