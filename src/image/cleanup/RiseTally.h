// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "image/cleanup/HistogramLevel.h"

namespace quorel {

// Rises of edges, read to a quarter of a pixel (the longest counted as
// kLongest), and their median.
class RiseTally {
 public:
  static constexpr int32_t kLongest = 40;

  void Add(double rise) {
    const double step = std::clamp(kSteps * rise, 0.0, static_cast<double>(rises_.size() - 1));
    ++rises_[static_cast<size_t>(step)];
    ++count_;
  }
  uint64_t count() const { return count_; }
  // The median rise in pixels, the middle of its quarter (0 without rises).
  double Median() const { return count_ == 0 ? 0 : (MedianOf(rises_, count_) + 0.5) / kSteps; }

 private:
  static constexpr int32_t kSteps = 4;  // a pixel's parts a rise is read to
  uint64_t count_ = 0;
  std::array<uint64_t, kSteps * (kLongest + 1)> rises_{};
};

}  // namespace quorel
