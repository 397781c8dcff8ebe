// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

namespace quorel {

// A lens blurs light, which adds up linearly, before the camera's tone curve
// (sRGB's) makes the stored values. So a blurred stroke's edge, its 50 %
// coverage line, lies halfway between paper and ink in light: for dark ink
// about a third of the way there in stored darkness, as the curve spreads
// the dark values and packs the light ones. Darkness here is white-relative
// (0 paper … 255), as the clean-up computes it.

// A stored darkness in light: 0 paper … 1 no light at all.
double DarknessInLight(int darkness);

// The least stored darkness at least `light` dark in light (255 at most).
int StoredDarkness(double light);

// Which values the blur acted in, the picture does not tell: an edge's
// profile is about as symmetric in either. A lens blurs light; an editor, a
// scanner's software or a renderer may blur the stored values, where the
// 50 % line lies halfway. A cut lies midway between the two lines, so a
// photo of either kind is cut at most half the gap off.
int Midway(int in_stored, int in_light);

// By a stroke's darkest pixel (its peak), the least darkness of its ink:
// midway between half the peak's darkness in stored values and half in light.
const std::array<uint8_t, 256>& HalfwayCuts();

}  // namespace quorel
