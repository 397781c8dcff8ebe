// Quorel — SPDX-License-Identifier: MIT
#include "codec/bmp/BmpMasks.h"

#include <bit>

namespace quorel {

ComponentMask::ComponentMask(uint32_t mask) : mask_(mask) {
  if (mask == 0) return;  // Extract() gives 0 whatever the shifts
  right_ = std::countr_zero(mask);
  const uint32_t shifted = mask >> right_;
  const int width = std::bit_width(shifted);
  if (width > 8) {
    right_ += width - 8;  // NOTE: wide components (10 bits and more) keep their top 8 bits
  } else {
    // Double the low byte until its top bit is set: 8 − width for a contiguous mask.
    left_ = std::countl_zero(static_cast<uint8_t>(shifted));
  }
}

}  // namespace quorel
