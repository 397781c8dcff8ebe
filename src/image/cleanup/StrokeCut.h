// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "common/Buffer.h"
#include "common/Result.h"

namespace quorel {

// Where a stroke's edge lies between paper and the darkest pixel of the
// stroke (its peak). A blurred stroke as dark as the ink's full contrast has
// its edge at half its peak. A stroke narrower than the blur never reaches
// that contrast: the blur spreads its ink, its peak p stays below the full
// contrast C and its half-peak line lies outside the stroke. For a stroke of
// width w blurred by a Gaussian of any width s, p / C = 2 Φ(w / 2s) − 1 and
// the edge sits at C (Φ(w / s) − ½): for p / C = 0.4 at 0.88 p, 0.6 at
// 0.76 p, 0.8 at 0.62 p, 1 at 0.5 p.
// NOTE: a wide light stroke (pencil, a faded seal) also has p < C, but a flat
// top, for which half its peak is right: the caller tells the two apart by
// the stroke's width across (NarrowAt).
// The contrast used is the one the ink reaches near the stroke (the darkest
// ink within a few strokes' widths), never above the picture's: under a
// flash's glare or in a seal's faded corner the ink is lighter as a whole,
// and its strokes are not narrower for that.
class StrokeCut {
 public:
  // `cell`: the side of the squares the darkest ink is kept for. kOutOfMemory.
  static Result<StrokeCut> Create(int32_t width, int32_t height, int32_t cell);

  // A pixel of the wanted ink, for the contrast reached near it.
  void Note(int32_t x, int32_t y, int darkness) {
    uint8_t& darkest = darkest_[Cell(x, y)];
    darkest = std::max(darkest, static_cast<uint8_t>(darkness));
  }
  // Once every pixel is noted: the contrast near a pixel is the darkest ink
  // within `reach` pixels (rounded up to whole squares), at most `contrast`,
  // the ink's full contrast in the picture (0 for none: every cut at half the
  // peak). kOutOfMemory.
  Result<void> Spread(int contrast, int32_t reach);

  // The least darkness of a pixel at (x, y) of a narrow stroke whose peak is
  // `peak`: at least half the peak.
  int Least(int32_t x, int32_t y, int peak) const;

 private:
  size_t Cell(int32_t x, int32_t y) const {
    return static_cast<size_t>(y / cell_) * static_cast<size_t>(columns_) + static_cast<size_t>(x / cell_);
  }

  int32_t cell_ = 1;
  int32_t columns_ = 0;
  int32_t rows_ = 0;
  int contrast_ = 0;
  Buffer<uint8_t> darkest_;  // per square
  std::array<float, 257> edge_share_{};  // by 256 × peak / contrast
};

// A stroke is narrow (as wide as the blur) when the pixels at least half as
// dark as its peak run at most this many pixels across it: one pixel and the
// blur's spread either side.
inline constexpr int32_t kNarrowRun = 3;

// Whether the wanted ink at least half as dark as `peak` runs through (x, y)
// for at most kNarrowRun pixels along its row or along its column. Only rows
// [top, bottom] of the picture's `height` are known: a run that reaches past
// them counts as long. dark(x, y) is a pixel's darkness, 256 or more for ink
// of another hue.
template <class Dark>
bool NarrowAt(Dark dark, int32_t x, int32_t y, int32_t width, int32_t height, int32_t top, int32_t bottom,
              int peak) {
  const auto inside = [&](int32_t px, int32_t py) {
    const int d = dark(px, py);
    return d < 256 && 2 * d >= peak;
  };
  int32_t across = 1;
  for (int32_t px = x - 1; px >= 0 && across <= kNarrowRun && inside(px, y); --px) ++across;
  for (int32_t px = x + 1; px < width && across <= kNarrowRun && inside(px, y); ++px) ++across;
  if (across <= kNarrowRun) return true;
  int32_t down = 1;
  for (const int32_t step : {-1, 1}) {
    for (int32_t py = y + step; py >= 0 && py < height && down <= kNarrowRun; py += step) {
      if (py < top || py > bottom) return false;
      if (!inside(x, py)) break;
      ++down;
    }
  }
  return down <= kNarrowRun;
}

}  // namespace quorel
