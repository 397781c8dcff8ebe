// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// An object lying on the page (a paper clip, a pen's barrel) is a band many
// strokes wide, slanted as it lies: the wide test's square, upright, may not
// fit in it. A piece most of whose pixels lie where it is over three times
// the stroke width wide goes (a name's strokes cross, loop and blot, but
// most of its pixels lie within a stroke or two of an edge): `stroke`, or
// the ink's own median width where that is more (a stroke width measured
// among heavy noise's specks may be a third of the strokes'; an object that
// is most of the ink is then its width, and stays). The width at a run of
// ink along a row is the shorter of its length and the column's run through
// its middle: within √2 of a band's own width at any slant. Work: the
// pieces' runs (PieceRuns) and a walk down each run's middle column, up to
// its length. Memory: a few ints a run. kOutOfMemory.
Result<void> RemoveWidePieces(InkBits& ink, double stroke);

}  // namespace quorel
