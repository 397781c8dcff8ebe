// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/PaperLines.h"

namespace quorel {

// Clears from `ink` (the writing found) a form's printed × where the name
// goes: a piece that stands on a line near the rows, found or printed
// (`lines`), drawn as two straight strokes of one width crossing at their
// middles, each within 20° of a diagonal of the rows (a 十 is upright), with
// nearly all its pixels on the two and four arms each reaching well out, at
// least five strokes across. A hand's X is seldom a piece of its own on a
// line with arms this straight. Memory: a copy of the mask and one piece's
// pixels. kOutOfMemory.
Result<void> RemoveSignHereMarks(InkBits& ink, const PaperLines& lines);

// A printed × bolder than the pen (`pen`, its strokes' width) that the name
// touches (a stroke begun on its arm), so that the two are one piece: opened
// by a square wider than the pen's strokes, the writing is gone and the ×
// stands alone. Its pixels and the pixel round them, to be cleared once the
// ink has been judged with it (the stroke that touched it stays); an empty
// mask where there is none. Memory: two masks the picture's size.
// kOutOfMemory.
Result<InkBits> BoldSignHereMarks(const InkBits& ink, const PaperLines& lines, double pen);

}  // namespace quorel
