// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// Clears from `ink` (a seal's, or a name's) the flecks away from its body.
// A seal is one impression and a name one line of writing: their larger
// pieces (each at least kCoreShare of the largest one's pixels, however a
// faded seal or a name's separate letters break them up), and those of at
// least kBodyShare over half in the rows of the first or within their own
// height of them, are the body; a straight line (a form's rule, a box's
// side) is not, unless nothing else is half as large. Any
// other piece whose middle lies beyond the box round them, grown by
// kReachShare of its longer side, is print's or the paper's (a fleck of
// print passing a seal's hue test at a camera's colour fringe, a glyph or a
// row of a form's print). Told in the mask OR-reduced to about 256 cells across.
// Memory: that mask twice, and a few numbers a piece. kOutOfMemory.
Result<void> KeepTheBody(InkBits& ink);

}  // namespace quorel
