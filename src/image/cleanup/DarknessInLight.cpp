// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/DarknessInLight.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace quorel {
namespace {

// Built once, never changed.
const std::array<double, 256>& InLight() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> t{};
    for (int d = 0; d < 256; ++d) {
      const double v = (255.0 - d) / 255.0;  // stored, white-relative
      t[d] = 1.0 - (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
    }
    return t;
  }();
  return table;
}

}  // namespace

double DarknessInLight(int darkness) { return InLight()[std::clamp(darkness, 0, 255)]; }

int StoredDarkness(double light) {
  const auto& table = InLight();
  const auto at = std::lower_bound(table.begin(), table.end(), light);
  return static_cast<int>(std::min<std::ptrdiff_t>(255, at - table.begin()));
}

int Midway(int in_stored, int in_light) { return (in_stored + in_light + 1) / 2; }

const std::array<uint8_t, 256>& HalfwayCuts() {
  static const std::array<uint8_t, 256> table = [] {
    std::array<uint8_t, 256> t{};
    for (int peak = 0; peak < 256; ++peak) {
      t[peak] = static_cast<uint8_t>(Midway((peak + 1) / 2, StoredDarkness(InLight()[peak] / 2)));
    }
    return t;
  }();
  return table;
}

}  // namespace quorel
