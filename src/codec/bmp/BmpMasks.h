// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quorel {

// How one colour component is taken out of a 16- or 32-bit pixel: the masked
// bits are shifted down by their trailing zero count, then up until the
// component's top bit lands on bit 7 (a 5-bit 31 becomes 248). Components
// wider than 8 bits keep their top 8 bits; a mask of 0 gives 0.
class ComponentMask {
 public:
  explicit ComponentMask(uint32_t mask);
  uint8_t Extract(uint32_t pixel) const {
    return static_cast<uint8_t>((((pixel & mask_) >> right_) << left_) & 0xFF);
  }

 private:
  uint32_t mask_;
  int right_ = 0;
  int left_ = 0;
};

// The three masks of a file, red, green and blue.
struct BmpMasks {
  ComponentMask red;
  ComponentMask green;
  ComponentMask blue;

  static BmpMasks Default16() { return {ComponentMask(0x7C00), ComponentMask(0x03E0), ComponentMask(0x001F)}; }
  static BmpMasks Default32() {
    return {ComponentMask(0xFF0000), ComponentMask(0x00FF00), ComponentMask(0x0000FF)};
  }
};

}  // namespace quorel
