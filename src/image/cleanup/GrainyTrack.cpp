// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/GrainyTrack.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "common/Buffer.h"
#include "image/cleanup/GridExtreme.h"
#include "image/cleanup/InkPieces.h"

namespace quorel {
namespace {

constexpr int32_t kGapPerReach = 2;
// A pencil's track fills the paper between its flakes: a pencil as faint as
// its grain grows to some fifteen times the flakes it was found as. A piece
// grown further is no stroke: the track spread over an area whose grain
// reads as flakes (sensor noise in a shaded corner), and what it added there
// goes again.
constexpr int64_t kMostTrackPerFlake = 20;

}  // namespace

int32_t InkGrain(const InkBits& ink, int32_t reach, int least, const DarknessRows& darkness) {
  const int32_t span = kGapPerReach * reach;
  int64_t runs = 0;
  int64_t broken = 0;
  RunTally gaps;
  for (int32_t y = 0; y < ink.height(); ++y) {
    const uint8_t* row = ink.Row(y);
    int32_t last = -2;  // the last ink pixel along the row
    for (int32_t byte = 0; byte < static_cast<int32_t>(ink.stride()); ++byte) {
      if (row[byte] == 0) continue;
      for (int32_t bit = 0; bit < 8; ++bit) {
        if (((row[byte] >> bit) & 1) == 0) continue;
        const int32_t x = 8 * byte + bit;
        if (x != last + 1) {
          ++runs;
          const int32_t gap = x - last - 1;
          if (last >= 0 && gap <= span) {
            const uint8_t* dark = darkness(y, last + 1, x);
            if (2 * *std::min_element(dark, dark + gap) >= least) {
              gaps.Add(gap);
              ++broken;
            }
          }
        }
        last = x;
      }
    }
  }
  // Each gap joins two runs into one crossing: runs − broken crossings.
  if (2 * broken < runs - broken) return 0;
  return static_cast<int32_t>(std::lround(gaps.Median()));
}

Result<void> AddGrainyTrack(InkBits& ink, int32_t grain, int32_t reach, int least, const DarknessRows& darkness) {
  const int32_t w = ink.width();
  const int32_t h = ink.height();
  if (grain < 2 || w == 0 || h == 0) return {};
  const int32_t radius = grain;  // a gap and a flake either side
  const int32_t side = 2 * radius + 1;
  const int32_t tall = 2 * reach + 1;
  // Rows of darkness in the square's height, their sums down each column, and
  // the averages of the rows within reach.
  Buffer<uint8_t> rows = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(side) * w));
  Buffer<int32_t> columns = QUOREL_TRY(Buffer<int32_t>::Filled(static_cast<size_t>(w)));
  Buffer<uint8_t> tone = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(tall) * w));
  Buffer<uint8_t> widest = QUOREL_TRY(Buffer<uint8_t>::Filled(static_cast<size_t>(tall) * w));  // within reach along
  RunningMax along = QUOREL_TRY(RunningMax::Create(w, reach));
  InkBits track = QUOREL_TRY(InkBits::Create(w, h));
  const int32_t area = side * side;
  const auto tone_row = [&](int32_t y) { return &tone[static_cast<size_t>(y % tall) * w]; };
  const auto widest_row = [&](int32_t y) { return &widest[static_cast<size_t>(y % tall) * w]; };
  // Row `next` read in, the tone of row next − radius made, the track of row
  // next − radius − reach decided.
  for (int32_t next = 0; next < h + radius + reach; ++next) {
    if (next < h) {
      uint8_t* in = &rows[static_cast<size_t>(next % side) * w];
      if (next >= side) {
        for (int32_t x = 0; x < w; ++x) columns[x] -= in[x];
      }
      std::copy_n(darkness(next, 0, w), w, in);
      for (int32_t x = 0; x < w; ++x) columns[x] += in[x];
    } else if (next - side >= 0 && next - side < h) {
      const uint8_t* out = &rows[static_cast<size_t>(next % side) * w];
      for (int32_t x = 0; x < w; ++x) columns[x] -= out[x];
    }
    const int32_t ty = next - radius;
    if (ty >= 0 && ty < h) {
      // Squares cut by the picture's edge count the missing pixels as paper.
      uint8_t* t = tone_row(ty);
      int32_t sum = 0;
      for (int32_t x = 0; x < std::min(radius, w); ++x) sum += columns[x];
      for (int32_t x = 0; x < w; ++x) {
        if (x + radius < w) sum += columns[x + radius];
        if (x - radius - 1 >= 0) sum -= columns[x - radius - 1];
        t[x] = static_cast<uint8_t>(sum / area);
      }
      along.Run([&](int32_t x) { return t[x]; }, widest_row(ty));
    }
    const int32_t y = ty - reach;
    if (y < 0) continue;
    const int32_t top = std::max(0, y - reach);
    const int32_t bottom = std::min(h - 1, y + reach);
    const uint8_t* own = tone_row(y);
    for (int32_t x = 0; x < w; ++x) {
      if (2 * own[x] < least || ink.Get(x, y)) continue;
      int peak = 0;
      for (int32_t yy = top; yy <= bottom && 2 * own[x] >= peak; ++yy) peak = std::max<int>(peak, widest_row(yy)[x]);
      if (2 * own[x] >= peak) track.Set(x, y);
    }
  }
  const InkBits flakes = QUOREL_TRY(ink.Copy());
  QUOREL_TRY(GrowWithin(ink, track));
  InkBits walked = QUOREL_TRY(ink.Copy());
  return ForEachPiece(walked, [&](std::span<const InkSpot> piece) -> Result<void> {
    const auto held = std::count_if(piece.begin(), piece.end(), [&](InkSpot at) { return flakes.Get(at.x, at.y); });
    if (static_cast<int64_t>(piece.size()) > kMostTrackPerFlake * held) {
      for (const InkSpot& at : piece) {
        if (!flakes.Get(at.x, at.y)) ink.Clear(at.x, at.y);
      }
    }
    return {};
  });
}

Result<void> AddGrainyTrackOffLines(InkBits& ink, std::initializer_list<const PaperLines*> lines, int32_t near,
                                    int32_t reach, int least, const DarknessRows& darkness) {
  if (std::all_of(lines.begin(), lines.end(), [](const PaperLines* l) { return l->empty(); })) {
    return AddGrainyTrack(ink, InkGrain(ink, reach, least, darkness), reach, least, darkness);
  }
  const InkBits before = QUOREL_TRY(ink.Copy());
  InkBits away = QUOREL_TRY(ink.Copy());
  for (const PaperLines* l : lines) l->ClearNear(away, near);
  QUOREL_TRY(AddGrainyTrack(ink, InkGrain(away, reach, least, darkness), reach, least, darkness));
  Subtract(ink, before);
  for (const PaperLines* l : lines) l->ClearNear(ink, near);
  Unite(ink, before);
  return {};
}

}  // namespace quorel
