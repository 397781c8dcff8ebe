// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// Takes the lines of ruled, squared or legal-pad paper and margin lines out
// of the ink: long, thin, straight structures, up to 4 degrees off the rows
// or the columns, that run across most of the picture. Found in `lines_in`
// (ink of any colour) and cleared from `found` (the ink wanted); where a pen crosses a line its pixels stay:
// for a line lighter than the pen, the pixels of `strong` (the darker ink),
// for a line as dark as the pen, where ink lies just beside the line on both
// sides (then cleared from `strong` too). Memory: a mask reduced to about a
// thousand pixels across and one count per angle and offset. kOutOfMemory.
Result<void> RemovePaperLines(InkBits& lines_in, InkBits& found, InkBits& strong);

}  // namespace quorel
