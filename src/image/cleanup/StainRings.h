// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// A cup's stain on the sheet: the ring its dried edge leaves, round and wide,
// is no writing. A piece is such a ring when a circle fitted to its pixels
// (least squares) has a radius of at least kLeastRadiusPerStroke × `stroke`,
// nine tenths of the pixels lie within a tenth of the radius from it, and
// they go round at least half of it (a ring the picture's border cuts); and
// it is at least twice as wide as the tallest other piece, where the name's
// own round capital is not. Work: each piece twice. Memory: a copy of the
// ink and a piece's pixels. kOutOfMemory.
Result<void> RemoveStainRings(InkBits& ink, double stroke);

}  // namespace quorel
