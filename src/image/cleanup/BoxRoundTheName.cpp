// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/BoxRoundTheName.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "common/Buffer.h"
#include "image/cleanup/BoxOutline.h"
#include "image/cleanup/InkPieces.h"

namespace quorel {
namespace {

constexpr double kLeastSidePerStroke = 10;  // as BoxOutline's

bool Inside(const PixelRect& inner, const PixelRect& outer) {
  return inner.left > outer.left && inner.right < outer.right && inner.top > outer.top && inner.bottom < outer.bottom;
}

}  // namespace

Result<void> RemoveBoxRoundTheName(InkBits& ink, double stroke) {
  // Pieces a pixel apart are one: a thin box's corner breaks.
  const InkBits joined = QUOREL_TRY(Grown(ink, 1));
  std::vector<PixelRect> boxes;
  {
    InkBits walked = QUOREL_TRY(joined.Copy());
    QUOREL_TRY(ForEachPiece(walked, [&](std::span<const InkSpot> piece) -> Result<void> {
      boxes.push_back(BoxOf(piece));
      return {};
    }));
  }
  // The pieces that hold another: few, and large.
  const double least_side = kLeastSidePerStroke * stroke;
  std::vector<bool> holds(boxes.size());
  for (size_t i = 0; i < boxes.size(); ++i) {
    const PixelRect& outer = boxes[i];
    if (std::min(outer.right - outer.left, outer.bottom - outer.top) < least_side) continue;
    holds[i] = std::any_of(boxes.begin(), boxes.end(), [&](const PixelRect& inner) { return Inside(inner, outer); });
  }
  if (std::none_of(holds.begin(), holds.end(), [](bool b) { return b; })) return {};
  InkBits walked = QUOREL_TRY(joined.Copy());
  Buffer<InkSpot> own;  // the piece's pixels of the ink
  size_t index = 0;
  return ForEachPiece(walked, [&](std::span<const InkSpot> grown) -> Result<void> {
    if (!holds[index++]) return {};
    own.Clear();
    for (const InkSpot at : grown) {
      if (ink.Get(at.x, at.y)) QUOREL_TRY(own.Push(at));
    }
    if (BoxOutline(std::span<const InkSpot>(own), stroke, ink.width(), ink.height())) {
      for (const auto [x, y] : own) ink.Clear(x, y);
    }
    return {};
  });
}

}  // namespace quorel
