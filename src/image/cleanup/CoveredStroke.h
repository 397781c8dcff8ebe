// Quorel — SPDX-License-Identifier: MIT
#pragma once

#include "image/cleanup/InkBits.h"

namespace quorel {

// The typical stroke width of `ink` where other ink (`cover`: print under a
// seal) cuts its strokes: as StrokeWidth, but a run along a row or a column
// that ends on `cover` at either end is not counted, since the print cut it
// short rather than the stroke's edge. Without any uncut run, StrokeWidth.
double StrokeWidthBeside(const InkBits& ink, const InkBits& cover);

}  // namespace quorel
