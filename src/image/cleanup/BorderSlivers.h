// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// Clears the slivers of ink that lie along the picture's border: the desk
// beyond a tilted sheet's edge, the rim of a glare or a shadow where the
// page ends. A stroke cut by the border meets it for its width over the sine
// of its angle, a few widths; a stroke that runs along the very edge is
// joined to the rest of the writing further in. A sliver is a piece that
// meets the border unbroken for over kAlongPerStroke × `stroke` pixels (or
// runs so along it within `stroke` pixels of it) and reaches in from it
// less than 1 / kAlongPerDepth of that; with `frames`, also the side of a
// frame round the picture along that edge (a scanner's dark lid beyond a
// smaller sheet), whose piece reaches across the picture along the other
// edges. Not for a seal, whose own frame may run along the edge. Work: the
// border, and the mask's bytes for each such meeting (at most kMostMeetings
// an edge); memory two bits a pixel while there is one. Returns whether any
// was cleared. kOutOfMemory.
Result<bool> ClearBorderSlivers(InkBits& ink, double stroke, bool frames = false);

}  // namespace quorel
