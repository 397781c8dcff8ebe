// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// A cup's stain on the sheet: the ring its dried edge leaves, round and wide,
// is no writing. An arc is a piece on a circle of its own (least squares) of
// radius kLeastRadiusPerStroke × `stroke` or more: nine tenths of its pixels
// within a tenth of the radius from it, round kLeastArcParts of its turn (a
// straight stroke's circle is huge, its turn none). The arcs on one circle
// fitted to them all (the ring whole, or broken where the stain is lighter)
// go when they go round half of it or more (the picture's border may cut the
// rest) and it is at least twice as wide as the tallest other piece (a
// name's round capital is as tall as its letters). Work: each piece once, a
// circle fitted to it, and the arcs' pixels twice more. Memory: a copy of
// the ink, a piece's pixels and the arcs'. kOutOfMemory.
Result<void> RemoveStainRings(InkBits& ink, double stroke);

}  // namespace quorel
