// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include <span>

#include "common/Result.h"
#include "image/cleanup/InkBits.h"
#include "image/cleanup/InkPieces.h"
#include "image/cleanup/PaperLines.h"

namespace quorel {

// Whether a piece of ink is drawn as a printed ×: two straight strokes of one
// width crossing at their middles, each within 20° of a diagonal of the rows
// (a 十 is upright), with nearly all its pixels on the two and four arms of
// about equal reach, at least five strokes across.
bool ShapedAsACross(std::span<const InkSpot> piece);

// Clears from `ink` (the writing found) a form's printed × where the name
// goes: a piece shaped as one that stands on a line near the rows, found or
// printed (`lines`). A hand's X is seldom a piece of its own on a line with
// arms this straight. Memory: a copy of the mask and one piece's pixels.
// kOutOfMemory.
Result<void> RemoveSignHereMarks(InkBits& ink, const PaperLines& lines);

}  // namespace quorel
