// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "common/Result.h"
#include "image/cleanup/DarknessRows.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// A grainy pencil on a phone's noisy picture stands barely out of the
// sensor's noise pixel by pixel: only its darkest flakes reach the floor of
// ink. Along the stroke, though, its tone holds while the noise averages
// away. Each pixel's signal is its darkness along a short segment through it,
// the best of eight directions; a segment counts the lesser of its two halves
// (either side of the pixel), so one that runs past a stroke's end or across
// it does not take the stroke for its own. The paper's signal (its median
// and spread) sets the noise.
//
// The track: pixels joined to `ink` (or to signal kSeedSpreads spreads over
// the paper: a stroke with no flake found) through signal kTrackSpreads
// spreads over the paper, cut at half way (from the paper) to the largest
// signal around that is not ink yet (the halfway rule at a stroke's scale;
// the ink's darker flakes and crossings do not lift it). Its width, measured,
// sets the segments' length and the reach of the cut. Returned: the pixels of
// the track where `ink` does not already hold most of the track's ridge
// nearby (a stroke the pixel look found whole keeps its width, its blurred
// rim and the paper between two close strokes are not added; one it found as
// a few flakes is filled), in pieces at least half a segment long (a clump of
// noise is not writing). Where `ink` is a pencil's flakes, broken every few
// dozen track widths or more often, they lie beside most of the ridge while
// most of the track is the paper's tone between them: then the track's
// pixels that hold that tone (their 3 × 3 mean over the paper's) are
// returned, in pieces long together with the flakes. Looked at within a few
// segments of the ink's box; `reach` is the ink's stroke scale. Empty on a
// box larger than kMostPixels. Memory: four bytes a pixel of the box while
// the signal is summed (three after, four for flakes), a few dozen rows of
// it, up to seven masks of the box and the returned one of the picture (a
// bit a pixel). kOutOfMemory.
Result<InkBits> FindSegmentTrack(const InkBits& ink, int32_t reach, const DarknessRows& darkness);

}  // namespace quorel
