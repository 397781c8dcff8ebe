// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/InkHue.h"

#include <algorithm>
#include <cmath>

namespace quorel {
namespace {

// Coloured ink: the spread of its channels at least this share of its
// darkness (print and pencil are grey, a faded seal is still coloured).
constexpr float kSaturation = 0.4f;
// Fewer coloured pixels than this tell no hue: a few fringes of colour
// around black print (the camera's demosaicing) are no seal.
constexpr uint64_t kLeastCount = 64;

float Channel(const float* bgr, int c) { return std::min(bgr[c], 255.0f); }

}  // namespace

bool InkHue::Saturated(const float* bgr) {
  const float b = Channel(bgr, 0), g = Channel(bgr, 1), r = Channel(bgr, 2);
  const float darkest = std::min({b, g, r});
  return std::max({b, g, r}) - darkest >= kSaturation * (255.0f - darkest);
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

bool InkHue::Holds(const float* bgr) const {
  // Colour toward this hue, falling to none 60 degrees away: for red, red
  // above the greater of green and blue. So orange fringes beside black
  // print do not count as a red seal's ink.
  const float b = Channel(bgr, 0), g = Channel(bgr, 1), r = Channel(bgr, 2);
  const float darkest = std::min({b, g, r});
  const float chroma = std::max({b, g, r}) - darkest;
  const float apart = std::fabs(HueOf(bgr) - degrees_);
  const float off = std::min(apart, 360.0f - apart);
  return chroma * (1 - off / kReach) >= kSaturation * (255.0f - darkest);
}

void HueTally::Add(const float* bgr) {
  if (!InkHue::Saturated(bgr)) return;
  ++bins_[std::min(kBins - 1, static_cast<int>(InkHue::HueOf(bgr) * kBins / 360.0f))];
  ++count_;
}

InkHue HueTally::Dominant(InkHue fallback) const {
  if (count_ < kLeastCount) return fallback;
  // The three neighbouring bins holding the most, and their mean hue (as a
  // direction, so red either side of 0 averages to red).
  int best = 0;
  uint64_t most = 0;
  for (int i = 0; i < kBins; ++i) {
    const uint64_t n = bins_[(i + kBins - 1) % kBins] + bins_[i] + bins_[(i + 1) % kBins];
    if (n > most) {
      most = n;
      best = i;
    }
  }
  double x = 0, y = 0;
  for (int d = -1; d <= 1; ++d) {
    const int i = (best + d + kBins) % kBins;
    const double angle = (i + 0.5) * (2 * 3.14159265358979 / kBins);
    x += static_cast<double>(bins_[i]) * std::cos(angle);
    y += static_cast<double>(bins_[i]) * std::sin(angle);
  }
  const double degrees = std::atan2(y, x) * (180 / 3.14159265358979);
  return InkHue(static_cast<float>(degrees < 0 ? degrees + 360 : degrees));
}

}  // namespace quorel
