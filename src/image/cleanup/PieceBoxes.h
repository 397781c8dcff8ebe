// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/CopyIntoRect.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/InkPieces.h"

namespace quorel {

struct PieceBox {
  PixelRect box;
  InkSpot first;  // its first pixel, row by row
  int64_t area;   // its pixels
};

// A run of ink along a row and the piece it is part of.
struct InkRun {
  int32_t y, left, right;  // right: one past its last pixel
  uint32_t piece;          // the piece's place among PieceBoxes'
};

// Each run of ink along the rows, row by row, with its piece (8-connected):
// runs joined to those above (union–find). Memory: a few ints a run.
// kOutOfMemory.
Result<std::vector<InkRun>> PieceRuns(const InkBits& ink);

// The box and area of each piece of ink (8-connected), in the order of their first
// pixels row by row (ForEachPiece's), found from the rows' runs: work in
// proportion to the rows' bytes and the runs, not to the pixels and their
// neighbours. Memory: a few ints a run. kOutOfMemory.
Result<std::vector<PieceBox>> PieceBoxes(const InkBits& ink);

}  // namespace quorel
