// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "image/cleanup/RiseTally.h"

namespace quorel {

// How soft one part of the ink's edges is: the rise from a quarter to three
// quarters of the part's own darkness `level`, read to a quarter pixel, at
// the ends of its runs along rows. A pen's edge rises over the lens's blur; a
// shadow's over the half-shadow of what casts it, the wider the farther that
// is held above the page.
class RunEndRise {
 public:
  explicit RunEndRise(int level) : low_(level / 4), high_(3 * level / 4) {}

  // The end of a run at pixel x of a row of `count` darknesses, `out` (−1 or
  // 1) the step off it. An end that does not rise through both levels within
  // kLongest pixels is left out.
  void AddEnd(const uint8_t* darkness, int32_t count, int32_t x, int out);
  uint64_t count() const { return rises_.count(); }
  // The median rise in pixels (0 without ends).
  double Median() const { return rises_.Median(); }

 private:
  static constexpr int32_t kLongest = RiseTally::kLongest;
  int low_;
  int high_;
  RiseTally rises_;
};

}  // namespace quorel
