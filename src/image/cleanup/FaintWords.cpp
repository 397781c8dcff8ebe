// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/FaintWords.h"

#include <algorithm>
#include <cmath>

#include "common/Buffer.h"
#include "image/cleanup/InkPieces.h"

namespace quorel {
namespace {

constexpr double kWordShare = 0.3;
constexpr double kLeastWordPerPen = 4.0;

// The spread of a piece's pixels across its main axis (the square root of
// the smaller eigenvalue of their covariance): about a third of its width
// for a straight band, the size of its letters for a word.
class Spread {
 public:
  void Add(int32_t x, int32_t y) {
    if (n_ == 0) x0_ = x, y0_ = y;
    const double dx = x - x0_;
    const double dy = y - y0_;
    ++n_;
    sx_ += dx, sy_ += dy, sxx_ += dx * dx, syy_ += dy * dy, sxy_ += dx * dy;
  }
  bool empty() const { return n_ == 0; }
  double Across() const {
    if (n_ == 0) return 0;
    const double n = static_cast<double>(n_);
    const double cxx = sxx_ / n - (sx_ / n) * (sx_ / n);
    const double cyy = syy_ / n - (sy_ / n) * (sy_ / n);
    const double cxy = sxy_ / n - (sx_ / n) * (sy_ / n);
    const double half_gap = (cxx - cyy) / 2;
    return std::sqrt(std::max(0.0, (cxx + cyy) / 2 - std::sqrt(half_gap * half_gap + cxy * cxy)));
  }

 private:
  // Sums taken from the first pixel, so they stay small for any picture.
  int64_t n_ = 0;
  double x0_ = 0, y0_ = 0;
  double sx_ = 0, sy_ = 0, sxx_ = 0, syy_ = 0, sxy_ = 0;
};

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
  Spread spread;
  bool room = true;
  WalkPieces(
      pieces, 1,
      [&](int32_t x, int32_t y) {
        if (spread.empty()) first = {x, y, 0};
        spread.Add(x, y);
      },
      [&](const auto&, int64_t area, const PixelRect&) {
        if (area >= least && spread.Across() >= pen && room) room = candidates.Push({first.x, first.y, area}).ok();
        spread = Spread{};
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
  for (int32_t y = 0; y < strong.height(); ++y) {
    uint8_t* row = strong.MutableRow(y);
    for (size_t i = 0; i < strong.stride(); ++i) row[i] |= pieces.Row(y)[i];
  }
  return {};
}

}  // namespace quorel
