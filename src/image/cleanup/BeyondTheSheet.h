// Quorel — SPDX-License-Identifier: MIT
#pragma once

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

// The picture's pixels on the sheet: all but those beyond its edge, as
// RemoveInkBeyondTheSheet tells them. Memory: a bit mask of the picture.
// kOutOfMemory.
Result<InkBits> OnTheSheet(const PaperLight& light, int32_t width, int32_t height);

}  // namespace quorel
