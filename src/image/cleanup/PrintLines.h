// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// A form's printed text beside a signature (a line of terms, a date) found as
// ink of the name: clears each line of print. Print is a row of at least six
// pieces side by side (glyphs), each up to the tallest piece's height, over two
// and at most twenty stroke widths high and at most four times as wide, of like
// heights, overlapping rows (along the rows' tilt) and gaps under a word's
// space (beside a piece of the writing's size, over twice its height, a glyph's
// own: a caption before the name), at least five glyphs' heights long, whose
// feet stray less than a pixel (or 3.5 % of their height, or 0.35 of a stroke
// width) from the line through their neighbours' feet (a hand's letters wander;
// up to a quarter of them, descenders over a quarter of the height lower, are
// left out) and most of which stand two strokes higher than the row's slope
// lifts them (a straight stroke broken into pieces does not). A shorter row of
// three glyphs or more, as straight (a receipt's item, a form's caption), is
// print beside other print: in a stack of three such rows or with a line of
// print, one above another within four of their heights and of sizes within
// twice; or as long as a line, its glyphs at most two heights wide, with a line
// of its size in the picture. A row of six or more stacked so with a line of
// print is print with its feet straying up to twice as far (a noisy picture's).
// Two glyphs or more past a wider gap (up to the line's length), of like
// heights, whose feet stand on that line as closely (from the line through its
// end glyphs' feet), go with it. A row of pieces over half the tallest one's
// height (the name's writing) may be the name itself: it has neither allowance
// and must not hold the tallest piece, unless three lines of six or more each
// hold a piece within a stroke of the tallest or most of its own glyphs are
// that tall (print's capitals: a letter, a heading). Print lies above or below
// the writing, not beside one of its large pieces in the piece's rows (a name's
// small letters beside its capital stay) unless that piece is over four times
// as high as the glyph (a desk's edge, a box's corner), even where a tilted
// line reaches the rows of a piece further on. A form's ruled line (a thin
// straight piece twenty times as long as it spreads across) is neither the
// writing nor a glyph. A smaller piece wholly within a line's band (a glyph's
// height below its feet to twice that above them) goes with the line. Glyphs in
// several pieces (a kanji's strokes, "=") are looked for again in the ink
// halved and grown by one and a half stroke widths, where each glyph's pieces
// join. Memory: three bit masks, two boxes a piece, an int a picture row, a few
// a piece, and a glyph's pixels (up to 8 MB). kOutOfMemory.
Result<void> RemovePrintLines(InkBits& ink, double stroke);

}  // namespace quorel
