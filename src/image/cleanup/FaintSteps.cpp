// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/FaintSteps.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <utility>

#include "common/Buffer.h"
#include "image/cleanup/InkPieces.h"

namespace quorel {
namespace {

struct Way {
  int32_t dx, dy;
};
constexpr std::array kWays{Way{1, 0}, Way{0, 1}, Way{1, 1}, Way{1, -1}};
// Lighter than a stroke: at most this share of its darkness (grainy paper
// beside a faint pencil line is not half as dark; a shadow beside its own
// edge is as dark).
constexpr int kLighterNum = 3;
constexpr int kLighterDen = 4;
// A stroke's sides are looked at this many of its widths away.
constexpr double kReachPerWidth = 2.0;

}  // namespace

Result<FaintSteps> FaintSteps::Before(const InkBits& ink) {
  return FaintSteps(QUOREL_TRY(ink.Copy()));
}

Result<void> FaintSteps::Clear(InkBits& ink, const ConstDibRows& picture, const PaperLight& light,
                               int32_t reach) const {
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  // The pixels added, walked piece by piece (and emptied as they are).
  InkBits added = QUOREL_TRY(InkBits::Create(w, h));
  bool any = false;
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = added.MutableRow(y);
    for (size_t i = 0; i < ink.stride(); ++i) any |= (row[i] = ink.Row(y)[i] & ~before_.Row(y)[i]) != 0;
  }
  if (!any) return {};
  // The strokes' width with the words added (a faint pencil's strong
  // pixels, all the pen's width was measured on, can be too few to tell it).
  const int32_t across = std::max(reach, static_cast<int32_t>(std::ceil(kReachPerWidth * StrokeWidth(ink))));
  const auto pixel = [&](int32_t x, int32_t y) { return picture.TopDownRow(y).data() + size_t{3} * x; };
  const auto stroke_at = [&](int32_t x, int32_t y) {
    float paper[3];
    light.ScaleAt(x, y, paper);
    // Nine times the darkness at (px, py) on this pixel's paper: summed over
    // its square (the picture's edge repeated).
    const auto dark = [&](int32_t px, int32_t py) {
      int sum = 0;
      for (int32_t qy = py - 1; qy <= py + 1; ++qy) {
        for (int32_t qx = px - 1; qx <= px + 1; ++qx) {
          sum += DarknessOn(pixel(std::clamp(qx, 0, w - 1), std::clamp(qy, 0, h - 1)), paper);
        }
      }
      return sum;
    };
    const int lighter = dark(x, y) * kLighterNum / kLighterDen;
    const auto paper_within = [&](int32_t dx, int32_t dy) {
      for (int32_t k = 1; k <= across; ++k) {
        const int32_t xx = x + k * dx;
        const int32_t yy = y + k * dy;
        if (xx < 0 || yy < 0 || xx >= w || yy >= h || dark(xx, yy) <= lighter) return true;
      }
      return false;
    };
    return std::any_of(kWays.begin(), kWays.end(),
                       [&](Way way) { return paper_within(way.dx, way.dy) && paper_within(-way.dx, -way.dy); });
  };
  return ForEachPiece(added, [&](std::span<const InkSpot> piece) -> Result<void> {
    int64_t strokes = 0;
    for (const InkSpot& at : piece) strokes += stroke_at(at.x, at.y);
    if (2 * strokes < static_cast<int64_t>(piece.size())) {
      for (const InkSpot& at : piece) ink.Clear(at.x, at.y);
    }
    return {};
  });
}

}  // namespace quorel
