// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/BoxRoundTheName.h"

#include <algorithm>
#include <span>
#include <vector>

#include "common/Buffer.h"
#include "image/cleanup/BoxOutline.h"
#include "image/cleanup/PieceBoxes.h"

namespace quorel {
namespace {

constexpr double kLeastSidePerStroke = 10;  // as BoxOutline's

bool Inside(const PixelRect& inner, const PixelRect& outer) {
  return inner.left > outer.left && inner.right < outer.right && inner.top > outer.top && inner.bottom < outer.bottom;
}

// The pieces that hold another within their box: few, and large
// (`least_side` across or more).
std::vector<InkSpot> PiecesHolding(std::span<const PieceBox> pieces, double least_side) {
  std::vector<InkSpot> holding;
  for (const PieceBox& outer : pieces) {
    const PixelRect& box = outer.box;
    if (std::min(box.right - box.left, box.bottom - box.top) < least_side) continue;
    if (std::any_of(pieces.begin(), pieces.end(), [&](const PieceBox& inner) { return Inside(inner.box, box); })) {
      holding.push_back(outer.first);
    }
  }
  return holding;
}

}  // namespace

Result<void> RemoveBoxRoundTheName(InkBits& ink, double stroke) {
  const double least_side = kLeastSidePerStroke * stroke;
  // No piece round another, no box: one broken at a corner or two still
  // has a part round the name.
  if (PiecesHolding(QUOREL_TRY(PieceBoxes(ink)), least_side).empty()) return {};
  // Pieces a pixel apart are one: a thin box's corner breaks.
  InkBits joined = QUOREL_TRY(Grown(ink, 1));
  const std::vector<InkSpot> holding = PiecesHolding(QUOREL_TRY(PieceBoxes(joined)), least_side);
  Buffer<InkSpot> grown;
  Buffer<InkSpot> own;  // its pixels of the ink
  for (const InkSpot first : holding) {
    QUOREL_TRY(TakePiece(joined, first, grown));
    own.Clear();
    for (const InkSpot at : grown) {
      if (ink.Get(at.x, at.y)) QUOREL_TRY(own.Push(at));
    }
    if (BoxOutline(std::span<const InkSpot>(own), stroke, ink.width(), ink.height())) {
      for (const auto [x, y] : own) ink.Clear(x, y);
    }
  }
  return {};
}

}  // namespace quorel
