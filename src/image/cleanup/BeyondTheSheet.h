// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/PaperLight.h"

namespace quorel {

// Clears the ink beyond the sheet's edge: a region of grid nodes that
// reaches the picture's border, whose paper is under a third of the page's
// (a dark desk or table: too dark and grey for the object look, which goes
// by colour) and that the page meets at a step: out from most of the
// region's edge the paper at least doubles within four grid nodes (a soft
// shadow as dark rises over many). The paper estimate follows the dark
// region, so its grain reads as ink there; so are the nodes beside it
// cleared (the desk's last pixels, under paper the page lifts). At most two
// thirds of the picture (a receipt on a dark desk leaves it more than half;
// more is a dark page under a bright spot). Memory: a few bytes a grid node.
// kOutOfMemory.
Result<void> RemoveInkBeyondTheSheet(InkBits& ink, const PaperLight& light);

// Per grid node of `light` (row by row), 1 where RemoveInkBeyondTheSheet
// clears ink: beyond the sheet's edge and the nodes beside it; empty where
// there is no such region. kOutOfMemory.
Result<Buffer<uint8_t>> NodesBeyondTheSheet(const PaperLight& light);

}  // namespace quorel
