// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>

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

// How the upright picture walks the stored one: whether upright x runs along
// stored y, and whether each upright axis runs backward along its stored axis.
struct OrientationWalk {
  bool swap;
  bool flip_x;
  bool flip_y;
};
// The walk of a valid orientation (1 to 8); none for another value.
std::optional<OrientationWalk> WalkOf(Orientation orientation);

// The upright 24-bit picture; sides swap for values 5 to 8. kBadInput for a
// picture that is not 24-bit; the allocation statuses of CreateDib.
Result<PackedDib> MakeUpright(const PackedDib& picture, Orientation orientation);

}  // namespace quorel
