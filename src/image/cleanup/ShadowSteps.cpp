// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/ShadowSteps.h"

#include <algorithm>
#include <array>

#include "common/Buffer.h"
#include "image/cleanup/GridExtreme.h"

namespace quorel {
namespace {

struct Step {
  int32_t dx, dy;
};
// Four ways, then the same four backward: kSteps[i + 4] is kSteps[i] turned.
constexpr std::array kSteps{Step{1, 0},  Step{0, 1},  Step{1, 1},   Step{1, -1},
                            Step{-1, 0}, Step{0, -1}, Step{-1, -1}, Step{-1, 1}};
constexpr size_t kWays = kSteps.size() / 2;
// The paper estimate comes down to a shadow over about this many of its
// cells (its smoothing reaches one cell either side, its interpolation one
// more): the paper toward the shadow is looked at this far away, or a
// stroke width's reach if that is farther.
constexpr int32_t kPaperSpanCells = 3;

// Whether the channels of a pixel `half` half as dark lie closer together
// than that: grey, as a shadow is, not coloured ink.
bool Grey(const uint8_t* bgr, const float* scale, int half) {
  const float b = std::min(bgr[0] * scale[0], 255.0f);
  const float g = std::min(bgr[1] * scale[1], 255.0f);
  const float r = std::min(bgr[2] * scale[2], 255.0f);
  return std::max({b, g, r}) - std::min({b, g, r}) <= static_cast<float>(half);
}

// Per grid node and channel, at least every factor ScaleAt gives within
// `away` pixels of a pixel of that node's cell (the nodes a pixel's factor is
// interpolated from lie within a cell or two of it; interpolation stays in
// their range, give or take a rounding). Empty when out of memory: then
// every grey ink pixel is looked at in full.
Buffer<float> FactorCeilings(const PaperLight& light, int32_t away) {
  constexpr float kRounding = 1.0001f;
  const int32_t gw = light.grid_width();
  const int32_t gh = light.grid_height();
  Result<Buffer<float>> made = Buffer<float>::Filled(size_t{3} * gw * gh);
  if (!made) return {};
  Buffer<float>& grid = *made;
  for (int32_t gy = 0; gy < gh; ++gy) {
    for (int32_t gx = 0; gx < gw; ++gx) {
      float* node = &grid[(static_cast<size_t>(gy) * gw + gx) * 3];
      for (int c = 0; c < 3; ++c) node[c] = light.NodeScale(gx, gy)[c] * kRounding;
    }
  }
  const int32_t radius = away / light.cell() + 3;
  const auto larger = [](float a, float b) { return std::max(a, b); };
  if (!RunningExtreme(grid, gw, gh, 3, true, radius, larger) ||
      !RunningExtreme(grid, gw, gh, 3, false, radius, larger)) {
    return {};
  }
  return std::move(grid);
}

}  // namespace

void RemoveShadowSteps(InkBits& ink, const ConstDibRows& picture, const PaperLight& light, int32_t reach) {
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  const int32_t away = std::max(reach, kPaperSpanCells * light.cell());
  const auto pixel = [&](int32_t x, int32_t y) { return picture.TopDownRow(y).data() + size_t{3} * x; };
  const Buffer<float> ceilings = FactorCeilings(light, away);
  const int32_t cell = light.cell();
  const auto ceiling_at = [&](int32_t x, int32_t y) {
    const int32_t gx = std::min(x / cell, light.grid_width() - 1);
    const int32_t gy = std::min(y / cell, light.grid_height() - 1);
    return &ceilings[(static_cast<size_t>(gy) * light.grid_width() + gx) * 3];
  };
  ForEachInk(ink, [&](int32_t x, int32_t y) {
    float own_scale[3];
    light.ScaleAt(x, y, own_scale);
    const uint8_t* own = pixel(x, y);
    const int half = DarknessOn(own, own_scale) / 2;
    if (!Grey(own, own_scale, half)) return;
    // Most ink has no paper dark enough around it: one look at the
    // darkest paper within reach tells.
    if (!ceilings.empty() && DarknessOn(own, ceiling_at(x, y)) > half) return;
    // The ways toward paper dark enough for this pixel to be paper on it.
    std::array<bool, kSteps.size()> darker{};
    for (size_t i = 0; i < kSteps.size(); ++i) {
      float scale[3];
      light.ScaleAt(std::clamp(x + away * kSteps[i].dx, 0, w - 1),
                    std::clamp(y + away * kSteps[i].dy, 0, h - 1), scale);
      darker[i] = DarknessOn(own, scale) <= half;
    }
    if (std::none_of(darker.begin(), darker.end(), [](bool d) { return d; })) return;
    // Whether a pixel at most `half` dark lies within reach along `step`.
    const auto paper_within = [&](Step step) {
      for (int32_t k = 1; k <= reach; ++k) {
        const int32_t xx = x + k * step.dx;
        const int32_t yy = y + k * step.dy;
        if (xx < 0 || yy < 0 || xx >= w || yy >= h) return true;
        if (DarknessOn(pixel(xx, yy), own_scale) <= half) return true;
      }
      return false;
    };
    // Only across the shadow's edge: across the other way, a pixel in a
    // corner of the shadow has paper on both sides.
    bool stroke = false;
    for (size_t i = 0; i < kWays && !stroke; ++i) {
      stroke = (darker[i] || darker[i + kWays]) && paper_within(kSteps[i]) && paper_within(kSteps[i + kWays]);
    }
    if (!stroke) ink.Clear(x, y);
  });
}

}  // namespace quorel
