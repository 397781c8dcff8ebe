// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/cleanup/RiseTally.h"

namespace quorel {

// Where a stroke's edge lies between paper and the darkest pixel of the
// stroke (its peak), worked out in stored values and in light, the cut
// midway between the two (DarknessInLight.h). A blurred stroke as dark as
// the ink's full contrast has its edge at half its peak. A stroke narrower
// than the blur never reaches that contrast: the blur spreads its ink, its peak p stays below the full
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

  // A pixel (x, y) of the wanted ink, for the contrast reached near it:
  // squares = Squares(y).
  uint8_t* Squares(int32_t y) { return &darkest_[static_cast<size_t>(y / cell_) * columns_]; }
  void Note(uint8_t* squares, int32_t x, int darkness) {
    uint8_t& darkest = squares[square_of_[x]];
    darkest = std::max(darkest, static_cast<uint8_t>(darkness));
  }
  // Once every pixel is noted: the contrast near a pixel is the darkest ink
  // within `reach` pixels (rounded up to whole squares), at most `contrast`,
  // the ink's full contrast in the picture (0 for none: every cut at half the
  // peak). kOutOfMemory.
  Result<void> Spread(int contrast, int32_t reach);

  // Whether a pixel of darkness `own` may lie outside a narrow stroke whose
  // peak is `peak`: the picture's contrast cuts highest, so most pixels are
  // cleared by this one lookup.
  bool MayCut(int own, int peak) const { return own < least_[peak]; }
  // Whether a pixel at (x, y) of darkness `own` lies outside a narrow stroke
  // whose peak is `peak` (own at least half the peak).
  bool Outside(int32_t x, int32_t y, int own, int peak) const {
    return MayCut(own, peak) && own < Least(peak, std::min<int>(contrast_, darkest_[Cell(x, y)]));
  }

 private:
  size_t Cell(int32_t x, int32_t y) const {
    return static_cast<size_t>(y / cell_) * static_cast<size_t>(columns_) + static_cast<size_t>(square_of_[x]);
  }
  int Least(int peak, int contrast) const;

  int32_t cell_ = 1;
  int32_t columns_ = 0;
  int32_t rows_ = 0;
  int contrast_ = 0;
  Buffer<uint8_t> darkest_;  // per square
  Buffer<int32_t> square_of_;  // per column
  std::array<uint8_t, 256> least_{};  // by peak, for the picture's contrast
  std::array<float, 257> edge_share_{};  // by 256 × peak / contrast
};

// How many pixels ink's edges take to rise from a quarter of the ink's
// contrast to three quarters (1.35 σ of a Gaussian blur), from rows of
// darkness: the median over every rise from paper to ink or back, each read
// to a quarter of a pixel where the row crosses the two levels. (A count of
// the pixels between them is the rise rounded up or down by the grid, and
// its median misreads the blur by up to half a pixel.)
class EdgeRise {
 public:
  explicit EdgeRise(int contrast) : contrast_(contrast) {}

  void AddRow(const uint8_t* darkness, int32_t count);
  // The widest run across a stroke as narrow as the blur: its half-peak
  // width (2.355 σ) and a pixel; at least kNarrowRun.
  int32_t NarrowRun() const;

 private:
  int contrast_;
  RiseTally rises_;
};

// A stroke is narrow (as wide as the blur) when the pixels at least half as
// dark as its peak run across it for at most the blur's half-peak width and
// a pixel (EdgeRise), never less than this: one pixel and a sharp picture's
// blur either side.
inline constexpr int32_t kNarrowRun = 3;

// Whether the wanted ink at least half as dark as `peak` runs through (x, y)
// for at most `longest` pixels along its row or its column, or at most
// longest / √2 steps along a diagonal. Only rows [top, bottom] of the
// picture's `height` are known: a run that reaches past them counts as long.
// dark(x, y) is a pixel's darkness, 256 or more for ink of another hue.
template <class Dark>
bool NarrowAt(Dark dark, int32_t x, int32_t y, int32_t width, int32_t height, int32_t top, int32_t bottom,
              int peak, int32_t longest) {
  // The run's length through (x, y) along (dx, dy), counted up to limit + 1.
  const auto run = [&](int32_t dx, int32_t dy, int32_t limit) {
    int32_t length = 1;
    for (const int32_t sign : {-1, 1}) {
      for (int32_t px = x + sign * dx, py = y + sign * dy;
           px >= 0 && px < width && py >= 0 && py < height && length <= limit; px += sign * dx, py += sign * dy) {
        if (py < top || py > bottom) return limit + 1;
        const int d = dark(px, py);
        if (d >= 256 || 2 * d < peak) break;
        ++length;
      }
    }
    return length;
  };
  const int32_t diagonal = longest * 5 / 7;  // 1 / √2
  return run(1, 0, longest) <= longest || run(0, 1, longest) <= longest || run(1, 1, diagonal) <= diagonal ||
         run(1, -1, diagonal) <= diagonal;
}

}  // namespace quorel
