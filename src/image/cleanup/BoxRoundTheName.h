// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// A form's field drawn round the name: a piece that is a box's outline
// (BoxOutline, its sides ten `stroke`s long or more, one the photo cut may
// be bare) with another piece of ink inside it is print, however short its
// sides against the picture (a page's photo shows a small field; the
// paper's lines are found over most of the picture only). A written 口 holds
// no other piece, and a hand's box bows. Work: the pieces' boxes from the
// rows' runs, and where one holds another, again in the ink grown by a
// pixel, and the outline test for each piece holding another. Memory: the
// ink grown, each piece's box and a piece's pixels. kOutOfMemory.
Result<void> RemoveBoxRoundTheName(InkBits& ink, double stroke);

}  // namespace quorel
