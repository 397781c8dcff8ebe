// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "common/Result.h"
#include "image/cleanup/InkBits.h"

namespace quorel {

// Clears from a seal's `ink` the flecks away from its body. A seal is one
// impression: its ring and strokes are its larger pieces (each at least
// kBodyShare of the largest one's pixels, however a faded or curled seal is
// broken up). A smaller piece whose middle lies beyond the box round them,
// grown by kReachShare of its longer side, is print's or the paper's (a
// fleck of print passing the hue test at a camera's colour fringe). Told in
// the mask OR-reduced to about 256 cells across. Memory: that mask twice,
// and a few numbers a piece. kOutOfMemory.
Result<void> KeepTheSealsBody(InkBits& ink);

}  // namespace quorel
