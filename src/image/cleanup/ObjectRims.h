// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Buffer.h"
#include "common/Result.h"
#include "image/DibLayout.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/PaperLight.h"

namespace quorel {

// Clears the shaded rim of an object in front of the page (a finger) or
// beside it (the desk beyond the sheet's edge): the paper estimate follows a
// wide region of a colour unlike the paper's, but not the narrow band of
// shading along its edge, which then looks like a stroke, nor the object's
// own darker texture (a knuckle's crease, a desk's grain).
// An object is a region of grid nodes whose paper estimate's chromaticity
// stands kForeignChroma from the page's median one (and paler nodes of its
// tint joined to them: a desk under a glare) and that reaches the picture's
// border (a hand holds it; a seal lies on the page), under half
// the picture; over a quarter only if darker than the page and unlike the
// colour of the ink away from it. Its rim is the object's own colour,
// darker: ink of the object's chromaticity (where black and blue ink keep
// their own), in pieces that the object borders (a pen's stroke over a seal
// has the seal all round, but a seal is no object: it lies on the page).
// A region over a quarter with no ink away from it may be the page itself (a
// kraft card on a white table): it is taken for a desk only when its ink
// spreads over it as a desk's grain does, or when `desk_known` (an earlier
// look at the picture took it so: the faint look finds only the grain's
// remnants). Returns whether a region was taken so.
// Work: the grid, the ink mask's bytes, and the ink near an object; memory
// a few values a grid node and a bit a pixel when there is an object.
// kOutOfMemory.
Result<bool> RemoveObjectRims(InkBits& ink, const ConstDibRows& picture, const PaperLight& light,
                              bool desk_known = false);

// Marks in `nodes` (one a grid node of `light`, row by row) the objects
// RemoveObjectRims finds and a few grid cells round them: where a pixel's
// colour is no ink's (a wooden desk's grain is of a seal's hue). kOutOfMemory.
Result<void> MarkObjectNodes(const PaperLight& light, Buffer<uint8_t>& nodes);

}  // namespace quorel
