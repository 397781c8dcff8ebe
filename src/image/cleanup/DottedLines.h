// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// A form's dotted (or dashed) signing line: dots of one size, evenly spaced
// along a straight row near the rows (up to 8° off), are print. A dot is a
// piece at most two `stroke`s and a pixel high and six strokes and two
// pixels long; a row is twelve of them or more, each the next within six
// strokes and four pixels along and a pixel and a half (and a fifth of a
// stroke) of the row's line, most of its gaps within 40 % of their median
// and its dots' areas spread by under a third of their mean. A name's dots
// (an i's, a period) do not line up so many, nor are a pencil's flakes along
// a straight stroke so even in size. Where the name crosses the row its dots
// are the name's, and stay; a faint name broken into dot-sized fragments
// along the row loses those. Work: the pieces' boxes (PieceBoxes), the dots
// sorted along the rows, at most 64 looks at a dot each, and the rows' dots
// taken. Memory: a few ints a run and a few words a dot. kOutOfMemory.
Result<void> RemoveDottedLines(InkBits& ink, double stroke);

}  // namespace quorel
