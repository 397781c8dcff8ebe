// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quorel {

// A colour channel of a pixel with transparency, as it looks on white paper:
// how a signature scanned onto a transparent background is taken.
constexpr uint8_t OverWhite(unsigned value, unsigned alpha) {
  return static_cast<uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

}  // namespace quorel
