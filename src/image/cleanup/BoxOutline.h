// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "image/cleanup/InkPieces.h"

namespace quorel {

// Whether the piece is a box's outline: the smallest rectangle round it,
// over tilts up to 15° (a sheet's lines in perspective), has ink along its
// sides only (all but a tenth of its pixels within one and a half times the
// sides' thickness, and a pixel) and along nearly all of each side, each at
// least ten `width`s long. A hand's box bows off its rectangle. A side the
// piece reaches the picture's border at (`picture_width` × `picture_height`;
// 0 × 0 for none) may be bare: the photo cut the box there. The tilt is
// chosen on every eighth pixel: a box's sides are dense, and the piece
// looked at is often a whole name.
bool BoxOutline(std::span<const InkSpot> piece, double width, int32_t picture_width = 0, int32_t picture_height = 0);

}  // namespace quorel
