// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/GreyPrint.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "image/cleanup/InkHue.h"
#include "image/cleanup/PieceSpread.h"

namespace quorel {
namespace {

constexpr double kGreyShare = 0.5;
constexpr double kLeastExtent = 3;

float Chroma(const float* bgr) { return std::max({bgr[0], bgr[1], bgr[2]}) - std::min({bgr[0], bgr[1], bgr[2]}); }

}  // namespace

Result<InkColours> InkColours::Create(const InkBits& ink, int least) {
  InkColours colours;
  colours.box_ = InkBounds(ink);
  colours.least_ = least;
  const int32_t w = colours.box_.right - colours.box_.left;
  const int32_t h = colours.box_.bottom - colours.box_.top;
  for (InkBits& plane : colours.levels_) plane = QUOREL_TRY(InkBits::Create(w, h));
  colours.showing_ = QUOREL_TRY(InkBits::Create(w, h));
  colours.out_of_grain_ = QUOREL_TRY(InkBits::Create(w, h));
  return colours;
}

void InkColours::Note(int32_t x, int32_t y, int darkness, const float* mean) {
  if (darkness < kShowsHue) return;
  x -= box_.left;
  y -= box_.top;
  showing_.Set(x, y);
  if (Chroma(mean) >= static_cast<float>(least_)) out_of_grain_.Set(x, y);
  const int level = std::min((1 << kLevelPlanes) - 1, static_cast<int>(InkHue::SaturationOf(mean) / kSaturationStep));
  for (int plane = 0; plane < kLevelPlanes; ++plane) {
    if ((level >> plane) & 1) levels_[plane].Set(x, y);
  }
}

InkColours::OfPiece InkColours::Of(std::span<const InkSpot> piece) const {
  OfPiece of;
  int64_t levels = 0;
  for (const auto [px, py] : piece) {
    const int32_t x = px - box_.left;
    const int32_t y = py - box_.top;
    if (!showing_.Get(x, y)) continue;
    ++of.showing;
    of.out_of_grain += out_of_grain_.Get(x, y);
    for (int plane = 0; plane < kLevelPlanes; ++plane) levels += int64_t{levels_[plane].Get(x, y)} << plane;
  }
  // Each level stands for the middle of its step.
  if (of.showing > 0) {
    of.saturation = kSaturationStep * (static_cast<double>(levels) / static_cast<double>(of.showing) + 0.5);
  }
  return of;
}

bool InkColours::Coloured(const float* mean, int least) {
  return Chroma(mean) >= static_cast<float>(least) && InkHue::SaturationOf(mean) >= kColouredPen;
}

Result<void> RemoveGreyPrint(InkBits& ink, const InkColours& colours, double width) {
  struct Judged {
    InkColours::OfPiece colour;
    bool judged = false;
    bool straight = false;
  };
  const auto judge = [&](std::span<const InkSpot> piece) {
    Judged j{colours.Of(piece)};
    const PixelRect box = BoxOf(piece);
    PieceSpread spread;
    for (const auto [x, y] : piece) spread.Add(x, y);
    j.judged = std::max(box.right - box.left, box.bottom - box.top) >= kLeastExtent * width &&
               2 * j.colour.showing >= piece.size();
    j.straight = spread.Straight(width);
    return j;
  };
  // The pen's saturation: each voting piece's, or none where its chroma
  // stays in the grain (a faint tint of a grey pen under a coloured light).
  std::vector<std::pair<double, size_t>> votes;
  size_t total = 0;
  {
    InkBits walked = QUOREL_TRY(ink.Copy());
    QUOREL_TRY(ForEachPiece(walked, [&](std::span<const InkSpot> piece) -> Result<void> {
      const Judged j = judge(piece);
      if (!j.judged || j.straight) return {};
      const bool coloured = 2 * j.colour.out_of_grain >= j.colour.showing;
      votes.emplace_back(coloured ? j.colour.saturation : 0.0, j.colour.showing);
      total += j.colour.showing;
      return {};
    }));
  }
  std::sort(votes.begin(), votes.end());
  double pen = 0;
  size_t seen = 0;
  for (const auto& [saturation, weight] : votes) {
    seen += weight;
    if (2 * seen >= total) {
      pen = saturation;
      break;
    }
  }
  if (pen < kColouredPen) return {};
  InkBits walked = QUOREL_TRY(ink.Copy());
  return ForEachPiece(walked, [&](std::span<const InkSpot> piece) -> Result<void> {
    const Judged j = judge(piece);
    if (j.judged && j.colour.saturation < kGreyShare * pen) {
      for (const auto [x, y] : piece) ink.Clear(x, y);
    }
    return {};
  });
}

}  // namespace quorel
