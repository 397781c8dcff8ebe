// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/SealCells.h"

#include <algorithm>

#include "image/cleanup/GridExtreme.h"

namespace quorel {
namespace {

// The paper beside a seal is looked for this many cells around (a quarter of
// the grid's shorter side: about a quarter of the picture).
constexpr int32_t kReachShare = 4;

}  // namespace

Result<Buffer<uint8_t>> SealCells(const PaperLight& light, const InkHue& seal, int least, float grain) {
  const int32_t gw = light.grid_width();
  const int32_t gh = light.grid_height();
  const size_t cells = static_cast<size_t>(gw) * gh;
  Buffer<float> paper = QUOREL_TRY(Buffer<float>::Filled(cells * 3));
  for (int32_t gy = 0; gy < gh; ++gy) {
    for (int32_t gx = 0; gx < gw; ++gx) {
      std::copy_n(light.CellMean(gx, gy), 3, &paper[(static_cast<size_t>(gy) * gw + gx) * 3]);
    }
  }
  const int32_t reach = std::max(1, std::min(gw, gh) / kReachShare);
  const auto larger = [](float a, float b) { return std::max(a, b); };
  QUOREL_TRY(RunningExtreme(paper, gw, gh, 3, true, reach, larger));
  QUOREL_TRY(RunningExtreme(paper, gw, gh, 3, false, reach, larger));
  Buffer<uint8_t> held = QUOREL_TRY(Buffer<uint8_t>::Filled(cells));
  for (int32_t gy = 0; gy < gh; ++gy) {
    for (int32_t gx = 0; gx < gw; ++gx) {
      const size_t at = static_cast<size_t>(gy) * gw + gx;
      const float* mean = light.CellMean(gx, gy);
      float white[3];
      for (int c = 0; c < 3; ++c) white[c] = std::min(255.0f, 255.0f * mean[c] / std::max(1.0f, paper[at * 3 + c]));
      const float lightest = std::min({white[0], white[1], white[2]});
      // Seal ink under a shadow or a vignette is the seal times grey: its
      // saturation against its darkness falls, its hue and purity stay.
      held[at] = 255.0f - lightest >= static_cast<float>(least) &&
                 (seal.Holds(white) || seal.HoldsUnderPrint(white, grain));
    }
  }
  return held;
}

}  // namespace quorel
