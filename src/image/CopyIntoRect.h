// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "image/PackedDib.h"

namespace quorel {

// A rectangle counted from the top-left corner; right and bottom exclusive.
struct PixelRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Copies the source into the rectangle of the destination (both 24-bit; the
// source's rows found behind its colour table, if it has one): a smaller
// source is centred in it, a larger one loses its right columns and bottom
// rows, and nothing lands outside the destination. Does nothing for an empty rectangle or other depths.
void CopyIntoRect(PackedDib& destination, const PixelRect& rect, const PackedDib& source);

}  // namespace quorel
