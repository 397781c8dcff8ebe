// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Colour.h"
#include "common/Result.h"
#include "image/PackedDib.h"

namespace quorel {

// The background that goes with an ink: black when red + green + blue of the
// ink is above 128, otherwise white.
Colour ChooseBackground(Colour ink);

// A new 1-bit picture of the same size: colour-table entry 0 the ink, entry 1
// the background; bit 0 ink, bit 1 background. 24-bit input uses a threshold
// halfway between the darkest and the brightest pixel; 8- and 4-bit input the
// top bit of each entry's blue; 1-bit input comes back as an exact copy.
// kUnsupported for other depths, kBadInput for damaged pictures.
Result<PackedDib> ReduceToTwoLevels(const PackedDib& picture, Colour ink, Colour background);

}  // namespace quorel
