// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// A form's printed text beside a signature (a line of terms, a date) found
// as ink of the name: clears each line of print. Print is a row of at least
// six pieces side by side (glyphs), each at most half the tallest piece's
// height (the name's writing) and over two stroke widths, of like heights,
// overlapping rows and gaps under a glyph's height, at least five glyphs'
// heights long; and it lies above or below the writing, not beside one of
// its large pieces in the piece's rows (a name's small letters beside its
// capital stay), even where a tilted line reaches the rows of a piece
// further on. Nothing is cleared unless the writing's large pieces hold more
// ink than all else left: on a page of small writing, rows of glyphs are the
// writing. Memory: one bit mask, a box a piece and an int a picture row, a
// byte a piece. kOutOfMemory.
Result<void> RemovePrintLines(InkBits& ink, double stroke);

}  // namespace quorel
