// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/RunEndRise.h"

#include <cmath>

namespace quorel {

void RunEndRise::AddEnd(const uint8_t* darkness, int32_t count, int32_t x, int out) {
  if (low_ <= 0 || x < 0 || x >= count) return;
  const auto inside = [&](int32_t p) { return p >= 0 && p < count && std::abs(p - x) <= kLongest; };
  // Back into the run to its full level, then out to where it falls under
  // each level: the last pixel at or over it.
  int32_t p = x;
  while (darkness[p] < high_) {
    if (!inside(p - out)) return;
    p -= out;
  }
  const auto last_over = [&](int32_t from, int level) {
    while (inside(from + out) && darkness[from + out] >= level) from += out;
    return inside(from + out) ? from : -1;
  };
  const int32_t high = last_over(p, high_);
  if (high < 0) return;
  const int32_t low = last_over(high, low_);
  if (low < 0) return;
  // Where the line crosses `level` between pixel q (at or over it) and the next.
  const auto crossing = [&](int32_t q, int level) {
    const int here = darkness[q];
    const int next = darkness[q + out];
    return q + out * static_cast<double>(here - level) / (here - next);
  };
  rises_.Add(std::abs(crossing(low, low_) - crossing(high, high_)));
}

}  // namespace quorel
