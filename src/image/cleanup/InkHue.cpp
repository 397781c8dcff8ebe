// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/InkHue.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quorel {
namespace {

// Fewer coloured pixels than this tell no hue: a few fringes of colour
// around black print (the camera's demosaicing) are no seal.
constexpr uint64_t kLeastCount = 64;

float Channel(const float* bgr, int c) { return std::min(bgr[c], 255.0f); }

// The lightest channel and the chroma, of white-paper relative (blue, green, red).
std::pair<float, float> LightestAndChroma(const float* bgr) {
  const float b = Channel(bgr, 0), g = Channel(bgr, 1), r = Channel(bgr, 2);
  const float lightest = std::max({b, g, r});
  return {lightest, lightest - std::min({b, g, r})};
}

}  // namespace

float InkHue::SaturationOf(const float* bgr) {
  const float b = Channel(bgr, 0), g = Channel(bgr, 1), r = Channel(bgr, 2);
  const float darkest = std::min({b, g, r});
  return (std::max({b, g, r}) - darkest) / std::max(1.0f, 255.0f - darkest);
}

float InkHue::HueOf(const float* bgr) {
  // The hexagonal hue: 60 degrees from one primary to the next secondary.
  const float b = Channel(bgr, 0), g = Channel(bgr, 1), r = Channel(bgr, 2);
  const float lightest = std::max({b, g, r});
  const float chroma = lightest - std::min({b, g, r});
  if (chroma <= 0) return 0;
  float hue = 0;
  if (lightest == r) hue = 60 * (g - b) / chroma;
  else if (lightest == g) hue = 120 + 60 * (b - r) / chroma;
  else hue = 240 + 60 * (r - g) / chroma;
  return hue < 0 ? hue + 360 : hue;
}

float InkHue::Nearness(const float* bgr) const {
  const float apart = std::fabs(HueOf(bgr) - degrees_);
  const float off = std::min(apart, 360.0f - apart);
  return 1 - off / kReach;
}

bool InkHue::Holds(const float* bgr) const {
  // Colour toward this hue, falling to none kReach degrees away: for red,
  // red above the greater of green and blue. So orange fringes beside black
  // print do not count as a red seal's ink.
  return SaturationOf(bgr) * Nearness(bgr) >= saturation_;
}

float InkHue::PurityOf(const float* bgr) {
  const auto [lightest, chroma] = LightestAndChroma(bgr);
  return chroma / std::max(1.0f, lightest);
}

bool InkHue::MayHoldUnderPrint(const float* own, float least_chroma) const {
  const auto [lightest, chroma] = LightestAndChroma(own);
  return purity_ > 0 && chroma >= least_chroma && chroma <= kMostPurityShare * purity_ * lightest;
}

bool InkHue::HoldsUnderPrint(const float* mean, float least_chroma) const {
  const auto [lightest, chroma] = LightestAndChroma(mean);
  if (purity_ <= 0 || chroma < least_chroma || chroma < kLeastPurityShare * purity_ * lightest) return false;
  return chroma * Nearness(mean) >= kLeastPurityShare * purity_ * lightest;
}

void HueTally::Add(const float* bgr) {
  const float saturation = InkHue::SaturationOf(bgr);
  if (saturation < InkHue::kDullSaturation) return;
  Counts& counts = saturation < InkHue::kLeastSaturation ? dull_ : coloured_;
  const int bin = std::min(kBins - 1, static_cast<int>(InkHue::HueOf(bgr) * kBins / 360.0f));
  ++counts.saturations[bin][std::min(kSaturations - 1, static_cast<int>(saturation * kSaturations))];
  ++counts.purities[bin][std::min(kSaturations - 1, static_cast<int>(InkHue::PurityOf(bgr) * kSaturations))];
  count_ += saturation >= InkHue::kMostSaturation;
}

std::optional<InkHue> HueTally::DominantWithin(float degrees, float reach) const {
  if (count_ >= kLeastCount) return Dominant(coloured_, degrees, reach, InkHue::kMostSaturation);
  if (reach < 180) return std::nullopt;
  // No pixel coloured as a vermilion's: a seal of any hue may be a dull
  // stamp (violet ink under a tinted light), its pixels of one hue where
  // print's colour fringes, averaged along the row, are of every hue.
  Counts all = coloured_;
  uint64_t tallied = 0;
  for (int i = 0; i < kBins; ++i) {
    for (int s = 0; s < kSaturations; ++s) {
      all.saturations[i][s] += dull_.saturations[i][s];
      all.purities[i][s] += dull_.purities[i][s];
      tallied += all.saturations[i][s];
    }
  }
  uint64_t most = 0;
  const auto found = Dominant(all, degrees, reach, InkHue::kDullSaturation, &most);
  if (!found || most < kLeastCount || 2 * most < tallied) return std::nullopt;
  return found;
}

std::optional<InkHue> HueTally::Dominant(const Counts& counts, float degrees, float reach, float least,
                                         uint64_t* held) const {
  const int most_saturated = static_cast<int>(least * kSaturations);
  const auto saturated = [&](int bin) {
    uint64_t n = 0;
    for (int s = most_saturated; s < kSaturations; ++s) n += counts.saturations[(bin + kBins) % kBins][s];
    return n;
  };
  // The three neighbouring bins holding the most saturated pixels, and their
  // mean hue (as a direction, so red either side of 0 averages to red).
  int best = 0;
  uint64_t most = 0;
  for (int i = 0; i < kBins; ++i) {
    const float apart = std::fabs((i + 0.5f) * (360.0f / kBins) - degrees);
    if (std::min(apart, 360 - apart) > reach) continue;
    const uint64_t n = saturated(i - 1) + saturated(i) + saturated(i + 1);
    if (n > most) {
      most = n;
      best = i;
    }
  }
  if (held != nullptr) *held = most;
  if (most < kLeastCount && reach < 180) return std::nullopt;
  double x = 0, y = 0;
  std::array<uint64_t, kSaturations> spread{};
  std::array<uint64_t, kSaturations> purity{};
  uint64_t total = 0;
  for (int d = -1; d <= 1; ++d) {
    const int i = (best + d + kBins) % kBins;
    const double angle = (i + 0.5) * (2 * 3.14159265358979 / kBins);
    x += static_cast<double>(saturated(i)) * std::cos(angle);
    y += static_cast<double>(saturated(i)) * std::sin(angle);
    for (int s = 0; s < kSaturations; ++s) {
      spread[s] += counts.saturations[i][s];
      purity[s] += counts.purities[i][s];
      total += counts.saturations[i][s];
    }
  }
  const double mean = std::atan2(y, x) * (180 / 3.14159265358979);
  const auto median = [&](const std::array<uint64_t, kSaturations>& tally) {
    uint64_t seen = 0;
    int s = 0;
    while ((seen += tally[s]) * 2 < total) ++s;
    return (s + 0.5f) / kSaturations;
  };
  const float floor = std::min(least, InkHue::kLeastSaturation);
  const float saturation = std::clamp(median(spread) / 2, floor, InkHue::kMostSaturation);
  const InkHue found(static_cast<float>(mean < 0 ? mean + 360 : mean), saturation, median(purity));
  // Within a reach, the typical pixel must be this hue's ink by its full
  // test (only the duller rims are found anew): a brown pen is no seal.
  const float apart = std::fabs(found.degrees() - degrees);
  const float nearness = 1 - std::min(apart, 360 - apart) / InkHue::kReach;
  if (reach < 180 && median(spread) * nearness < InkHue::kMostSaturation) return std::nullopt;
  return found;
}

}  // namespace quorel
