// Quorel — SPDX-License-Identifier: MIT
#include "image/ExactDivisor.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorel {
namespace {

// Quotients against `/` where a wrong multiplier or shift shows first: each
// side of every multiple of the divisor near both ends of the range.
TEST(ExactDivisorTest, QuotientsMatchDivisionUpToTheBound) {
  struct Case { uint64_t divisor, bound; };
  const Case cases[] = {
      {1, 255},          {2, 510},           {3, 255 * 3 * 257},   {7, 255 * 7 * 300},
      {255, 255 * 255},  {1000, 255 * 4000}, {65535, 0x7fffffff}, {46341, 0x7fffffff},  // 46341² > 2^31
      {16777215, 0x7fffffff}, {5, uint64_t{1} << 31}, {9, 4},  // the last two fall back to `/`
  };
  for (const Case& c : cases) {
    const ExactDivisor divisor(c.divisor, c.bound);
    for (uint64_t q = 0; q <= c.bound / c.divisor; q = q < 2000 ? q + 1 : std::max(q + 1, c.bound / c.divisor - 2000)) {
      for (const uint64_t n : {q * c.divisor, q * c.divisor + c.divisor - 1, q * c.divisor - 1}) {
        if (n > c.bound) continue;  // also q·d − 1 at q = 0, which wraps
        ASSERT_EQ(divisor.Divide(n), n / c.divisor) << n << " / " << c.divisor << " (bound " << c.bound << ")";
      }
    }
    ASSERT_EQ(divisor.Divide(c.bound), c.bound / c.divisor) << c.divisor;
  }
}

}  // namespace
}  // namespace quorel
