// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quorel {

// A Windows colour value 0x00BBGGRR, the form stored in wq.ini.
using Colour = uint32_t;

constexpr uint8_t RedOf(Colour c) { return static_cast<uint8_t>(c); }
constexpr uint8_t GreenOf(Colour c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t BlueOf(Colour c) { return static_cast<uint8_t>(c >> 16); }
constexpr Colour MakeColour(uint8_t red, uint8_t green, uint8_t blue) {
  return red | (green << 8) | (static_cast<Colour>(blue) << 16);
}
// Red + green + blue, 0 to 765: the brightness the output rules compare.
constexpr int BrightnessSum(Colour c) { return RedOf(c) + GreenOf(c) + BlueOf(c); }

inline constexpr Colour kDefaultSignatureColour = 0;   // black
inline constexpr Colour kDefaultSealColour = 255;      // red

}  // namespace quorel
