// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/CoveredStroke.h"


namespace quorel {

double StrokeWidthBeside(const InkBits& ink, const InkBits& cover) {
  RunTally runs;
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  // Per column: the length of the run going down and whether it began on cover.
  Buffer<int32_t> down;
  Buffer<uint8_t> down_cut;
  if (!down.Resize(static_cast<size_t>(w)) || !down_cut.Resize(static_cast<size_t>(w))) return StrokeWidth(ink);
  for (int32_t y = 0; y <= h; ++y) {
    int32_t across = 0;
    bool across_cut = false;  // the run along the row began on cover
    bool last_cover = false;
    for (int32_t x = 0; x < w; ++x) {
      const bool on = y < h && ink.Get(x, y);
      const bool covered = y < h && cover.Get(x, y);
      if (on) {
        if (across == 0) across_cut = last_cover;
        ++across;
        if (down[x] == 0) down_cut[x] = y > 0 && cover.Get(x, y - 1);
        ++down[x];
      } else {
        if (across > 0 && !across_cut && !covered) runs.Add(across);
        if (down[x] > 0 && down_cut[x] == 0 && !covered) runs.Add(down[x]);
        across = 0;
        down[x] = 0;
      }
      last_cover = covered;
    }
    if (across > 0 && !across_cut) runs.Add(across);
  }
  const double median = runs.Median();
  return median > 0 ? median : StrokeWidth(ink);
}

}  // namespace quorel
