// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/FaintWords.h"

#include <algorithm>
#include <cmath>

#include "common/Buffer.h"
#include "image/cleanup/InkPieces.h"
#include "image/cleanup/PieceSpread.h"

namespace quorel {
namespace {

constexpr double kWordShare = 0.3;
constexpr double kLeastWordPerPen = 4.0;

}  // namespace

Result<void> AddFaintWords(InkBits& strong, const InkBits& faint, double pen) {
  const auto least = static_cast<int64_t>(std::ceil(kLeastWordPerPen * kLeastWordPerPen * pen * pen));
  InkBits pieces = QUOREL_TRY(InkBits::Create(strong.width(), strong.height()));
  // The faint ink no strong ink reached: its pieces large enough and no
  // straight band, each with its first pixel.
  for (int32_t y = 0; y < strong.height(); ++y) {
    uint8_t* row = pieces.MutableRow(y);
    for (size_t i = 0; i < strong.stride(); ++i) row[i] = faint.Row(y)[i] & ~strong.Row(y)[i];
  }
  struct Candidate {
    int32_t x, y;
    int64_t area;
  };
  Buffer<Candidate> candidates;
  Candidate first{};
  PieceSpread spread;
  bool room = true;
  WalkPieces(
      pieces, 1,
      [&](int32_t x, int32_t y) {
        if (spread.empty()) first = {x, y, 0};
        spread.Add(x, y);
      },
      [&](const auto&, int64_t area, const PixelRect&) {
        if (area >= least && spread.Across() >= pen && room) room = candidates.Push({first.x, first.y, area}).ok();
        spread = PieceSpread{};
      });
  if (!room) return Status::kOutOfMemory;
  if (candidates.size() == 0) return {};  // most pictures: the strong ink's pieces are not walked

  // The size of the picture's words: the median piece of strong ink.
  for (int32_t y = 0; y < strong.height(); ++y) std::copy_n(strong.Row(y), strong.stride(), pieces.MutableRow(y));
  Buffer<int64_t> areas;  // at most one for `least` pixels
  WalkPieces(pieces, 1, [](int32_t, int32_t) {}, [&](const auto&, int64_t area, const PixelRect&) {
    if (area >= least && room) room = areas.Push(area).ok();
  });
  if (!room) return Status::kOutOfMemory;
  if (areas.size() == 0) return {};
  int64_t* middle = areas.begin() + areas.size() / 2;
  std::nth_element(areas.begin(), middle, areas.end());
  const auto word = static_cast<int64_t>(kWordShare * static_cast<double>(*middle));

  // `pieces` (empty again) takes the words' seeds, grown through their pieces
  // alone, which no strong ink touches.
  bool any = false;
  for (const Candidate& c : candidates) {
    if (c.area >= word) pieces.Set(c.x, c.y), any = true;
  }
  if (!any) return {};
  QUOREL_TRY(GrowWithin(pieces, faint));
  Unite(strong, pieces);
  return {};
}

}  // namespace quorel
