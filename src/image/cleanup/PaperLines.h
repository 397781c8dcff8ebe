// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// Takes the lines of ruled, squared or legal-pad paper and margin lines out
// of the ink: long, thin, straight structures, up to 4 degrees off the rows
// or the columns, that run across most of the picture. Found in `found` and
// cleared from it and from `also`; where a pen stroke crosses a line (ink on
// both sides of it) the line's pixels stay. Memory: a mask reduced to about
// a thousand pixels across and one count per angle and offset. kOutOfMemory.
Result<void> RemovePaperLines(InkBits& found, InkBits& also);

}  // namespace quorel
