// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <initializer_list>

#include "common/Result.h"
#include "image/cleanup/DarknessRows.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/PaperLines.h"

namespace quorel {

// A pencil line is graphite flakes on the paper's tooth, with paper showing
// between them (a stamp's uneven paste is alike): its darkest flake is far
// darker than the line's own tone, so the halfway rule at a stroke's scale
// keeps the flakes, drops the paper between them, and the line comes out as
// specks. The line's tone is its darkness averaged over its grain; its
// track is where that tone is at least half the tone's peak nearby, as for
// any stroke.

// The grain of the ink found: the median gap between runs of `ink` along a
// row, among gaps shorter than two stroke widths (2 × `reach`) and darker all
// along than half the faint floor `least` (paper between flakes, not between
// strokes). 0 when fewer crossings of the ink are broken than whole (solid
// ink), or the gaps are a pixel.
int32_t InkGrain(const InkBits& ink, int32_t reach, int least, const DarknessRows& darkness);

// Adds to `ink` the track of grainy ink joined to it: pixels whose darkness,
// averaged over a square 2 × `grain` + 1 wide (a gap and a flake on either
// side), is at least half of `least` (the average of the paper's grain is
// lighter than its pixels) and at least half the largest such average within
// `reach`. A piece the track grew to over twenty times its flakes keeps
// only them (no stroke: noise in a shaded corner read as flakes). Nothing
// for a grain under 2. Memory: a few rows and three bits a pixel.
// kOutOfMemory.
Result<void> AddGrainyTrack(InkBits& ink, int32_t grain, int32_t reach, int least, const DarknessRows& darkness);

// AddGrainyTrack with the grain measured on `ink`, and the paper's lines
// kept out of it: what their clearing left of them (a light rule's dashes)
// is no grain of the ink, and a track would run along it. The grain is
// measured beyond `near` of the lines, and what the track adds within it
// goes again. Memory: two copies of `ink`. kOutOfMemory.
Result<void> AddGrainyTrackOffLines(InkBits& ink, std::initializer_list<const PaperLines*> lines, int32_t near,
                                    int32_t reach, int least, const DarknessRows& darkness);

}  // namespace quorel
