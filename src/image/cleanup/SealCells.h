// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/cleanup/InkHue.h"
#include "image/cleanup/PaperLight.h"

namespace quorel {

// The cells of the paper grid that hold ink of a seal's hue, one byte a cell
// (1 held), for PaperLight::Refit to leave out. A seal's solid parts can be
// wider than the closing fills, but an area of its hue is seal at any width:
// a shadow is grey. Each cell's mean is judged against the lightest cells
// within a wide reach (the paper beside even a solid seal), so it counts by
// its hue and not by how dark it is against paper that sank into it: of the
// seal's hue and saturation, or of its hue and purity (the seal under a
// shadow, its chroma out of the paper's `grain`); and at least `least` darker
// than that paper. kOutOfMemory.
Result<Buffer<uint8_t>> SealCells(const PaperLight& light, const InkHue& seal, int least, float grain);

}  // namespace quorel
