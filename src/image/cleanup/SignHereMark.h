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

}  // namespace quorel
