// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "image/DibLayout.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/PaperLight.h"

namespace quorel {

// Clears the ink along the inner side of a hard shadow's edge, where the
// paper estimate, smooth by design, has not come down to the shadow yet.
// Such a pixel is grey (a shadow darkens every channel alike), would be
// paper (under half its darkness) on the paper estimated a few of its cells
// away toward the shadow, and is not darker than the picture on both sides
// along that way within `reach`: a stroke has paper on both sides, the
// shadow's rim only on the outer one. Darkness is measured on the pixel's own paper
// throughout, so a stroke in the shadow stays; beyond the picture counts as
// paper (ink cut by the border). Work: at most 8 × reach + 8 looks a pixel
// of ink; no memory.
void RemoveShadowSteps(InkBits& ink, const ConstDibRows& picture, const PaperLight& light, int32_t reach);

}  // namespace quorel
