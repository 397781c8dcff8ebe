// Quorel — SPDX-License-Identifier: MIT
#include "image/cleanup/PaperSteps.h"

#include <algorithm>

namespace quorel {
namespace {

// Light falling off across a page, a vignette or a soft shadow changes the
// paper by a few per cent a cell; the ground around a fragment, a hole or a
// hard shadow by a fifth or more within one.
constexpr float kStepRatio = 1.2f;

}  // namespace

Result<PaperSteps> PaperSteps::Find(const PaperLight& light, std::span<const uint8_t> held) {
  const int32_t gw = light.grid_width();
  const int32_t gh = light.grid_height();
  PaperSteps steps;
  steps.cell_ = light.cell();
  steps.grid_width_ = gw;
  QUOREL_TRY(steps.near_.Resize(static_cast<size_t>(gw) * gh));
  for (int32_t gy = 0; gy < gh; ++gy) {
    for (int32_t gx = 0; gx < gw; ++gx) {
      float lightest = 0;
      float darkest = 255;
      bool beside_held = false;
      for (int32_t ny = std::max(0, gy - 1); ny <= std::min(gh - 1, gy + 1); ++ny) {
        for (int32_t nx = std::max(0, gx - 1); nx <= std::min(gw - 1, gx + 1); ++nx) {
          const float paper = light.NodePaper(nx, ny);
          lightest = std::max(lightest, paper);
          darkest = std::min(darkest, paper);
          beside_held = beside_held || (!held.empty() && held[static_cast<size_t>(ny) * gw + nx] != 0);
        }
      }
      steps.near_[static_cast<size_t>(gy) * gw + gx] = lightest > kStepRatio * darkest && !beside_held ? 1 : 0;
    }
  }
  return steps;
}

}  // namespace quorel
