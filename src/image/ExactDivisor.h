// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <bit>
#include <cstdint>

namespace quorel {

// Truncating division by a divisor fixed ahead of many divisions (a box's
// pixel count), as a multiply and a shift, with the same quotients as `/` for
// every dividend up to a bound given once.
//
// Why it is exact: with m = ceil(2^s / d), e = m·d − 2^s lies in [0, d), and
// n·m / 2^s = n/d + n·e / (d·2^s). Writing n = q·d + r (0 ≤ r < d), the
// quotient stays q while n·e / 2^s < d − r, which n·e < n·d ≤ 2^s ensures.
// So s is the least shift with bound·d ≤ 2^s; then n·m < 2·bound² + bound,
// which must fit 64 bits. Larger bounds keep the hardware divide.
class ExactDivisor {
 public:
  ExactDivisor() = default;
  ExactDivisor(uint64_t divisor, uint64_t bound) : divisor_(divisor) {
    if (divisor == 1) return;  // n · 1 >> 0
    // bound < 2^31 keeps 2·bound² + bound below 2^64 and bound·d below 2^62.
    if (divisor == 0 || bound >= (uint64_t{1} << 31) || divisor > bound) {
      multiplier_ = 0;
      return;
    }
    shift_ = std::bit_width(bound * divisor - 1);  // least s with bound·d ≤ 2^s
    multiplier_ = ((uint64_t{1} << shift_) + divisor - 1) / divisor;
  }

  // Whether Quotient may be used: else the bound was too large.
  bool Multiplies() const { return multiplier_ != 0; }
  // n / divisor for n ≤ bound.
  uint64_t Divide(uint64_t n) const { return Multiplies() ? Quotient(n) : n / divisor_; }
  // The same by the multiply alone, where Multiplies().
  uint64_t Quotient(uint64_t n) const { return (n * multiplier_) >> shift_; }

 private:
  uint64_t divisor_ = 1;
  uint64_t multiplier_ = 1;  // 0: divides by divisor_ (a bound too large)
  int shift_ = 0;
};

}  // namespace quorel
