// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

#include "image/PackedDib.h"

namespace quorel {

struct Bgr {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
};

// A black 24-bit picture of 40 + stride × height + 24 bytes; none when a side
// is below 1 or the picture exceeds the limits.
std::optional<PackedDib> CreateDib24(int32_t width, int32_t height);

// A byte copy of the whole block, spare bytes included; none for an empty block.
std::optional<PackedDib> DuplicateDib(const PackedDib& dib);

// Paints every pixel of a 24-bit picture (rows right after the header) in one
// colour; padding is left alone. Other depths and damaged pictures are left as
// they are.
void FillDib(PackedDib& dib, Bgr colour);

}  // namespace quorel
