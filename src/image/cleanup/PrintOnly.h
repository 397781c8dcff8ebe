// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// Whether what is left of a writing's ink is a blank form's print, with no
// name on it: two straight lines or more (a signing line, rules, the sides
// of a box) or a box's outline, beside marks of a few times less ink, each
// no longer than kMarkPerWidth × `width` (a printed ×, a caption's glyphs),
// and dashes of the lines (a light rule broken up) along their tilt.
// A name has pieces that are none of these: its letters and the strokes
// joining them run further than such marks, and a hand's box bows. Work:
// each piece once, up to the first piece of writing or marks too many, and
// each piece that is neither line nor mark once more for each tilt looked
// at (on every eighth pixel). Memory: a copy of the ink and a piece's
// pixels. kOutOfMemory.
Result<bool> OnlyPrintLeft(const InkBits& ink, double width);

}  // namespace quorel
