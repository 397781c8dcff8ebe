// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// How stored pixels are turned to be seen upright, by the values of the Exif
// orientation tag: where the stored first row and first column end up.
enum class Orientation : uint8_t {
  kTopLeft = 1,      // as stored
  kTopRight = 2,     // mirrored left to right
  kBottomRight = 3,  // turned half a turn
  kBottomLeft = 4,   // mirrored top to bottom
  kLeftTop = 5,      // mirrored across the main diagonal
  kRightTop = 6,     // turned a quarter clockwise
  kRightBottom = 7,  // mirrored across the other diagonal
  kLeftBottom = 8,   // turned a quarter anticlockwise
};

// The upright 24-bit picture; sides swap for values 5 to 8. kBadInput for a
// picture that is not 24-bit; the allocation statuses of CreateDib.
Result<PackedDib> MakeUpright(const PackedDib& picture, Orientation orientation);

}  // namespace quorel
