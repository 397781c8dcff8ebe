// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <cstdint>
#include <span>

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/cleanup/PaperLight.h"

namespace quorel {

// Where the paper itself changes by a step, not a gradient: a torn
// fragment's edge against the scanner's ground, a hole through it, a hard
// shadow's edge. The paper estimate, a grid of cells, cannot follow such a
// step, so for about a cell the darker side of it looks like ink. There a
// dark pixel is taken for ink only across a stroke: lighter on both sides
// along a row, a column or a diagonal. (Elsewhere strokes meet and cross,
// and the test would cut their joins.) One byte a grid cell.
class PaperSteps {
 public:
  // The steps of `light` as it stands (after its last Refit), none in the
  // cells marked in `held` (as for PaperLight::Refit): a step there lies
  // under ink of the hue wanted, and what is dark there is that ink, not
  // the paper on the darker side.
  static Result<PaperSteps> Find(const PaperLight& light, std::span<const uint8_t> held = {});

  // Whether pixel (x, y) lies in a cell with a step of the paper within one
  // cell of it.
  bool Near(int32_t x, int32_t y) const {
    return near_[static_cast<size_t>(y / cell_) * grid_width_ + x / cell_] != 0;
  }

  // How far to each side a stroke `reach` pixels wide is looked across:
  // beyond its far edge, from any pixel of it.
  static int32_t Side(int32_t reach) { return static_cast<int32_t>(std::lround(kSidePerReach * reach)); }

  // Whether the pixel (x, y) of darkness `own` has, `side` pixels away on
  // both sides along some direction, pixels at most two thirds as dark (a
  // stroke's far side lies beyond its blur). `darkness(x, y)` is a pixel's
  // darkness against its own paper, negative outside the picture; it is
  // taken against the paper at (x, y), because on the dark side of a step
  // the estimate is too light there and right beyond it: the paper of that
  // side, a little further on, is then as dark as the pixel.
  template <class Darkness>
  static bool AcrossStroke(const PaperLight& light, int32_t x, int32_t y, int own, int32_t side, Darkness darkness) {
    const float paper = light.PaperAt(x, y);
    const auto light_enough = [&](int32_t xx, int32_t yy) {
      const int d = darkness(xx, yy);
      if (d < 0) return true;
      const float lightness = static_cast<float>(255 - d) * light.PaperAt(xx, yy) / paper;
      return 3 * (255.0f - lightness) <= 2.0f * static_cast<float>(own);
    };
    const int32_t diagonal = static_cast<int32_t>(std::lround(side * kHalfSqrt2));
    const int32_t steps[4][2] = {{side, 0}, {0, side}, {diagonal, diagonal}, {diagonal, -diagonal}};
    for (const auto& s : steps) {
      if (light_enough(x + s[0], y + s[1]) && light_enough(x - s[0], y - s[1])) return true;
    }
    return false;
  }

 private:
  static constexpr double kSidePerReach = 1.5;
  static constexpr double kHalfSqrt2 = 0.70710678118654752;
  PaperSteps() = default;

  int32_t cell_ = 1;
  int32_t grid_width_ = 0;
  Buffer<uint8_t> near_;  // grid_height × grid_width: 1 near a step
};

}  // namespace quorel
